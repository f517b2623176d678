#pragma once

// The bytes of the ERF archive format, shared by the reader and the writer.
//
// All integers are unsigned 32-bit little-endian; nothing is aligned or padded.
//   header  (264 bytes): ArchiveTitle[256] (text, NUL-terminated), EntryCount, Checksum
//   entry   (268 bytes + data): name[256] (NUL-terminated), StoredLength, CompressionTag[4],
//           ExtraValue, then StoredLength data bytes
// Checksum is the CRC-32 of every byte after the header to the end of the file. An archive may
// follow an executable, starting right after the first occurrence of the 12-byte marker.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace hc::erf {

inline constexpr std::size_t kTitleSize = 256;
inline constexpr std::size_t kHeaderSize = 264; // title, count, checksum
inline constexpr std::size_t kNameSize = 256;
inline constexpr std::size_t kMaxNameLength = 255; // a name always leaves room for its NUL
inline constexpr std::size_t kEntryHeaderSize = 268;
inline constexpr std::size_t kSignatureSize = 12;

// The 4-byte compression tag of a compressed entry. A stored entry's tag starts with a zero
// byte (the other three bytes are not looked at); any other tag is rejected.
inline constexpr std::string_view kZlibTag = "ZLIB";

// The marker in front of an archive appended to an executable. The program carries it
// scrambled (every byte one higher) so that no program file that can append or find an archive
// contains the marker itself and could be mistaken for the start of one.
std::array<unsigned char, kSignatureSize> embedSignature();

// Files that start with one of these are executables: the archive, if any, follows the marker.
bool looksLikeExecutable(const unsigned char* start, std::size_t size);

// Entry names compare after mapping ASCII a-z to A-Z and nothing else, byte by byte as unsigned
// values; a name that is a prefix of another sorts first.
int compareNames(std::string_view a, std::string_view b);
bool namesEqual(std::string_view a, std::string_view b);

struct NameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return compareNames(a, b) < 0; }
};

inline std::uint32_t readLE32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void writeLE32(unsigned char* p, std::uint32_t value) {
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value >> 16);
    p[3] = static_cast<unsigned char>(value >> 24);
}

} // namespace hc::erf
