#include "extraction_folder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace hc::erftool {
namespace {

// A descriptor that is closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    void reset(int fd) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = fd;
    }

private:
    int m_fd;
};

std::string joined(const std::string& root, const std::vector<std::string>& parts,
                   std::size_t count) {
    std::string path = root;
    for (std::size_t i = 0; i < count; ++i) {
        path += '/';
        path += parts[i];
    }
    return path;
}

// What stands at `name` in the folder `dirFd`, without following a link.
const char* obstacle(int dirFd, const std::string& name, bool wantFolder) {
    struct stat info {};
    if (::fstatat(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return nullptr;
    }
    if (S_ISLNK(info.st_mode)) {
        return "a link, which is never followed";
    }
    if (wantFolder && !S_ISDIR(info.st_mode)) {
        return "a file where a folder is needed";
    }
    if (!wantFolder && S_ISDIR(info.st_mode)) {
        return "a folder";
    }
    return nullptr;
}

} // namespace

ExtractionFolder::ExtractionFolder(const std::string& path) : m_path(path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) {
        m_error = "cannot create folder " + path + ": " + error.message();
        return;
    }
    m_fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) {
        m_error = "cannot open folder " + path + ": " + std::strerror(errno);
    }
}

ExtractionFolder::~ExtractionFolder() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool ExtractionFolder::writeFile(const std::vector<std::string>& parts, const Fill& fill,
                                 std::string& error) {
    if (m_fd < 0 || parts.empty()) {
        error = m_error.empty() ? "nothing to write" : m_error;
        return false;
    }
    // Walk down the folders, each opened relative to its parent and never through a link
    // (O_NOFOLLOW), so a link swapped in after the check is refused all the same.
    Descriptor owned;
    int folder = m_fd;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (::mkdirat(folder, part.c_str(), 0777) != 0 && errno != EEXIST) {
            error = "cannot create folder " + joined(m_path, parts, i + 1) + ": " +
                    std::strerror(errno);
            return false;
        }
        if (const char* what = obstacle(folder, part, true)) {
            error = joined(m_path, parts, i + 1) + " is " + what;
            return false;
        }
        const int next =
            ::openat(folder, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            error = (errno == ELOOP || errno == ENOTDIR)
                        ? joined(m_path, parts, i + 1) + " is not a plain folder"
                        : "cannot open folder " + joined(m_path, parts, i + 1) + ": " +
                              std::strerror(errno);
            return false;
        }
        owned.reset(next);
        folder = next;
    }

    const std::string& name = parts.back();
    const std::string target = joined(m_path, parts, parts.size());
    if (const char* what = obstacle(folder, name, false)) {
        error = target + " is " + what;
        return false;
    }
    // A new file of this run's own beside the target; its name is short, so it fits wherever
    // the target's name does.
    static unsigned counter = 0;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 1000 && fd < 0; ++attempt) {
        temp =
            ".erftool-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".partial";
        fd = ::openat(folder, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        error = "cannot create a new file beside " + target + ": " + std::strerror(errno);
        return false;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        error = "cannot write " + target + ": " + std::strerror(errno);
        ::close(fd);
        ::unlinkat(folder, temp.c_str(), 0);
        return false;
    }
    const auto discard = [&] { ::unlinkat(folder, temp.c_str(), 0); };
    std::string fillError;
    if (!fill(file, fillError)) {
        std::fclose(file);
        discard();
        error = fillError;
        return false;
    }
    if (std::fclose(file) != 0) {
        error = "cannot write " + target + ": " + std::strerror(errno);
        discard();
        return false;
    }
    // Checked once more just before the rename; a rename replaces a link that appears there
    // in the meantime rather than writing through it.
    if (const char* what = obstacle(folder, name, false)) {
        discard();
        error = target + " is " + what;
        return false;
    }
    if (::renameat(folder, temp.c_str(), folder, name.c_str()) != 0) {
        error = "cannot write " + target + ": " + std::strerror(errno);
        discard();
        return false;
    }
    return true;
}

} // namespace hc::erftool
