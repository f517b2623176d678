#include "datafiles/file_ops.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace hc {

namespace {

// The open(2) flags of an fopen mode ("rb", "r+b", "wb", "ab" and their "+" forms).
int openFlags(std::string_view mode) {
    const bool update = mode.find('+') != std::string_view::npos;
    switch (mode.empty() ? 'r' : mode.front()) {
    case 'w':
        return (update ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
    case 'a':
        return (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
    default:
        return update ? O_RDWR : O_RDONLY;
    }
}

} // namespace

std::FILE* FileOps::open(const std::string& path, const char* mode) {
    // A data file is only ever a regular file. A FIFO would block the program for good and a
    // device such as /dev/zero never ends, so neither is read: the open does not wait (a FIFO
    // without a writer opens at once) and anything but a regular file is refused.
    const int fd = ::open(path.c_str(), openFlags(mode) | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : ENODEV;
        ::close(fd);
        errno = error;
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, mode);
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return file;
}

std::FILE* FileOps::create(const std::string& path) {
    // "x": fail when the file exists, so a name is never shared with another writer.
    return std::fopen(path.c_str(), "wbx");
}

std::size_t FileOps::read(void* data, std::size_t size, std::FILE* file) {
    return std::fread(data, 1, size, file);
}

bool FileOps::write(const void* data, std::size_t size, std::FILE* file) {
    return std::fwrite(data, 1, size, file) == size;
}

bool FileOps::sync(std::FILE* file) {
    if (std::fflush(file) != 0) {
        return false;
    }
    return ::fsync(::fileno(file)) == 0;
}

bool FileOps::close(std::FILE* file) {
    return std::fclose(file) == 0;
}

bool FileOps::rename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool FileOps::remove(const std::string& path) {
    return std::remove(path.c_str()) == 0;
}

bool FileOps::exists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

FileOps& FileOps::system() {
    static FileOps ops;
    return ops;
}

ReadStatus readWholeFile(FileOps& ops, const std::string& path, const char* mode,
                         std::string& bytes, const ReadLimit& limit) {
    bytes.clear();
    ScopedFile file(ops, ops.open(path, mode));
    if (!file) {
        return ReadStatus::CantOpen;
    }
    char piece[65536];
    for (;;) {
        // Never more than one byte past the limit: that byte is what tells a file too large.
        const std::size_t allowed = limit ? limit(bytes) : std::numeric_limits<std::size_t>::max();
        if (bytes.size() > allowed) {
            return ReadStatus::TooLarge;
        }
        const std::size_t room = allowed - bytes.size();
        const std::size_t want = room < sizeof piece ? room + 1 : sizeof piece;
        const std::size_t got = ops.read(piece, want, file.get());
        bytes.append(piece, got);
        if (got < want) {
            break;
        }
    }
    if (std::ferror(file.get()) != 0) {
        return ReadStatus::CantRead;
    }
    return ReadStatus::Ok;
}

void FileOps::copyPermissions(const std::string& from, std::FILE* to) {
    // A file on a share that the school made readable to everyone stays so, and a file that a
    // class's teachers share through its group stays theirs after another account wrote it.
    struct stat info;
    if (::stat(from.c_str(), &info) != 0) {
        return;
    }
    const int fd = ::fileno(to);
    if (::fchown(fd, info.st_uid, info.st_gid) != 0) {
        [[maybe_unused]] const int groupOnly = ::fchown(fd, static_cast<uid_t>(-1), info.st_gid);
    }
    // After the owner: a change of owner may clear the set-id bits.
    ::fchmod(fd, info.st_mode & 07777);
}

void FileOps::syncDirectory(const std::string& path) {
    // Some file systems refuse fsync on a folder; the rename has happened all the same.
    const std::size_t slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool folderWritable(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string(".")
                               : slash == 0               ? std::string("/")
                                                          : path.substr(0, slash);
    if (::access(folder.c_str(), W_OK) == 0) {
        return true;
    }
    return errno != EACCES && errno != EROFS && errno != EPERM;
}

bool isSpecialFile(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

ReplaceStatus replaceFile(FileOps& ops, const std::string& path, std::string_view bytes,
                          const std::string& tempPath) {
    if (isSpecialFile(path)) {
        return ReplaceStatus::CantCreate;
    }
    // A temporary file left by a writer that crashed is stale: only the caller may use this
    // name now.
    ops.remove(tempPath);
    std::FILE* file = ops.create(tempPath);
    if (file == nullptr) {
        return ReplaceStatus::CantCreate;
    }
    ops.copyPermissions(path, file);
    const bool written = ops.write(bytes.data(), bytes.size(), file) && ops.sync(file);
    const bool closed = ops.close(file);
    if (!written || !closed || !ops.rename(tempPath, path)) {
        ops.remove(tempPath);
        return ReplaceStatus::CantWrite;
    }
    ops.syncDirectory(path);
    return ReplaceStatus::Ok;
}

std::string resolvedPath(const std::string& path) {
    std::string current = path;
    // Follow a chain of links in place of the file (a bounded number, as the system does).
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info;
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            break;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) {
            return path;
        }
        target.resize(static_cast<std::size_t>(length));
        if (target.front() != '/') {
            const std::size_t slash = current.find_last_of('/');
            target = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) +
                     target;
        }
        current = target;
    }
    // The folder, resolved, so that two spellings of one folder lock one lock file.
    const std::size_t slash = current.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string(".")
                               : slash == 0               ? std::string("/")
                                                          : current.substr(0, slash);
    const std::string name = slash == std::string::npos ? current : current.substr(slash + 1);
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(folder.c_str(), nullptr),
                                                           &std::free);
    if (!real || name.empty()) {
        return current;
    }
    const std::string resolvedFolder = real.get();
    return resolvedFolder == "/" ? "/" + name : resolvedFolder + "/" + name;
}

std::string sideFilePath(const std::string& path, std::string_view suffix) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::string result = path.substr(0, nameStart);
    result += '~';
    result.append(path, nameStart);
    result += suffix;
    return result;
}

std::string uniqueSideFilePath(const std::string& path) {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0) {
        host[0] = '\0';
    }
    std::string suffix = ".";
    for (const char* c = host; *c != '\0'; ++c) {
        // Keep the host name to characters that are safe in any file name.
        const bool safe = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') ||
                          (*c >= '0' && *c <= '9') || *c == '-';
        suffix += safe ? *c : '_';
    }
    suffix += '.';
    suffix += std::to_string(::getpid());
    suffix += ".new";
    return sideFilePath(path, suffix);
}

bool isWriteLocked(const std::string& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

} // namespace hc
