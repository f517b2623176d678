#pragma once

// A read cursor on one archive entry: its own open archive file, its own zlib decoder and its
// own 1024-byte input buffer. Each cursor is independent, so reading one entry never disturbs
// another cursor's position or pending compressed input.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <zlib.h>

#include "archive/erf_directory.h"
#include "archive/file_io.h"

namespace hc {

class ErfEntryStream {
public:
    ErfEntryStream();
    ~ErfEntryStream();
    ErfEntryStream(const ErfEntryStream&) = delete;
    ErfEntryStream& operator=(const ErfEntryStream&) = delete;

    // Makes a copy of `entry` the current entry, positioned at its first data byte. The archive
    // file is reopened only when the entry belongs to another archive than the previous one; a
    // compressed entry gets a fresh decoder. Returns the open archive file, or nullptr when it
    // cannot be opened (there is then no current entry).
    std::FILE* open(const ErfEntryRecord& entry);

    // Delivers up to `count` bytes of the entry's content into `buffer`; returns how many.
    // Stored entries: straight from the file, never past the entry's last byte.
    // Compressed entries: compressed bytes are fed to the decoder in pieces of at most 1024 and
    // never include a byte beyond the entry. The result is 0 when the decoder reports damage
    // (even if the call had produced bytes), when the entry is used up, or when its compressed
    // data ends before the end of the zlib stream (a cut-off entry is damage, not an end).
    std::size_t read(void* buffer, std::size_t count);

    // True when the current entry has nothing left to deliver. A compressed entry has ended
    // when its zlib stream has ended; a damaged one never ends, so a reader that keeps getting 0
    // from read() while ended() is false knows the entry is damaged. No current entry: true.
    bool ended() const;

    const ErfEntryRecord* entry() const { return m_entry; }

    // Closes the file and the decoder; no current entry afterwards.
    void close();

private:
    std::size_t readStored(unsigned char* buffer, std::size_t count);
    std::size_t readCompressed(unsigned char* buffer, std::size_t count);
    void endDecoder();

    UniqueFile m_file;
    const ErfArchiveRecord* m_archive = nullptr;
    // The record is copied: the directory may move its records when another archive opens.
    ErfEntryRecord m_current{};
    const ErfEntryRecord* m_entry = nullptr; // &m_current while there is a current entry
    std::int64_t m_position = 0; // absolute position of the next byte to read from the file
    bool m_atEndOfFile = false;

    z_stream m_zstream{};
    bool m_decoderInUse = false;
    bool m_streamEnded = false;
    bool m_damaged = false;
    // Compressed bytes read from the file but not yet handed to the decoder. The decoder gets
    // them in pieces of at most kPiece bytes; the file is read in larger blocks, never beyond
    // the entry's last byte.
    static constexpr std::size_t kPiece = 1024;
    std::vector<unsigned char> m_input;
    std::size_t m_inputBegin = 0;
    std::size_t m_inputEnd = 0;
    std::uint32_t m_read = 0; // compressed bytes read from the file so far
};

} // namespace hc
