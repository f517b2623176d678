#pragma once

// The archive reader's library interface: free functions over one process-wide reader.
//
// A program opens its archives once (their directories merge into one), then finds entries by
// name and reads them. There is one current entry at a time: opening an entry abandons the
// previous one. Extraction into temporary files (archive/temp_files.h) uses a read cursor of
// its own and never disturbs the current entry.
//
// Single-threaded: call from one thread only.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "archive/erf_result.h"

namespace hc {
class ErfDirectory;
}

// Opens the archive at `path` and adds its entries to the directory. With `verify`, the
// checksum is checked. `title` (a 256-byte buffer, NUL-terminated on return) and `count`
// receive the title and entry count when not null. Entries read before a failure in the
// directory stay until ErfCloseAll. The file is closed again before it returns.
ErfResult ErfOpenArchive(const char* path, bool verify, char* title, std::uint32_t* count);

// Makes the named entry current (ASCII letter case ignored; among equal names the one read
// first). Returns the archive file positioned at the entry's data, for use as success only, or
// nullptr when the name is unknown (the current entry then stays as it was) or the archive
// file cannot be opened (there is then no current entry).
std::FILE* ErfOpenEntry(const char* name);

// Reads up to `count` bytes of the current entry into `buffer`; returns how many were
// delivered: 0 when nothing more can be delivered or the entry's data is damaged.
std::size_t ErfRead(std::size_t count, void* buffer);

// True when the current entry has nothing left to read. A damaged compressed entry never
// ends: ErfRead keeps returning 0 while this stays false.
bool ErfEntryEnded();

// Calls `callback` with every entry name and `argument`, in ascending name order (equal names
// in reading order), until a call returns 0.
using ErfEntryCallback = int (*)(const char* name, void* argument);
void ErfForEachEntry(ErfEntryCallback callback, void* argument);

// Releases every archive and entry record, the open file and the decoder.
void ErfCloseAll();

namespace hc {

// Every entry name, in ErfForEachEntry's order.
std::vector<std::string> erfEntryNames();

// The process-wide directory behind these functions, for code that needs more than names
// (erftool's listing, the temporary-file manager's own read cursor).
const ErfDirectory& erfDirectory();

} // namespace hc
