#pragma once

// Data files built byte by byte from their documented layouts, independently of the library's
// structs, so that a test compares what the library writes with what the layout says.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <zlib.h>

namespace hc::test {

inline std::string le32(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

inline std::string f32(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return le32(bits);
}

inline std::uint32_t crcOf(const std::string& bytes, std::size_t from = 0) {
    if (from >= bytes.size()) {
        return 0;
    }
    return static_cast<std::uint32_t>(::crc32(0L,
                                              reinterpret_cast<const Bytef*>(bytes.data()) + from,
                                              static_cast<uInt>(bytes.size() - from)));
}

// A text field of `width` bytes: the text, then zeros.
inline std::string field(const std::string& text, std::size_t width) {
    std::string bytes = text.substr(0, width);
    bytes.resize(width, '\0');
    return bytes;
}

inline void put(std::string& bytes, std::size_t offset, const std::string& value) {
    bytes.replace(offset, value.size(), value);
}

struct RecordFields {
    std::string name;
    float score = 0.0f;
    std::int32_t runs = 0;
    std::array<std::int32_t, 10> spell{};
    float spellAverage = 0.0f;
    std::array<std::int32_t, 10> phono{};
    float phonoAverage = 0.0f;
};

// One 780-byte user record.
inline std::string recordBytes(const RecordFields& recipe) {
    std::string bytes(780, '\0');
    put(bytes, 0, field(recipe.name, 256));
    put(bytes, 256, le32(512));
    put(bytes, 264, le32(512));
    put(bytes, 268, f32(recipe.score));
    put(bytes, 272, le32(static_cast<std::uint32_t>(recipe.runs)));
    for (int i = 0; i < 10; ++i) {
        put(bytes, 276 + 4 * static_cast<std::size_t>(i),
            le32(static_cast<std::uint32_t>(recipe.spell[static_cast<std::size_t>(i)])));
        put(bytes, 320 + 4 * static_cast<std::size_t>(i),
            le32(static_cast<std::uint32_t>(recipe.phono[static_cast<std::size_t>(i)])));
    }
    put(bytes, 316, f32(recipe.spellAverage));
    put(bytes, 360, f32(recipe.phonoAverage));
    return bytes;
}

inline std::string recordBytes(const std::string& name) {
    return recordBytes(RecordFields{name});
}

// A whole user file: the 264-byte header (signature, count, checksum of the rest) and the
// records given, in order.
inline std::string userFileBytes(const std::vector<std::string>& records) {
    std::string body;
    for (const std::string& record : records) {
        body += record;
    }
    std::string bytes = field("QRV Honeycombwordsmiths User File", 256);
    bytes += le32(static_cast<std::uint32_t>(records.size()));
    bytes += le32(crcOf(body));
    return bytes + body;
}

// Sets the count and checksum of a user file image after it was edited by hand.
inline void resealUserFile(std::string& bytes, std::int32_t count) {
    put(bytes, 256, le32(static_cast<std::uint32_t>(count)));
    put(bytes, 260, le32(crcOf(bytes, 264)));
}

// OPTIONS.DAT with the default values, checksum over bytes 260 to the end.
inline std::string defaultOptionsBytes() {
    std::string bytes(1104, '\0');
    put(bytes, 0, field("QRV Honeycombwordsmiths Options File", 256));
    put(bytes, 310, field("USERS.ERF", 256));
    put(bytes, 566, field("A:\\USERS.ERF", 256));
    put(bytes, 822, field("WORDLIST.TXT", 256));
    put(bytes, 1080, f32(2.0f));
    put(bytes, 1088, le32(90));
    put(bytes, 1092, le32(25));
    put(bytes, 1096, f32(1.0f));
    put(bytes, 1100, f32(1.0f));
    put(bytes, 256, le32(crcOf(bytes, 260)));
    return bytes;
}

inline void resealOptions(std::string& bytes) {
    put(bytes, 256, le32(crcOf(bytes, 260)));
}

} // namespace hc::test
