#pragma once

// The directory of every opened archive: which entries exist, where their bytes lie and how
// they are stored. Opening an archive reads its header and directory and closes the file
// again; entry data is read later through ErfEntryStream.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <memory>
#include <string>
#include <string_view>

#include "archive/erf_format.h"
#include "archive/erf_result.h"

namespace hc {

struct ErfArchiveRecord {
    std::string path;                          // as the opener gave it
    std::array<char, erf::kTitleSize> title{}; // always NUL-terminated
    std::uint32_t entryCount = 0;
    std::uint32_t checksum = 0;
};

struct ErfEntryRecord {
    std::string name;                          // at most 255 bytes
    const ErfArchiveRecord* archive = nullptr; // owned by the directory
    std::int64_t dataStart = 0;                // absolute position of the first data byte
    std::uint32_t storedLength = 0;            // data bytes as stored
    std::uint32_t extraValue = 0;              // not interpreted
    bool compressed = false;                   // "ZLIB"; otherwise stored

    // Absolute position of the last data byte (dataStart - 1 for an empty entry).
    std::int64_t dataEnd() const { return dataStart + storedLength - 1; }
};

class ErfDirectory {
public:
    ErfDirectory() = default;
    ErfDirectory(const ErfDirectory&) = delete;
    ErfDirectory& operator=(const ErfDirectory&) = delete;

    // Reads the header and directory of the archive at `path` and adds its entries. With
    // `verify` the checksum over everything after the header is checked first. `title`
    // (256 bytes) and `count` receive the archive's title and entry count when given.
    //
    // Entries read before a failure in the directory stay in the directory. Every length read
    // from the file is checked against the file's size before it is used: an archive whose
    // header, directory or entry data would run past its end fails with
    // ErfUnknownCompression, the result every archive that ends early gives.
    ErfResult openArchive(const std::string& path, bool verify, char* title, std::uint32_t* count);

    // The entry with this name (ASCII letter case ignored); among equal names the one read
    // first. nullptr when there is none. Costs O(log n).
    const ErfEntryRecord* find(std::string_view name) const;

    // Visits every entry in ascending name order; among equal names in the order they were
    // read. Stops after the first call that returns false.
    void forEach(const std::function<bool(const ErfEntryRecord&)>& visit) const;

    std::size_t size() const { return m_entries.size(); }
    void clear();

private:
    struct EntryLess {
        using is_transparent = void;
        bool operator()(const ErfEntryRecord& a, const ErfEntryRecord& b) const {
            return erf::compareNames(a.name, b.name) < 0;
        }
        bool operator()(const ErfEntryRecord& a, std::string_view b) const {
            return erf::compareNames(a.name, b) < 0;
        }
        bool operator()(std::string_view a, const ErfEntryRecord& b) const {
            return erf::compareNames(a, b.name) < 0;
        }
    };

    std::deque<std::unique_ptr<ErfArchiveRecord>> m_archives;
    // Equal names are kept in reading order: a multiset inserts an equal element after the
    // existing ones. Insertion uses the end as hint, so an archive written in sorted name order
    // is read in linear time.
    std::multiset<ErfEntryRecord, EntryLess> m_entries;
};

} // namespace hc
