#pragma once

// The file-system operations the data files need, behind one interface so that tests can make
// any single step fail, and the atomic replacement of a whole file built on them.

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace hc {

// Thin layer over the C runtime's buffered files and the file system. Every call that can fail
// reports it; errno is left as the failing call set it. Paths are native paths.
class FileOps {
public:
    virtual ~FileOps() = default;

    // Opens a regular file with an fopen mode. Anything else (a folder, a FIFO, a device) is
    // refused without waiting: errno EISDIR for a folder, ENODEV for the rest.
    virtual std::FILE* open(const std::string& path, const char* mode);
    // Creates a new file that did not exist before (fails if it does) for binary writing.
    virtual std::FILE* create(const std::string& path);
    // Returns the number of bytes read; fewer than asked at the end of the file or on error.
    virtual std::size_t read(void* data, std::size_t size, std::FILE* file);
    // Returns false unless every byte was handed to the file.
    virtual bool write(const void* data, std::size_t size, std::FILE* file);
    // Pushes buffered bytes to the file and the file to the storage (fflush, then fsync).
    virtual bool sync(std::FILE* file);
    // Closes the file in every case; false when buffered bytes could not be written.
    virtual bool close(std::FILE* file);
    // Replaces `to` by `from` in one step (readers see the old file or the new one).
    virtual bool rename(const std::string& from, const std::string& to);
    virtual bool remove(const std::string& path);
    virtual bool exists(const std::string& path);
    // Gives a new file the permission bits of the file it will replace, and its owner and group
    // where this process may set them (an administrator may set both; anyone may set a group
    // they belong to), so that the accounts that could write the old file can write the new
    // one. Best effort.
    virtual void copyPermissions(const std::string& from, std::FILE* to);
    // Makes a rename in the folder of `path` durable (best effort).
    virtual void syncDirectory(const std::string& path);

    // The real file system, shared by everything that is not a test.
    static FileOps& system();
};

// Closes a file through its FileOps when it goes out of scope.
class ScopedFile {
public:
    ScopedFile(FileOps& ops, std::FILE* file) : m_ops(ops), m_file(file) {}
    ~ScopedFile() {
        if (m_file != nullptr) {
            m_ops.close(m_file);
        }
    }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;

    std::FILE* get() const { return m_file; }
    explicit operator bool() const { return m_file != nullptr; }
    // Closes now; false when buffered bytes could not be written.
    bool close() {
        std::FILE* file = m_file;
        m_file = nullptr;
        return file == nullptr || m_ops.close(file);
    }

private:
    FileOps& m_ops;
    std::FILE* m_file;
};

enum class ReadStatus { Ok, CantOpen, CantRead, TooLarge };

// The most bytes a file may hold, given its first bytes as read so far (a file whose header
// says how long it is). Asked again after every piece read.
using ReadLimit = std::function<std::size_t(std::string_view bytesSoFar)>;

// Reads a whole file, opened with `mode` ("rb", or "r+b" to insist that it is writable).
// CantOpen leaves errno from the failed open. With a limit, a file longer than it gives
// TooLarge after reading at most one byte more than the limit, so that no file (a huge one, a
// device that never ends) can take all memory.
ReadStatus readWholeFile(FileOps& ops, const std::string& path, const char* mode,
                         std::string& bytes, const ReadLimit& limit = {});

// False when this account may not create files in the folder of `path` (its permissions, a
// read-only file system): what a failure to make a file beside a data file then means.
bool folderWritable(const std::string& path);

// True when something other than a regular file is at `path` (a folder, a FIFO, a device,
// links followed). Nothing there is not special.
bool isSpecialFile(const std::string& path);

enum class ReplaceStatus { Ok, CantCreate, CantWrite };

// Replaces the file at `path` by `bytes`: writes them to `tempPath` beside it, flushes that file
// to the storage and renames it over `path`. Readers see the old file or the new one, never a
// mix; on any failure the temporary file is removed and `path` is left exactly as it was.
// `tempPath` must be in the same directory as `path` and must not be used by anyone else at the
// time (a name unique to this writer, or one only the holder of the file's lock writes).
// Something other than a regular file at `path` is never replaced: CantCreate.
ReplaceStatus replaceFile(FileOps& ops, const std::string& path, std::string_view bytes,
                          const std::string& tempPath);

// The path a data file is really read and replaced at: a link in its place is followed (to
// where it points, even when nothing is there yet) and its folder is resolved, so that the file
// a link leads to is changed in place of the link, and every writer, whichever path it was
// given, locks the same lock file beside the same file. A path that cannot be resolved is
// returned as it is.
std::string resolvedPath(const std::string& path);

// Names of the files kept beside a data file while it is changed: "~" + its name + suffix in the
// same directory. The leading "~" keeps them clear of the student program's start-up sweep of
// "qrv*.???" files, whatever the data file is called.
std::string sideFilePath(const std::string& path, std::string_view suffix);
// A temporary name beside `path` that no other process uses: host name and process id.
std::string uniqueSideFilePath(const std::string& path);

// Whether a regular file at `path` is locked against being replaced: this account may not write
// it, or none of its write permissions is on (a school makes a file read-only to lock it, and
// an administrator's account, which may write anything, must respect that as well). A file
// that is not there is not locked.
bool isWriteLocked(const std::string& path);

// The longest name (the last part of a native path, in bytes) a data file may have so that the
// files kept beside it fit the 255 bytes a file name may have: "~", the name, then at most 80
// bytes of suffix (".lck", ".new", or "." + a host name of up to 64 characters + "." + a process
// id + ".new").
inline constexpr std::size_t kDataFileNameMax = 255 - 1 - 80;

} // namespace hc
