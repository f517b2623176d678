// Several processes change one user file at the same moment, as student machines sharing a
// network folder do: every result and every new user must be in the file afterwards.

#include "datafiles/file_ops.h"
#include "datafiles/history.h"
#include "datafiles/user_file.h"
#include "file_bytes.h"
#include "temp_dir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace hc::test {
namespace {

class ConcurrencyTest : public TempDirTest {};

// Runs `work(index)` in `count` child processes started together; each child exits with the
// number of operations that did not return 0.
void runInProcesses(int count, const std::function<int(int)>& work) {
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(go[1]);
            char start = 0;
            // Every child waits here until the parent lets them all go at once.
            [[maybe_unused]] const auto got = ::read(go[0], &start, 1);
            ::_exit(std::min(work(i), 100));
        }
        children.push_back(child);
    }
    ::close(go[0]);
    ::close(go[1]); // end of file: all children start
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "a child saw failures";
    }
}

TEST_F(ConcurrencyTest, ResultsRecordedAtOnceAreAllKept) {
    const std::string file = path("U.ERF");
    writeFile(file, userFileBytes({recordBytes("Ann"), recordBytes("Bob")}));
    constexpr int kProcesses = 4;
    constexpr int kEach = 2; // 8 results fit in Ann's ten slots, so none is shifted out
    runInProcesses(kProcesses, [&](int index) {
        UserFile users(FileOps::system());
        int failures = 0;
        for (int k = 0; k < kEach; ++k) {
            UserRecord current{};
            failures += users.recordResult(file, index % 2 ? "ann" : "ANN", Activity::Spelling,
                                           10 * index + k, 1.0f, 1.0f, current) != UserFileOk;
            // Other users change in between, too.
            failures += users.recordResult(file, "Bob", Activity::Phonogram, k, 1.0f, 1.0f,
                                           current) != UserFileOk;
        }
        return failures;
    });
    UserFile users(FileOps::system());
    UserRecord ann{};
    ASSERT_EQ(users.find(file, "Ann", ann), UserFileOk);
    std::vector<int> slots(ann.SpellScores, ann.SpellScores + 10);
    std::sort(slots.begin(), slots.end());
    std::vector<int> expected = {0, 0};
    for (int index = 0; index < kProcesses; ++index) {
        for (int k = 0; k < kEach; ++k) {
            expected.push_back(10 * index + k + 1);
        }
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(slots, expected);
    UserRecord bob{};
    ASSERT_EQ(users.find(file, "Bob", bob), UserFileOk);
    EXPECT_EQ(std::count(bob.PhonoScores, bob.PhonoScores + 10, 0), 10 - kProcesses * kEach);
}

TEST_F(ConcurrencyTest, UsersAddedAtOnceAreAllThere) {
    const std::string file = path("U.ERF");
    constexpr int kProcesses = 4;
    constexpr int kEach = 15;
    runInProcesses(kProcesses, [&](int index) {
        UserFile users(FileOps::system());
        int failures = 0;
        for (int k = 0; k < kEach; ++k) {
            bool added = false;
            // The file does not exist at first: creating it races too.
            failures +=
                users.addIfAbsent(file, "P" + std::to_string(index) + "-" + std::to_string(k),
                                  added) != UserFileOk;
            failures += !added;
            // Everyone also tries the same name; exactly one may add it.
            users.addIfAbsent(file, "Shared", added);
        }
        return failures;
    });
    UserFile users(FileOps::system());
    std::vector<std::string> names;
    UserRecord current{};
    ASSERT_EQ(users.list(
                  file, [&](const UserRecord& r) { names.push_back(recordName(r)); }, current),
              UserFileOk);
    EXPECT_EQ(names.size(), static_cast<std::size_t>(kProcesses * kEach + 1));
    EXPECT_EQ(std::count(names.begin(), names.end(), "Shared"), 1);
}

TEST_F(ConcurrencyTest, HistoryLinesAppendedAtOnceAreAllKept) {
    // Eight machines finishing their tests together, the history not there yet at first.
    const std::string file = path("HISTORY.CSV");
    constexpr int kProcesses = 8;
    constexpr int kTests = 6;
    constexpr int kWords = 5;
    runInProcesses(kProcesses, [&](int index) {
        History history(FileOps::system(), file);
        int failures = 0;
        for (int t = 0; t < kTests; ++t) {
            std::vector<AnsweredWord> words;
            for (int w = 0; w < kWords; ++w) {
                words.push_back(
                    {"w" + std::to_string(index) + "-" + std::to_string(t), "x", w > 1});
            }
            // Two children share each machine's tests, so their test numbers race too.
            failures += history.appendTest(index % 2 ? "Ann" : "Bob", "2026-03-02T09:00:00+00:00",
                                           words) != HistoryStatus::Ok;
            failures += history.appendPuzzle("Cy", "2026-03-02T09:00:00+00:00", t, 16, 0, 100) !=
                        HistoryStatus::Ok;
        }
        return failures;
    });
    HistoryContents contents;
    ASSERT_EQ(History(FileOps::system(), file).read({}, contents), HistoryStatus::Ok);
    EXPECT_EQ(contents.damaged, 0);
    ASSERT_EQ(contents.entries.size(), std::size_t{kProcesses * kTests * (kWords + 1)});
    // Every test of a child has its own number that day: 1 to the child's count of tests.
    for (const char* child : {"Ann", "Bob"}) {
        std::vector<int> numbers;
        for (const HistoryEntry& entry : contents.entries) {
            if (entry.user == child && entry.activity == HistoryActivity::Spelling) {
                numbers.push_back(entry.test);
            }
        }
        std::sort(numbers.begin(), numbers.end());
        numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
        std::vector<int> expected;
        for (int n = 1; n <= kProcesses / 2 * kTests; ++n) {
            expected.push_back(n);
        }
        EXPECT_EQ(numbers, expected) << child;
    }
}

} // namespace
} // namespace hc::test
