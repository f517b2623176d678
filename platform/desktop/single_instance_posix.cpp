#include "platform/desktop/single_instance.h"

#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace hc {

// The claim is an exclusive flock() on "<name>.lock" in the user's lock directory. The kernel
// drops the lock when the last descriptor of it closes, which happens when the process ends in
// any way, so there is never a stale claim. The descriptor is close-on-exec so that a child
// started by the program cannot keep the claim after the program is gone. The file itself is
// never deleted: removing it would let a later copy lock a new file while an older copy still
// holds the removed one.

SingleInstance::SingleInstance(const std::string& programName)
    : SingleInstance(programName, defaultLockDirectory()) {}

SingleInstance::SingleInstance(const std::string& programName,
                               const std::filesystem::path& lockDirectory) {
    if (lockDirectory.empty()) {
        std::fprintf(stderr, "%s: no lock directory; a second copy cannot be detected\n",
                     programName.c_str());
        return;
    }
    const std::filesystem::path lockFile = lockDirectory / (programName + ".lock");
    m_handle = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_handle < 0) {
        std::fprintf(stderr, "%s: cannot open %s (%s); a second copy cannot be detected\n",
                     programName.c_str(), lockFile.c_str(), std::strerror(errno));
        return;
    }
    int result;
    do {
        result = ::flock(m_handle, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        if (errno == EWOULDBLOCK) {
            m_anotherCopyRunning = true;
        } else {
            std::fprintf(stderr, "%s: cannot lock %s (%s); a second copy cannot be detected\n",
                         programName.c_str(), lockFile.c_str(), std::strerror(errno));
        }
        ::close(m_handle);
        m_handle = -1;
    }
}

SingleInstance::~SingleInstance() {
    if (m_handle >= 0) {
        ::close(m_handle);
    }
}

std::filesystem::path SingleInstance::defaultLockDirectory() {
    // Qt checks that the runtime directory belongs to this user and is private, and makes a
    // private one of the user's when the session has none.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) {
        return {};
    }
    return std::filesystem::path(dir.toStdString());
}

} // namespace hc
