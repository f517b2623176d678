// A school's user file of 10,000 students: listing it, finding the last student, and recording
// a result (which rewrites the whole file beside the old one, flushed to the storage, under the
// file's lock). Run from a release build: build/run/bench/datafiles/user_file_bench

#include "datafiles/file_ops.h"
#include "datafiles/user_file.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr int kUsers = 10000;

std::string studentName(int i) {
    return "Student " + std::to_string(i);
}

// A user file of kUsers records in a folder of its own, made once for the whole run.
class SchoolFile {
public:
    SchoolFile() {
        char folder[] = "/tmp/hcbench-users-XXXXXX";
        if (::mkdtemp(folder) == nullptr) {
            std::abort();
        }
        m_folder = folder;
        m_path = m_folder + "/USERS.ERF";
        // Built by appending records one at a time would take minutes of fsyncs: write the
        // image once through the library's own record layout instead.
        std::string bytes(sizeof(UserFileHeader), '\0');
        UserFileHeader header{};
        std::memcpy(header.Signature, hc::kUserFileSignature.data(), hc::kUserFileSignature.size());
        header.UserCount = kUsers;
        for (int i = 0; i < kUsers; ++i) {
            const UserRecord record = hc::newUserRecord(studentName(i));
            bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
        }
        std::memcpy(bytes.data(), &header, sizeof header);
        // The first update seals the checksum; it goes through the library like any other.
        std::FILE* file = std::fopen(m_path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        UserRecord record = hc::newUserRecord(studentName(0));
        if (hc::UserFile(hc::FileOps::system()).update(m_path, studentName(0), record) !=
            UserFileOk) {
            std::abort();
        }
    }
    ~SchoolFile() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_folder;
    std::string m_path;
};

const SchoolFile& school() {
    static const SchoolFile file;
    return file;
}

void BM_ListAllUsers(benchmark::State& state) {
    hc::UserFile users(hc::FileOps::system());
    UserRecord current{};
    for (auto _ : state) {
        int count = 0;
        const UserFileResult result = users.list(
            school().path(), [&](const UserRecord&) { ++count; }, current);
        if (result != UserFileOk || count != kUsers) {
            state.SkipWithError("list failed");
        }
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(BM_ListAllUsers)->Unit(benchmark::kMillisecond);

void BM_FindLastUser(benchmark::State& state) {
    hc::UserFile users(hc::FileOps::system());
    UserRecord current{};
    const std::string last = studentName(kUsers - 1);
    for (auto _ : state) {
        if (users.find(school().path(), last, current) != UserFileOk) {
            state.SkipWithError("find failed");
        }
    }
}
BENCHMARK(BM_FindLastUser)->Unit(benchmark::kMillisecond);

void BM_RecordResult(benchmark::State& state) {
    hc::UserFile users(hc::FileOps::system());
    UserRecord current{};
    const std::string last = studentName(kUsers - 1);
    int percent = 0;
    for (auto _ : state) {
        if (users.recordResult(school().path(), last, hc::Activity::Spelling, percent++ % 101, 1.0f,
                               1.0f, current) != UserFileOk) {
            state.SkipWithError("record failed");
        }
    }
}
BENCHMARK(BM_RecordResult)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
