#include "file_checksum.h"

#include <zlib.h>

std::uint32_t FileChecksum(std::FILE* file) {
    const long start = std::ftell(file);
    std::uint32_t crc = 0;
    unsigned char piece[1024];
    for (;;) {
        const std::size_t got = std::fread(piece, 1, sizeof piece, file);
        if (got == 0) {
            break;
        }
        crc = hc::crc32Bytes({piece, got}, crc);
    }
    std::clearerr(file);
    if (start >= 0) {
        std::fseek(file, start, SEEK_SET);
    }
    return crc;
}

namespace hc {

std::uint32_t crc32Bytes(std::span<const unsigned char> bytes, std::uint32_t crc) {
    // zlib's crc32 takes a uInt length; feed very large ranges in slices.
    const unsigned char* data = bytes.data();
    std::size_t left = bytes.size();
    uLong value = crc;
    while (left > 0) {
        const uInt slice = left > (1u << 30) ? (1u << 30) : static_cast<uInt>(left);
        value = ::crc32(value, data, slice);
        data += slice;
        left -= slice;
    }
    return static_cast<std::uint32_t>(value);
}

} // namespace hc
