// Every change to a data file must leave either the old file or the new one: a write that fails
// at any step (a full disk, an I/O error, a rename refused) leaves the old file byte for byte
// and reports the operation's code for that failure; a process killed in the middle of a change
// leaves a file that the next run reads.

#include "datafiles/file_ops.h"
#include "datafiles/settings.h"
#include "datafiles/user_file.h"
#include "datafiles/word_list.h"
#include "failing_file_ops.h"
#include "file_bytes.h"
#include "temp_dir.h"

#include <csignal>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace hc::test {
namespace {

struct Scenario {
    const char* what;
    std::string file;   // the data file's name
    std::string before; // its bytes before the change; empty: no file
    std::function<int(FileOps& ops, const std::string& path)> change;
    std::string after; // its bytes after a successful change; empty: removed
    int createFailure; // the code when the new file cannot be created
    int writeFailure;  // the code when any later step fails
};

class CrashSafetyTest : public TempDirTest {
protected:
    // Nothing but the data file (and its lock file) may be left in the folder.
    void expectNoLeftovers(const std::string& file) {
        for (const auto& entry : std::filesystem::directory_iterator(dir())) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == file || (name.starts_with("~") && name.ends_with(".lck")))
                << "left behind: " << name;
        }
    }
};

std::vector<Scenario> scenarios() {
    const std::string two = userFileBytes({recordBytes("Ann"), recordBytes("Bob")});
    RecordFields bob{"Bob", 45.0f, 0};
    bob.spell[9] = 91;
    bob.spellAverage = 90.0f;
    SettingsRecord changed = defaultSettings();
    changed.GetPercent = 50;
    std::string changedOptions = defaultOptionsBytes();
    put(changedOptions, 1088, le32(50));
    resealOptions(changedOptions);
    return {
        {"add to a file", "U.ERF", two,
         [](FileOps& ops, const std::string& p) { return UserFile(ops).add(p, "Cy"); },
         userFileBytes({recordBytes("Ann"), recordBytes("Bob"), recordBytes("Cy")}),
         UserFileCantCreate, UserFileCantWrite},
        {"add creating the file", "U.ERF", "",
         [](FileOps& ops, const std::string& p) { return UserFile(ops).add(p, "Cy"); },
         userFileBytes({recordBytes("Cy")}), UserFileCantCreate, UserFileCantWrite},
        {"update", "U.ERF", two,
         [](FileOps& ops, const std::string& p) {
             UserRecord record = newUserRecord("Bob");
             record.ProgramRuns = 5;
             return UserFile(ops).update(p, "bob", record);
         },
         userFileBytes({recordBytes("Ann"), recordBytes(RecordFields{"Bob", 0.0f, 5})}),
         UserFileCantWrite, UserFileCantWrite},
        {"record a result", "U.ERF", two,
         [](FileOps& ops, const std::string& p) {
             UserRecord current{};
             return UserFile(ops).recordResult(p, "Bob", Activity::Spelling, 90, 1.0f, 1.0f,
                                               current);
         },
         userFileBytes({recordBytes("Ann"), recordBytes(bob)}), UserFileCantWrite,
         UserFileCantWrite},
        {"delete one of two", "U.ERF", two,
         [](FileOps& ops, const std::string& p) { return UserFile(ops).remove(p, "Ann"); },
         userFileBytes({recordBytes("Bob")}), UserFileCantCreate, UserFileCantWrite},
        {"delete the last user", "U.ERF", userFileBytes({recordBytes("Ann")}),
         [](FileOps& ops, const std::string& p) { return UserFile(ops).remove(p, "Ann"); }, "",
         UserFileCantWrite, UserFileCantWrite},
        {"save the settings", "OPTIONS.DAT", defaultOptionsBytes(),
         [changed](FileOps& ops, const std::string& p) {
             return OptionsFile(ops).save(p, changed);
         },
         changedOptions, OptionsFileCantOpen, OptionsFileCantWrite},
        {"save the word list", "WORDLIST.TXT", "cat\r\ndog\r\n",
         [](FileOps& ops, const std::string& p) {
             return static_cast<int>(saveWordList(ops, p, {"bee", "hive"}));
         },
         "bee\r\nhive\r\n", static_cast<int>(WordListSaveResult::CantCreate),
         static_cast<int>(WordListSaveResult::CantWrite)},
    };
}

TEST_F(CrashSafetyTest, AFailureAtAnyStepLeavesTheOldFile) {
    for (const Scenario& scenario : scenarios()) {
        SCOPED_TRACE(scenario.what);
        const std::string file = path(scenario.file);
        int steps = 0;
        for (int failAt = 1;; ++failAt) {
            std::filesystem::remove(file);
            if (!scenario.before.empty()) {
                writeFile(file, scenario.before);
            }
            FailingFileOps ops(failAt);
            const int result = scenario.change(ops, file);
            if (!ops.failed()) {
                // Past the last step: the change went through.
                ASSERT_EQ(result, 0);
                steps = failAt - 1;
                break;
            }
            const std::string& step = ops.steps()[static_cast<std::size_t>(failAt - 1)];
            SCOPED_TRACE("failing step " + std::to_string(failAt) + ": " + step);
            EXPECT_EQ(result, step == "create" ? scenario.createFailure : scenario.writeFailure);
            if (scenario.before.empty()) {
                EXPECT_FALSE(std::filesystem::exists(file));
            } else {
                EXPECT_EQ(readFile(file), scenario.before);
            }
            expectNoLeftovers(scenario.file);
        }
        EXPECT_GE(steps, 1);
        if (scenario.after.empty()) {
            EXPECT_FALSE(std::filesystem::exists(file));
        } else {
            EXPECT_EQ(readFile(file), scenario.after);
        }
        expectNoLeftovers(scenario.file);
        std::filesystem::remove(file);
    }
}

TEST_F(CrashSafetyTest, AReplacementWritesFlushesThenRenames) {
    writeFile(path("U.ERF"), userFileBytes({recordBytes("Ann")}));
    FailingFileOps ops;
    ASSERT_EQ(UserFile(ops).add(path("U.ERF"), "Bob"), UserFileOk);
    EXPECT_EQ(ops.steps(),
              (std::vector<std::string>{"create", "write", "sync", "close", "rename"}));
}

// A child process records results in a loop and is killed at an arbitrary moment; whatever the
// moment, the file lists in full afterwards and the next change goes through.
TEST_F(CrashSafetyTest, AProcessKilledMidChangeLeavesAReadableFile) {
    const std::string file = path("U.ERF");
    std::vector<std::string> records;
    for (int i = 0; i < 200; ++i) {
        records.push_back(recordBytes("Student " + std::to_string(i)));
    }
    writeFile(file, userFileBytes(records));
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            UserFile users(FileOps::system());
            UserRecord current{};
            for (int i = 0;; ++i) {
                users.recordResult(file, "Student " + std::to_string(i % 200), Activity::Spelling,
                                   i % 101, 1.0f, 1.0f, current);
            }
        }
        ::usleep(static_cast<useconds_t>(3000 + round * 1700));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        UserFile users(FileOps::system());
        int listed = 0;
        UserRecord current{};
        ASSERT_EQ(users.list(
                      file, [&](const UserRecord&) { ++listed; }, current),
                  UserFileOk);
        EXPECT_EQ(listed, 200);
        ASSERT_EQ(users.recordResult(file, "Student 7", Activity::Phonogram, 50, 1, 1, current),
                  UserFileOk);
    }
}

} // namespace
} // namespace hc::test
