#pragma once

// Results of opening an archive. 0 is success; every code has one fixed message.
enum ErfResult : int {
    ErfOk = 0,
    ErfOutOfMemory = 1,        // an archive or entry record cannot be allocated
    ErfErrorOpeningFile = 2,   // the archive file cannot be opened for reading
    ErfNoErfInExe = 3,         // an executable without the embedded-archive marker
    ErfBadChecksum = 4,        // verification asked for and the CRC-32 differs
    ErfUnknownCompression = 5, // an entry's tag is neither stored nor "ZLIB"; also any
                               // archive that ends before its header or directory is complete
};

inline constexpr int kErfResultCount = 6;

// The message for a result code, from the library's message table ("Ok", "Out of memory", ...).
// A code outside the table gives "Unknown ERF error".
const char* ErfResultMessage(int result);
