#include "datafiles/file_lock.h"

#include "datafiles/file_ops.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace hc {

namespace {

// Open-file-description locks belong to the open file, not to the process: they exclude every
// other opener, threads of this process included, and closing some other descriptor of the same
// file cannot drop them. Network file systems carry them to the server's lock service like
// classic record locks.
bool tryLock(int fd, FileLock::Mode mode, bool& busy) {
    struct flock request = {};
    request.l_type = mode == FileLock::Mode::Exclusive ? F_WRLCK : F_RDLCK;
    request.l_whence = SEEK_SET;
    request.l_start = 0;
    request.l_len = 0; // the whole file, however long
    if (::fcntl(fd, F_OFD_SETLK, &request) == 0) {
        return true;
    }
    // A file system or kernel without them still has classic record locks, which exclude every
    // other process just the same; the lock file is opened only here, so no other descriptor
    // of this process can drop them early.
    if (errno == EINVAL && ::fcntl(fd, F_SETLK, &request) == 0) {
        return true;
    }
    busy = errno == EAGAIN || errno == EACCES || errno == EINTR;
    return false;
}

// Makes the lock file usable by every account that may write the data file: read and write for
// each class (owner, group, others) that may write it, and the data file's owner and group,
// where this process may set them (it owns the lock file, or is an administrator). Otherwise an
// account that may change the data file could not take its lock, and would fail to change it.
void shareLikeDataFile(int lockFd, const std::string& dataPath) {
    struct stat data;
    struct stat lock;
    if (::stat(dataPath.c_str(), &data) != 0 || ::fstat(lockFd, &lock) != 0) {
        return;
    }
    if (lock.st_uid != data.st_uid || lock.st_gid != data.st_gid) {
        if (::fchown(lockFd, data.st_uid, data.st_gid) != 0) {
            [[maybe_unused]] const int groupOnly =
                ::fchown(lockFd, static_cast<uid_t>(-1), data.st_gid);
        }
    }
    mode_t wanted = 0;
    if ((data.st_mode & S_IWUSR) != 0) {
        wanted |= S_IRUSR | S_IWUSR;
    }
    if ((data.st_mode & S_IWGRP) != 0) {
        wanted |= S_IRGRP | S_IWGRP;
    }
    if ((data.st_mode & S_IWOTH) != 0) {
        wanted |= S_IROTH | S_IWOTH;
    }
    if ((lock.st_mode & 0777) != wanted && wanted != 0) {
        ::fchmod(lockFd, wanted);
    }
}

} // namespace

FileLock::~FileLock() {
    release();
}

FileLock::FileLock(FileLock&& other) noexcept : m_fd(other.m_fd) {
    other.m_fd = -1;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

void FileLock::release() {
    if (m_fd >= 0) {
        ::close(m_fd); // drops the lock
        m_fd = -1;
    }
}

FileLock FileLock::acquire(const std::string& dataPath, Mode mode, int timeoutMs) {
    // A data file that is not a regular file (a folder, a FIFO, a device) is never read or
    // written, so no lock file is made beside it.
    if (isSpecialFile(dataPath)) {
        return FileLock();
    }
    const std::string lockPath = sideFilePath(dataPath, ".lck");
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        return FileLock();
    }
    shareLikeDataFile(fd, dataPath);
    // Poll rather than block, so that a holder that hangs (a stalled network share) turns into
    // a failed operation with a message instead of a frozen program.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        bool busy = false;
        if (tryLock(fd, mode, busy)) {
            return FileLock(fd);
        }
        if (!busy || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return FileLock();
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(16));
    }
}

} // namespace hc
