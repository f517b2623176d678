// Every user-file operation on arbitrary file bytes: never a crash or an out-of-bounds read,
// every result one of the table's codes, and of every change:
// - a change that fails leaves the file exactly as it was;
// - a change that succeeds never turns a sound file (one that lists) into a damaged one;
// - a damaged file is never made to look sound except by a change that rewrites it (one that
//   leaves it as it was, like deleting a name it does not hold, leaves it damaged).
// Find, update and delete do not check the checksum, so they may succeed on a damaged file.

#include "datafiles/file_ops.h"
#include "datafiles/user_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// The real files, without waiting for the storage on every write.
class FastFileOps : public hc::FileOps {
public:
    bool sync(std::FILE* file) override { return std::fflush(file) == 0; }
    void syncDirectory(const std::string&) override {}
};

// A folder of its own for the whole run, removed at exit.
class WorkFolder {
public:
    WorkFolder() {
        char folder[] = "/tmp/hcfuzz-userfile-XXXXXX";
        if (::mkdtemp(folder) == nullptr) {
            std::abort();
        }
        m_folder = folder;
    }
    ~WorkFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    std::string file() const { return m_folder + "/U.ERF"; }

private:
    std::string m_folder;
};

const std::string& workFile() {
    static const WorkFolder folder;
    static const std::string path = folder.file();
    return path;
}

void put(const std::string& bytes) {
    std::FILE* file = std::fopen(workFile().c_str(), "wb");
    if (file == nullptr) {
        std::abort();
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

void check(UserFileResult result) {
    if (result < UserFileOk || result > UserFileNotFound) {
        std::abort();
    }
}

// The user file as a change finds or leaves it.
struct FileState {
    bool exists = false;
    std::string bytes;
    bool sound = false; // it lists
};

FileState state(hc::UserFile& users) {
    FileState file;
    std::FILE* in = std::fopen(workFile().c_str(), "rb");
    if (in == nullptr) {
        return file;
    }
    file.exists = true;
    char piece[4096];
    std::size_t got = 0;
    while ((got = std::fread(piece, 1, sizeof piece, in)) > 0) {
        file.bytes.append(piece, got);
    }
    std::fclose(in);
    UserRecord current{};
    file.sound = users.list(workFile(), {}, current) == UserFileOk;
    return file;
}

void checkChange(UserFileResult result, const FileState& before, hc::UserFile& users) {
    check(result);
    const FileState after = state(users);
    const bool unchanged = after.exists == before.exists && after.bytes == before.bytes;
    if (result != UserFileOk) {
        if (!unchanged) {
            std::abort(); // a failed change touched the file
        }
        return;
    }
    if (before.sound && after.exists && !after.sound) {
        std::abort(); // a change that succeeded damaged a sound file
    }
    if (!before.sound && after.sound && unchanged) {
        std::abort(); // cannot happen: the same bytes list the same way
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    FastFileOps ops;
    hc::UserFile users(ops);
    UserRecord current{};

    // A name that may be in the file: the first record's, whatever it holds.
    std::string name = "Ann";
    if (size > 264) {
        name.assign(bytes, 264, std::min<std::size_t>(size - 264, 300));
    }

    put(bytes);
    const FileState before = state(users);
    int listed = 0;
    check(users.list(
        workFile(), [&](const UserRecord&) { ++listed; }, current));
    check(users.find(workFile(), name, current));
    put(bytes);
    checkChange(users.update(workFile(), name, current), before, users);
    put(bytes);
    checkChange(users.add(workFile(), "New"), before, users);
    put(bytes);
    bool added = false;
    checkChange(users.addIfAbsent(workFile(), name, added), before, users);
    put(bytes);
    checkChange(users.remove(workFile(), name), before, users);
    put(bytes);
    checkChange(
        users.recordResult(workFile(), name, hc::Activity::Spelling, 77, 1.0f, 2.0f, current),
        before, users);
    put(bytes);
    checkChange(users.countLogin(workFile(), name, current), before, users);
    return 0;
}
