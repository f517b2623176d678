#pragma once

// The directory of every opened archive: which entries exist, where their bytes lie and how
// they are stored. Opening an archive reads its header and directory and closes the file
// again; entry data is read later through ErfEntryStream.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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
    // At most 255 bytes, NUL-terminated in the directory's own storage (name.data() is a C
    // string), valid until the directory is cleared.
    std::string_view name;
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
    //
    // Records handed out by find() and forEach() may move when another archive is opened;
    // copy a record to keep it (its name stays valid until clear()).
    ErfResult openArchive(const std::string& path, bool verify, char* title, std::uint32_t* count);

    // The entry with this name (ASCII letter case ignored); among equal names the one read
    // first. nullptr when there is none. A binary search: O(log n).
    const ErfEntryRecord* find(std::string_view name) const;

    // Visits every entry in ascending name order; among equal names in the order they were
    // read. Stops after the first call that returns false.
    void forEach(const std::function<bool(const ErfEntryRecord&)>& visit) const;

    std::size_t size() const { return m_entries.size(); }
    void clear();

private:
    // Stable storage for entry names: blocks that never move once allocated.
    class NameStore {
    public:
        std::string_view add(const char* text, std::size_t length);
        void clear();

    private:
        std::vector<std::unique_ptr<char[]>> m_blocks;
        std::size_t m_used = 0;
        std::size_t m_capacity = 0;
    };

    // Sorts the entries appended since `firstNew` into the directory, keeping reading order
    // among equal names. An archive written in name order costs one pass.
    void mergeNewEntries(std::size_t firstNew, bool appendedInOrder);

    std::deque<std::unique_ptr<ErfArchiveRecord>> m_archives;
    NameStore m_names;
    std::vector<ErfEntryRecord> m_entries; // in name order; equal names in reading order
};

} // namespace hc
