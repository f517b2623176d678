#pragma once

// An advisory lock on a data file that every copy of the programs respects, on this machine and
// across machines that share the file's folder.

#include <string>

namespace hc {

// Holds a lock on the lock file beside a data file ("~" + name + ".lck", see sideFilePath) for
// as long as the object lives. The lock is a record lock on that file, which the operating
// system (and a network file system's lock service) drops when the holder ends or crashes, so
// a crash never leaves the data file locked. The lock file itself stays in place: it holds no
// data, and removing it could let two holders lock two different files. Each holder that may
// (its owner, or an administrator) gives it the data file's owner and group and read and write
// for every class of account that may write the data file, so every account that may change
// the data file can lock it.
class FileLock {
public:
    enum class Mode { Shared, Exclusive };

    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Locks the data file at `dataPath`, waiting up to `timeoutMs` for other holders to finish.
    // Returns an object without a lock (locked() false) when the lock file cannot be created
    // or the wait ran out.
    static FileLock acquire(const std::string& dataPath, Mode mode, int timeoutMs = 20000);

    bool locked() const { return m_fd >= 0; }

private:
    explicit FileLock(int fd) : m_fd(fd) {}
    void release();

    int m_fd = -1;
};

} // namespace hc
