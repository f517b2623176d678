#include "temp_files.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <new>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "archive/erf_directory.h"
#include "archive/erf_entry_stream.h"
#include "archive/erf_reader.h"
#include "archive/error.h"

namespace hc {

namespace {

constexpr int kLastNumber = 65534;

bool matchesTempPattern(const std::string& name) {
    // "qrv*.???": the prefix, anything, a dot, exactly three characters.
    if (name.size() < 7) {
        return false;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        const char c = name[i];
        const char want = "qrv"[i];
        if (c != want && c != want - 'a' + 'A') {
            return false;
        }
    }
    return name[name.size() - 4] == '.' && name.find('.', name.size() - 3) == std::string::npos;
}

// How a lock on a temporary file came out.
enum class LockResult { Locked, Busy, Unsupported };

// Locks the open file `fd` refers to. Open-file-description locks belong to that open file, not
// to the process: other descriptors of the same file that this process opens and closes (the
// media player reading it) leave them alone, and every other opener, in this process or another
// one, on this machine or on another one through a network file system, sees them. A kernel
// without them (Linux before 3.15) gets a classic record lock, which other copies see as well
// but which this process gives up as soon as it closes any descriptor of the file.
LockResult lockFile(int fd, short type) {
    struct flock request = {};
    request.l_type = type;
    request.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_SETLK, &request) == 0) {
        return LockResult::Locked;
    }
    if (errno == EINVAL && ::fcntl(fd, F_SETLK, &request) == 0) {
        return LockResult::Locked;
    }
    return errno == EAGAIN || errno == EACCES ? LockResult::Busy : LockResult::Unsupported;
}

// The locks of this process's temporary files: for each name, a descriptor of its own (sharing
// the creator's open file, so the lock stays when the creator's file is closed).
class HeldTempFiles {
public:
    void hold(const std::string& name, int fd) {
        const std::lock_guard guard(m_mutex);
        if (const auto old = m_held.find(name); old != m_held.end()) {
            ::close(old->second);
            m_held.erase(old);
        }
        m_held.emplace(name, fd);
    }
    void drop(const std::string& name) {
        const std::lock_guard guard(m_mutex);
        if (const auto held = m_held.find(name); held != m_held.end()) {
            ::close(held->second);
            m_held.erase(held);
        }
    }

    std::vector<std::string> names() {
        const std::lock_guard guard(m_mutex);
        std::vector<std::string> names;
        for (const auto& held : m_held) {
            names.push_back(held.first);
        }
        return names;
    }

private:
    std::mutex m_mutex;
    std::map<std::string, int> m_held;
};

HeldTempFiles& heldTempFiles() {
    static HeldTempFiles held;
    return held;
}

// True when `name` still names the file open as `fd` (a sweep of another copy may have deleted
// the name in the moment between its creation and its lock).
bool stillNames(const std::string& name, int fd) {
    struct stat byName {};
    struct stat byFile {};
    return ::lstat(name.c_str(), &byName) == 0 && ::fstat(fd, &byFile) == 0 &&
           byName.st_dev == byFile.st_dev && byName.st_ino == byFile.st_ino;
}

// Deletes `path` when no running copy holds it. The test lock (a read lock, which any write lock
// of the holder excludes) is kept until the name is gone, so the file cannot be taken in between.
bool deleteIfUnheld(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return false;
    }
    if (S_ISLNK(info.st_mode)) {
        // Temporary files are never links (they are created exclusively): whoever planted one
        // does not use it as a temporary file.
        return ::unlink(path.c_str()) == 0;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false; // cannot tell whether it is in use
    }
    const bool deleted = lockFile(fd, F_RDLCK) == LockResult::Locked && ::unlink(path.c_str()) == 0;
    ::close(fd);
    return deleted;
}

} // namespace

std::string privateTempDirectory() {
    const uid_t user = ::geteuid();
    std::vector<std::string> places;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && runtime[0] == '/') {
        places.push_back(std::string(runtime) + "/honeycombwordsmiths");
    }
    places.push_back("/tmp/honeycombwordsmiths-" + std::to_string(user));
    for (const std::string& place : places) {
        if (::mkdir(place.c_str(), 0700) != 0 && errno != EEXIST) {
            continue;
        }
        // Only a real folder of this account that nobody else may enter will do: in a folder
        // open to all, another account could plant or read the files.
        struct stat info {};
        if (::lstat(place.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != user) {
            continue;
        }
        if ((info.st_mode & 077) != 0 && ::chmod(place.c_str(), 0700) != 0) {
            continue;
        }
        return place + '/';
    }
    return {};
}

std::vector<std::string> tempDirectoryCandidates() {
    std::vector<std::string> candidates;
    const char* tmp = std::getenv("TMP");
    if (tmp == nullptr || *tmp == '\0') {
        tmp = std::getenv("TMPDIR");
    }
    if (tmp != nullptr && *tmp != '\0') {
        std::string directory = tmp;
        const char last = directory.back();
        if (last != '/' && last != '\\' && last != ':') {
            directory += '/';
        }
        candidates.push_back(directory);
    }
    if (std::string own = privateTempDirectory(); !own.empty()) {
        candidates.push_back(std::move(own));
    }
    return candidates;
}

std::optional<CreatedTempFile> createTempFile(const std::vector<std::string>& directories,
                                              std::string& lastTried) {
    lastTried.clear();
    for (const std::string& directory : directories) {
        for (int number = 0; number <= kLastNumber; ++number) {
            std::string name = directory + "qrv" + std::to_string(number) + ".$$$";
            lastTried = name;
            errno = 0;
            // "x": fail when the name exists, so the file is certainly new and ours.
            UniqueFile file = openFile(name, "wbx");
            if (!file) {
                if (errno != EEXIST) {
                    break; // this directory cannot take a new file: try the next one
                }
                continue;
            }
            const int lock = ::fcntl(::fileno(file.get()), F_DUPFD_CLOEXEC, 0);
            if (lock >= 0 && lockFile(lock, F_WRLCK) == LockResult::Busy) {
                // Another copy's sweep is testing the brand-new file: it is about to go.
                ::close(lock);
                continue;
            }
            if (lock >= 0 && !stillNames(name, lock)) {
                ::close(lock); // swept away before the lock was taken: take another name
                continue;
            }
            // Without a descriptor to spare (or locks on this file system) the file is used
            // unlocked, as it would be on a system without locks.
            if (lock >= 0) {
                heldTempFiles().hold(name, lock);
            }
            return CreatedTempFile{std::move(name), std::move(file)};
        }
    }
    return std::nullopt;
}

std::optional<std::string> tempDirectory(const std::vector<std::string>& directories) {
    for (const std::string& directory : directories) {
        std::error_code ec;
        if (directory.empty() || std::filesystem::is_directory(directory, ec)) {
            return directory;
        }
    }
    return std::nullopt;
}

int sweepTempFiles(const std::string& directory) {
    std::error_code ec;
    const std::filesystem::path where =
        directory.empty() ? std::filesystem::path(".") : std::filesystem::path(directory);
    int deleted = 0;
    for (std::filesystem::directory_iterator it(where, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (matchesTempPattern(it->path().filename().string()) && deleteIfUnheld(it->path())) {
            ++deleted;
        }
    }
    return deleted;
}

void releaseTempFile(const std::string& name) {
    // The name goes first and the lock after it, so no sweep ever finds the file unheld.
    std::remove(name.c_str());
    heldTempFiles().drop(name);
}

int releaseAllTempFiles() {
    const std::vector<std::string> names = heldTempFiles().names();
    for (const std::string& name : names) {
        releaseTempFile(name);
    }
    return static_cast<int>(names.size());
}

TempFileManager::TempFileManager(const ErfDirectory& directory) : m_directory(directory) {}

std::vector<std::string> TempFileManager::directories() const {
    return m_directories ? *m_directories : tempDirectoryCandidates();
}

void TempFileManager::startUp() {
    if (const std::optional<std::string> directory = tempDirectory(directories())) {
        sweepTempFiles(*directory);
    }
    try {
        m_buffer.assign(kBufferSize, 0);
    } catch (const std::bad_alloc&) {
        throw Error("Cannot allocate ERFlibTempFileManager buffer");
    }
}

void TempFileManager::shutDown() {
    m_buffer.clear();
    m_buffer.shrink_to_fit();
}

void TempFileManager::extract(const std::string& entryName, std::string& tempName) {
    if (m_buffer.empty()) {
        startUp();
    }
    std::string lastTried;
    std::optional<CreatedTempFile> created = createTempFile(directories(), lastTried);
    if (!created) {
        throw Error("Can't create temp file: " + lastTried);
    }
    tempName = created->name;
    UniqueFile file = std::move(created->file);

    const ErfEntryRecord* entry = m_directory.find(entryName);
    ErfEntryStream stream;
    if (entry == nullptr || stream.open(*entry) == nullptr) {
        throw Error("Can't open ERF resource: " + entryName);
    }
    const Error writeError("Can't write to temp file (Out of hard disk space?)");
    while (!stream.ended()) {
        if (m_pump) {
            m_pump();
        }
        // The buffer is free again here: a nested extraction run by the pump has finished
        // with it before control comes back.
        const std::size_t got = stream.read(m_buffer.data(), m_buffer.size());
        const std::size_t written = got > 0 ? std::fwrite(m_buffer.data(), 1, got, file.get()) : 0;
        if (written < got || (written == 0 && !stream.ended())) {
            throw writeError;
        }
    }
    // Buffered bytes reach the disk only now: a full disk shows here.
    if (std::fclose(file.release()) != 0) {
        throw writeError;
    }
}

void TempFileManager::release(std::string& tempName) {
    if (!tempName.empty()) {
        releaseTempFile(tempName);
        tempName.clear();
    }
}

} // namespace hc

namespace {

hc::TempFileManager& processManager() {
    static hc::TempFileManager manager(hc::erfDirectory());
    return manager;
}

} // namespace

void ErfTempFileManagerStartUp() {
    processManager().startUp();
}

void ErfTempFileManagerExit() {
    processManager().shutDown();
}

void ExtractToTempFile(const std::string& entryName, std::string& tempName) {
    processManager().extract(entryName, tempName);
}

void ReleaseTempFile(std::string& tempName) {
    hc::TempFileManager::release(tempName);
}

void SetExtractionPump(std::function<void()> pump) {
    processManager().setPump(std::move(pump));
}
