#pragma once

#include <filesystem>
#include <string>

namespace hc {

// The one running copy of a program per logged-on user.
//
// Constructing a SingleInstance claims the program's name for this user; the claim lasts as
// long as the object and ends with the process however it ends, a crash or a kill included,
// so a copy that died never blocks the next start. The claim is not passed on to child
// processes. Two copies of the same program started by different users do not see each other.
//
// Should the claim be impossible to check (the lock directory cannot be written), the program
// is let run: a missing check is better than a program that never starts. That is said once
// on stderr.
class SingleInstance {
public:
    // `programName` names the program (a plain file name, no separators). `lockDirectory`
    // holds the lock file; by default a directory of this user's own (defaultLockDirectory()).
    explicit SingleInstance(const std::string& programName);
    SingleInstance(const std::string& programName, const std::filesystem::path& lockDirectory);
    ~SingleInstance();

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when another copy of the program holds the claim; this copy must then end.
    bool anotherCopyRunning() const { return m_anotherCopyRunning; }

    // The per-user directory where the claims live: the user's runtime directory
    // (XDG_RUNTIME_DIR), or a private directory of the user's that Qt sets up in its place.
    // Empty when there is none.
    static std::filesystem::path defaultLockDirectory();

private:
    int m_handle = -1;
    bool m_anotherCopyRunning = false;
};

} // namespace hc
