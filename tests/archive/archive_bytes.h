#pragma once

// Builds ERF archive bytes by hand, field by field, independently of the project's writer, so
// the reader is tested against the format itself.

#include <cstdint>
#include <string>
#include <vector>

#include <zlib.h>

namespace hc::test {

inline void appendLE32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// A fixed-size text field: the text, then zero bytes up to `width`.
inline std::string field(const std::string& text, std::size_t width) {
    std::string out = text.substr(0, width);
    out.resize(width, '\0');
    return out;
}

inline std::string zlibCompress(const std::string& content, int level = 9) {
    uLongf size = compressBound(static_cast<uLong>(content.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(content.data()), static_cast<uLong>(content.size()),
              level);
    out.resize(size);
    return out;
}

struct RawEntry {
    std::string name; // written into the 256-byte field (may fill it without a NUL)
    std::string data; // the stored bytes
    std::string tag;  // 4 bytes; "" means four zero bytes (stored)
    std::uint32_t extra = 0;
    std::int64_t storedLength = -1; // -1: the data's size
};

inline RawEntry storedEntry(const std::string& name, const std::string& content) {
    return {name, content, std::string(4, '\0'), static_cast<std::uint32_t>(content.size())};
}

inline RawEntry zlibEntry(const std::string& name, const std::string& content) {
    return {name, zlibCompress(content), "ZLIB", static_cast<std::uint32_t>(content.size())};
}

inline std::string entryBytes(const RawEntry& entry) {
    std::string out = field(entry.name, 256);
    const auto length = entry.storedLength >= 0 ? static_cast<std::uint32_t>(entry.storedLength)
                                                : static_cast<std::uint32_t>(entry.data.size());
    appendLE32(out, length);
    out += field(entry.tag, 4);
    appendLE32(out, entry.extra);
    out += entry.data;
    return out;
}

// A complete stand-alone archive. `count` overrides the entry count when not negative.
inline std::string archiveBytes(const std::vector<RawEntry>& entries,
                                const std::string& title = "test", std::int64_t count = -1,
                                bool rightChecksum = true) {
    std::string body;
    for (const RawEntry& entry : entries) {
        body += entryBytes(entry);
    }
    std::string out = field(title, 256);
    appendLE32(out, count >= 0 ? static_cast<std::uint32_t>(count)
                               : static_cast<std::uint32_t>(entries.size()));
    const uLong crc =
        crc32(0L, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    appendLE32(out, rightChecksum ? static_cast<std::uint32_t>(crc)
                                  : static_cast<std::uint32_t>(crc ^ 1));
    return out + body;
}

} // namespace hc::test
