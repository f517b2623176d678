#pragma once

// Writes ERF archives: the header, each entry (stored or ZLIB-compressed) and the checksum.
// Used by the archive tool and by tests and benchmarks that need real archives.
//
// Entries are written in the order they are added. The archive is written into a new file of
// this writer's own beside `path` (created exclusively, so two writers of one `path` never share
// it and a link planted there is never written through) and renamed over `path` only when
// everything was written and flushed: a failed build never leaves a half-written archive under
// the final name, and the writer's file is removed again when it is not finished. Output depends
// only on the input: the same entries give the same bytes every time.
//
// Every archive it finishes opens again: a stand-alone archive whose title begins like a
// program ("MZ", or ELF's 0x7F "ELF") is refused, as the reader would look for an appended
// archive in it.

#include <cstdint>
#include <span>
#include <string>

#include "archive/file_io.h"

namespace hc {

class ErfWriter {
public:
    // Starts writing the archive that will become `path`. `prefix` bytes (an executable, for an
    // appended archive) are written first, followed by the marker when not empty.
    ErfWriter(std::string path, std::string title, std::span<const unsigned char> prefix = {});
    ~ErfWriter();
    ErfWriter(const ErfWriter&) = delete;
    ErfWriter& operator=(const ErfWriter&) = delete;

    // Adds one entry. `compress` stores it as one zlib stream (best compression); otherwise
    // stored as is. ExtraValue holds the size before compression.
    bool addEntry(const std::string& name, std::span<const unsigned char> content, bool compress);

    // Writes the entry count and checksum, flushes and renames the file into place.
    bool finish();

    // Why the last call failed.
    const std::string& error() const { return m_error; }

private:
    bool fail(const std::string& message);
    bool writeBytes(std::span<const unsigned char> bytes, bool inChecksum);

    std::string m_path;
    std::string m_tempPath;
    UniqueFile m_file;
    std::int64_t m_headerOffset = 0;
    std::uint32_t m_count = 0;
    std::uint32_t m_crc = 0;
    bool m_failed = false;
    bool m_finished = false;
    std::string m_error;
};

} // namespace hc
