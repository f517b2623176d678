// Data files that schools share: a class folder that links to one shared user file, and
// several accounts (teachers, an administrator) that write the same file. Every writer must
// change the file the others use, lock the lock the others take, and leave the file writable
// for the accounts that could write it before.

#include "datafiles/file_lock.h"
#include "datafiles/file_ops.h"
#include "datafiles/settings.h"
#include "datafiles/user_file.h"
#include "datafiles/word_list.h"
#include "file_bytes.h"
#include "temp_dir.h"

#include <filesystem>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace hc::test {
namespace {

class SharedAccessTest : public TempDirTest {
protected:
    std::vector<std::string> names(const std::string& file) {
        std::vector<std::string> listed;
        UserRecord current{};
        const UserFileResult result =
            UserFile(FileOps::system())
                .list(
                    file, [&](const UserRecord& record) { listed.push_back(recordName(record)); },
                    current);
        listed.push_back("=" + std::to_string(result));
        return listed;
    }
};

// Regression: a user file reached through a link was replaced by a plain file in the class
// folder (the shared file never got the result), and its lock was taken beside the link, so a
// writer using the real path was not excluded.
TEST_F(SharedAccessTest, AUserFileReachedThroughALinkIsChangedWhereTheLinkLeads) {
    fs::create_directories(path("shared"));
    fs::create_directories(path("class1"));
    fs::create_directories(path("class2"));
    writeFile(path("shared/U.ERF"), userFileBytes({recordBytes("Ann"), recordBytes("Bob")}));
    fs::create_symlink("../shared/U.ERF", path("class1/U.ERF"));
    // A chain of links, the last one absolute.
    fs::create_symlink(path("shared/U.ERF"), path("shared/ABS.ERF"));
    fs::create_symlink("../shared/ABS.ERF", path("class2/U.ERF"));

    UserFile users(FileOps::system());
    UserRecord current{};
    bool added = false;
    const std::vector<std::function<UserFileResult(const std::string&)>> changes = {
        [&](const std::string& file) { return users.add(file, "Cy"); },
        [&](const std::string& file) { return users.addIfAbsent(file, "Dee", added); },
        [&](const std::string& file) {
            return users.recordResult(file, "Ann", Activity::Spelling, 80, 1.0f, 1.0f, current);
        },
        [&](const std::string& file) { return users.countLogin(file, "Ann", current); },
        [&](const std::string& file) { return users.update(file, "Ann", current); },
        [&](const std::string& file) { return users.remove(file, "Bob"); },
    };
    for (const char* through : {"class1/U.ERF", "class2/U.ERF"}) {
        SCOPED_TRACE(through);
        for (std::size_t i = 0; i < changes.size(); ++i) {
            SCOPED_TRACE(i);
            ASSERT_EQ(changes[i](path(through)), UserFileOk);
            EXPECT_TRUE(fs::is_symlink(path(through)));
            EXPECT_TRUE(fs::is_symlink(path("shared/ABS.ERF")));
        }
        writeFile(path("shared/U.ERF"), userFileBytes({recordBytes("Ann"), recordBytes("Bob")}));
    }
    // Only the shared file's own lock file was ever made: every writer excludes every other.
    EXPECT_TRUE(fs::exists(path("shared/~U.ERF.lck")));
    EXPECT_FALSE(fs::exists(path("class1/~U.ERF.lck")));
    EXPECT_FALSE(fs::exists(path("class2/~U.ERF.lck")));
    EXPECT_FALSE(fs::exists(path("shared/~ABS.ERF.lck")));

    // A link to a shared file that is not there yet: the first user creates it there.
    fs::create_symlink("../shared/NEW.ERF", path("class1/NEW.ERF"));
    ASSERT_EQ(users.add(path("class1/NEW.ERF"), "Eve"), UserFileOk);
    EXPECT_TRUE(fs::is_symlink(path("class1/NEW.ERF")));
    EXPECT_EQ(names(path("shared/NEW.ERF")), (std::vector<std::string>{"Eve", "=0"}));
}

TEST_F(SharedAccessTest, SettingsAndWordListsReachedThroughALinkStayLinked) {
    fs::create_directories(path("shared"));
    writeFile(path("shared/OPTIONS.DAT"), defaultOptionsBytes());
    writeFile(path("shared/WORDS.TXT"), "cat\r\n");
    fs::create_symlink("shared/OPTIONS.DAT", path("OPTIONS.DAT"));
    fs::create_symlink("shared/WORDS.TXT", path("WORDS.TXT"));
    SettingsRecord settings = defaultSettings();
    settings.GetPercent = 50;
    ASSERT_EQ(OptionsFile(FileOps::system()).save(path("OPTIONS.DAT"), settings), OptionsFileOk);
    ASSERT_EQ(saveWordList(FileOps::system(), path("WORDS.TXT"), {"bee"}), WordListSaveResult::Ok);
    EXPECT_TRUE(fs::is_symlink(path("OPTIONS.DAT")));
    EXPECT_TRUE(fs::is_symlink(path("WORDS.TXT")));
    EXPECT_EQ(readFile(path("shared/OPTIONS.DAT")), settingsFileBytes(settings));
    EXPECT_EQ(readFile(path("shared/WORDS.TXT")), "bee\r\n");
}

// Runs `work` in a child process as another account; returns its exit code (the number of
// failures it saw), or -1 when it did not end normally.
int runAs(uid_t uid, gid_t gid, const std::vector<gid_t>& groups,
          const std::function<int()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::umask(002);
        if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(gid) != 0 ||
            ::setuid(uid) != 0) {
            ::_exit(100);
        }
        ::_exit(std::min(work(), 99));
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

struct stat statOf(const std::string& file) {
    struct stat info {};
    ::stat(file.c_str(), &info);
    return info;
}

// Regression: after one write by another account (an administrator, a second teacher) the
// replaced file belonged to that account, and its owner got "Can't open file" from then on;
// the lock file, created by one account, could not be opened by the others.
TEST_F(SharedAccessTest, AnotherAccountsWriteLeavesTheFileWritableForItsAccounts) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs an administrator to act as several accounts";
    }
    constexpr uid_t kTeacherA = 6100;
    constexpr uid_t kTeacherB = 6101;
    constexpr gid_t kClass = 1234; // the group the class's teachers share
    fs::permissions(dir(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::create_directories(path("share"));
    fs::permissions(path("share"), fs::perms::all);
    const std::string file = path("share/U.ERF");
    const std::string lock = path("share/~U.ERF.lck");
    const auto record = [&](int percent) {
        UserRecord current{};
        return UserFile(FileOps::system())
                   .recordResult(file, "Ann", Activity::Spelling, percent, 1.0f, 1.0f, current) !=
               UserFileOk;
    };

    // Teacher A creates the file for the class group.
    ASSERT_EQ(runAs(kTeacherA, kClass, {kClass},
                    [&] { return UserFile(FileOps::system()).add(file, "Ann") != UserFileOk; }),
              0);
    ASSERT_EQ(statOf(file).st_uid, kTeacherA);
    ASSERT_EQ(statOf(file).st_gid, kClass);
    // Teacher B, whose own group is another one, records a result.
    ASSERT_EQ(runAs(kTeacherB, kTeacherB, {kTeacherB, kClass}, [&] { return record(10); }), 0);
    EXPECT_EQ(statOf(file).st_gid, kClass) << "the class group was lost";
    EXPECT_EQ(statOf(file).st_mode & 07777, 0664u);
    // Teacher A can still write it, and take its lock.
    EXPECT_EQ(runAs(kTeacherA, kClass, {kClass}, [&] { return record(20); }), 0);

    // The administrator writes: owner, group and mode stay as they were.
    const struct stat before = statOf(file);
    ASSERT_EQ(record(30), 0);
    EXPECT_EQ(statOf(file).st_uid, before.st_uid);
    EXPECT_EQ(statOf(file).st_gid, before.st_gid);
    EXPECT_EQ(statOf(file).st_mode & 07777, before.st_mode & 07777);
    // The lock file belongs to the file's accounts too, whoever made it.
    EXPECT_EQ(statOf(lock).st_uid, before.st_uid);
    EXPECT_EQ(statOf(lock).st_gid, kClass);
    EXPECT_EQ(statOf(lock).st_mode & 0777, 0660u);
    EXPECT_EQ(runAs(kTeacherB, kTeacherB, {kTeacherB, kClass}, [&] { return record(40); }), 0);
    EXPECT_EQ(runAs(kTeacherA, kClass, {kClass}, [&] { return record(50); }), 0);

    UserRecord ann{};
    ASSERT_EQ(UserFile(FileOps::system()).find(file, "Ann", ann), UserFileOk);
    EXPECT_EQ(std::vector<int>(ann.SpellScores + 5, ann.SpellScores + 10),
              (std::vector<int>{11, 21, 31, 41, 51}));
}

// A lock file made by an administrator for a file that belongs to a teacher.
TEST_F(SharedAccessTest, ALockFileFollowsTheDataFilesAccounts) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs an administrator to act as several accounts";
    }
    const std::string file = path("U.ERF");
    writeFile(file, userFileBytes({recordBytes("Ann")}));
    ASSERT_EQ(::chown(file.c_str(), 6100, 1234), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    { const FileLock held = FileLock::acquire(file, FileLock::Mode::Exclusive); }
    const struct stat info = statOf(path("~U.ERF.lck"));
    EXPECT_EQ(info.st_uid, 6100u);
    EXPECT_EQ(info.st_gid, 1234u);
    EXPECT_EQ(info.st_mode & 0777, 0600u); // only the owner may write the data file
}

// Regression: a folder this account may not write gave "Can't open file" (the lock file could
// not be made beside a file that opened well) or "disk full?": each data file says so now, and
// nothing is changed.
TEST_F(SharedAccessTest, AFolderThisAccountMayNotWriteIsNamedAsSuch) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs an administrator to act as another account";
    }
    constexpr uid_t kTeacher = 6100;
    fs::permissions(dir(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::create_directories(path("locked"));
    fs::permissions(path("locked"), fs::perms::owner_all | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
    const std::string users = path("locked/U.ERF");
    writeFile(users, userFileBytes({recordBytes("Ann")}));
    fs::permissions(users, fs::perms::all & ~fs::perms::owner_exec & ~fs::perms::group_exec &
                               ~fs::perms::others_exec);
    const std::string before = readFile(users);
    const struct {
        const char* what;
        std::function<int()> work;
        int expected;
    } rows[] = {
        {"a user added",
         [&] { return static_cast<int>(UserFile(FileOps::system()).add(users, "Bo")); },
         UserFileFolderNotWritable},
        {"a user added to a new file",
         [&] {
             return static_cast<int>(UserFile(FileOps::system()).add(path("locked/NEW.ERF"), "Bo"));
         },
         UserFileFolderNotWritable},
        {"a result recorded",
         [&] {
             UserRecord current{};
             return static_cast<int>(
                 UserFile(FileOps::system())
                     .recordResult(users, "Ann", Activity::Spelling, 50, 1.0f, 1.0f, current));
         },
         UserFileFolderNotWritable},
        {"a user deleted",
         [&] { return static_cast<int>(UserFile(FileOps::system()).remove(users, "Ann")); },
         UserFileFolderNotWritable},
        {"the word list saved",
         [&] {
             return static_cast<int>(
                 saveWordList(FileOps::system(), path("locked/W.TXT"), {"bee"}));
         },
         static_cast<int>(WordListSaveResult::FolderNotWritable)},
        {"OPTIONS.DAT saved",
         [&] {
             return static_cast<int>(OptionsFile(FileOps::system())
                                         .save(path("locked/OPTIONS.DAT"), defaultSettings()));
         },
         OptionsFileFolderNotWritable},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(runAs(kTeacher, kTeacher, {kTeacher}, row.work), row.expected);
        EXPECT_EQ(readFile(users), before);
        EXPECT_EQ(std::distance(fs::directory_iterator(path("locked")), {}), 1);
    }
    EXPECT_EQ(std::string(UserFileMessage(UserFileFolderNotWritable)),
              "UserFile Error: This account may not write in the user file's folder");
    EXPECT_EQ(std::string(OptionsFileMessage(OptionsFileFolderNotWritable)),
              "OptionsFile Error: This account may not write in the folder of OPTIONS.DAT");
    EXPECT_EQ(wordListSaveMessage(WordListSaveResult::FolderNotWritable, "W.TXT"),
              "Can't write to file W.TXT: this account may not write in its folder");
}

} // namespace
} // namespace hc::test
