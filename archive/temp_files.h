#pragma once

// Copies single archive entries into temporary files for the media player, which plays files,
// not archive entries, and deletes them again.
//
// Temporary files are named "qrv" + a decimal number + ".$$$" (qrv0.$$$, qrv1.$$$, ...) in the
// directory named by the environment variable TMP, or (when TMP is not set) TMPDIR, or else in
// a private folder of the account (mode 0700): $XDG_RUNTIME_DIR/honeycombwordsmiths, or
// /tmp/honeycombwordsmiths-UID. Never in the current directory, which is the class folder and
// may be a school's network share. Each file is created exclusively: a name that already exists,
// even one created by another process a moment earlier, is skipped for the next number, so no file
// or link is ever reused.
//
// Several running copies may share that directory (accounts on one machine, machines on a
// shared program folder). Each copy holds a lock on each of its temporary files for as long as
// the file exists (until it is released, or the copy ends), and the start-up sweep deletes only
// files that nobody holds: a file still in use by another copy is never deleted.
//
// Errors are raised as hc::Error with these messages:
//   "Cannot allocate ERFlibTempFileManager buffer"
//   "Can't create temp file: <name>"
//   "Can't open ERF resource: <entry name>"
//   "Can't write to temp file (Out of hard disk space?)"

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "archive/file_io.h"

namespace hc {

class ErfDirectory;

// The directories tried for a temporary file, in order: TMP when set, otherwise TMPDIR when set,
// then the account's private folder. Each ends in a separator.
std::vector<std::string> tempDirectoryCandidates();

// The account's private folder for temporary files, made (mode 0700) when missing:
// $XDG_RUNTIME_DIR/honeycombwordsmiths when XDG_RUNTIME_DIR is set, else (or when that fails)
// /tmp/honeycombwordsmiths-UID. A folder there that is not this account's own, or is a link,
// is never used. Ends in a separator; empty when neither can be had.
std::string privateTempDirectory();

struct CreatedTempFile {
    std::string name;
    UniqueFile file; // open for binary writing
};

// Creates a new, empty temporary file and locks it for this process until releaseTempFile()
// (or the end of the process). `directories` are tried in order, the numbers 0 to 65534 in
// each; a directory where creation fails for any reason other than an existing name is given
// up for the next. Returns nothing when no file could be created; `lastTried` then holds the
// last name tried (empty if none was).
std::optional<CreatedTempFile> createTempFile(const std::vector<std::string>& directories,
                                              std::string& lastTried);

// The directory temporary files go to, which the start-up sweep cleans: the first candidate that
// is an existing directory ("" stands for the current directory); nothing when none is.
std::optional<std::string> tempDirectory(const std::vector<std::string>& directories);

// Deletes every file in `directory` whose name matches "qrv*.???" (ASCII letter case ignored,
// exactly three characters after the last dot) that no running copy holds: a file whose lock
// cannot be tested (it cannot be opened, or the file system has no locks) is kept too, as it may
// be in use. Returns how many were deleted.
int sweepTempFiles(const std::string& directory);

// Deletes a temporary file of this process (ignoring failure) and drops its lock. Any other
// file is simply deleted.
void releaseTempFile(const std::string& name);

// Deletes every temporary file this process still holds, whoever owns its name: the last step
// of a program's ending, so that none is left even when a screen was cut short. Returns how
// many there were.
int releaseAllTempFiles();

class TempFileManager {
public:
    static constexpr std::size_t kBufferSize = 65536;

    // Reads entries from `directory`, through a read cursor of each extraction's own.
    explicit TempFileManager(const ErfDirectory& directory);

    // Sweeps stale temporary files and allocates the copy buffer.
    void startUp();
    // Frees the copy buffer.
    void shutDown();

    // Copies the entry into a new temporary file and stores the file's name in `tempName` as
    // soon as the file exists. On failure the file (if it was created) stays on disk under
    // that name for ReleaseTempFile or the next start-up's sweep, and hc::Error is raised.
    // Between two pieces of 65536 bytes the pump installed with setPump() runs, so the user
    // interface stays alive; it may itself extract or read other entries without harm.
    void extract(const std::string& entryName, std::string& tempName);

    // Deletes the file named by `tempName` (ignoring failure) and empties the name.
    static void release(std::string& tempName);

    void setPump(std::function<void()> pump) { m_pump = std::move(pump); }

    // Where temporary files are looked for; defaults to tempDirectoryCandidates() at each use.
    void setDirectories(std::vector<std::string> directories) {
        m_directories = std::move(directories);
    }

private:
    std::vector<std::string> directories() const;

    const ErfDirectory& m_directory;
    std::vector<unsigned char> m_buffer;
    std::function<void()> m_pump;
    std::optional<std::vector<std::string>> m_directories;
};

} // namespace hc

// The process-wide temporary-file manager over the process-wide archive reader.
// Start-up runs before DATA.ERF is opened; exit after ErfCloseAll.
void ErfTempFileManagerStartUp();
void ErfTempFileManagerExit();
void ExtractToTempFile(const std::string& entryName, std::string& tempName);
void ReleaseTempFile(std::string& tempName);
// Installs the callback that lets the user interface run between pieces of an extraction.
void SetExtractionPump(std::function<void()> pump);
