#pragma once

// Reading the built DATA.ERF (in HC_PROGRAM_DIR) through the program's own archive reader.

#include <string>
#include <vector>

namespace hc::test {

// Opens the program directory's DATA.ERF, checking its checksum, once per test program.
// Returns false (with a test failure) when it cannot be opened.
bool openProgramArchive();
// Every entry name, in the reader's order.
std::vector<std::string> archiveNames();
// The whole content of an entry; fails the test and returns "" when it is missing or damaged.
std::string archiveEntry(const std::string& name);
// Writes an entry into `path` (for decoders that read files).
void writeEntryTo(const std::string& name, const std::string& path);
// Case-insensitive "begins with", as the program counts reward movies and puzzles.
bool startsWithFolded(const std::string& name, const std::string& prefix);

} // namespace hc::test
