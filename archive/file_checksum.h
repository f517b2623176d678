#pragma once

#include <cstdint>
#include <cstdio>
#include <span>

// CRC-32 as zip and PNG use it (reflected polynomial 0xEDB88320, preset and result inverted),
// computed with zlib from the value 0. It is the check value of the archive, OPTIONS.DAT and
// the user file.

// CRC-32 of the bytes of an open file from its current position to its end, read in pieces
// of 1024 bytes. The file position is restored before it returns. An empty range gives 0.
// A read error ends the range early, as the end of the file would.
std::uint32_t FileChecksum(std::FILE* file);

namespace hc {

// CRC-32 of bytes in memory, the same algorithm; continue a running value through `crc`.
std::uint32_t crc32Bytes(std::span<const unsigned char> bytes, std::uint32_t crc = 0);

} // namespace hc
