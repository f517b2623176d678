// Every user-file operation on arbitrary file bytes: never a crash or an out-of-bounds read,
// every result one of the table's codes, and every file a change writes is sealed (its
// checksum right), so a damaged file never turns into one that passes for good by accident.

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

// After a change that succeeded, the file (if any) must pass list's checksum test.
void checkSealed(UserFileResult result, hc::UserFile& users) {
    check(result);
    if (result != UserFileOk || !hc::FileOps::system().exists(workFile())) {
        return;
    }
    UserRecord current{};
    if (users.list(workFile(), {}, current) == UserFileCorrupted) {
        std::abort();
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
    int listed = 0;
    check(users.list(
        workFile(), [&](const UserRecord&) { ++listed; }, current));
    check(users.find(workFile(), name, current));
    put(bytes);
    checkSealed(users.update(workFile(), name, current), users);
    put(bytes);
    checkSealed(users.add(workFile(), "New"), users);
    put(bytes);
    bool added = false;
    checkSealed(users.addIfAbsent(workFile(), name, added), users);
    put(bytes);
    checkSealed(users.remove(workFile(), name), users);
    put(bytes);
    checkSealed(
        users.recordResult(workFile(), name, hc::Activity::Spelling, 77, 1.0f, 2.0f, current),
        users);
    put(bytes);
    checkSealed(users.countLogin(workFile(), name, current), users);
    return 0;
}
