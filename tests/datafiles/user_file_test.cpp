#include "datafiles/user_file.h"

#include "datafiles/settings.h"
#include "file_bytes.h"
#include "temp_dir.h"

#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace hc::test {
namespace {

class UserFileTest : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        std::memset(&CurrentUser, 0, sizeof CurrentUser);
        Settings = defaultSettings();
    }

    std::string bytes() const { return readFile(path("U.ERF")); }
    void write(const std::string& content) const { writeFile(path("U.ERF"), content); }
    std::string currentUser() const {
        return std::string(reinterpret_cast<const char*>(&CurrentUser), sizeof CurrentUser);
    }
    std::vector<std::string> listed() {
        std::vector<std::string> names;
        const UserFileResult result =
            UserFileList("U.ERF", [&](const UserRecord& r) { names.push_back(recordName(r)); });
        names.push_back("=" + std::to_string(result));
        return names;
    }
};

TEST_F(UserFileTest, AddCreatesTheFileAndAppendsByteExactRecords) {
    EXPECT_EQ(UserFileList("U.ERF", {}), UserFileCantOpen);
    ASSERT_EQ(UserFileAdd("U.ERF", "Ann"), UserFileOk);
    EXPECT_EQ(bytes(), userFileBytes({recordBytes("Ann")}));
    ASSERT_EQ(UserFileAdd("U.ERF", "Bob"), UserFileOk);
    // Add does not look for the name: the caller does that first.
    ASSERT_EQ(UserFileAdd("U.ERF", "ann"), UserFileOk);
    EXPECT_EQ(bytes(), userFileBytes({recordBytes("Ann"), recordBytes("Bob"), recordBytes("ann")}));
    EXPECT_EQ(listed(), (std::vector<std::string>{"Ann", "Bob", "ann", "=0"}));
    // After listing, CurrentUser holds the last record.
    EXPECT_EQ(currentUser(), recordBytes("ann"));
}

TEST_F(UserFileTest, OperatesOnAFileBuiltFromTheLayout) {
    RecordFields zoe{"Zo\xEB", 40.0f, 7};
    zoe.spell[9] = 81;
    zoe.spellAverage = 80.0f;
    write(userFileBytes({recordBytes("Ann"), recordBytes(zoe)}));

    // Only ASCII letters fold: capital \xCB is not small \xEB.
    ASSERT_EQ(UserFileFind("U.ERF", "ZO\xCB"), UserFileNotFound);
    ASSERT_EQ(UserFileFind("U.ERF", "zO\xEB"), UserFileOk);
    EXPECT_EQ(currentUser(), recordBytes(zoe));

    CurrentUser.ProgramRuns = 8;
    ASSERT_EQ(UserFileUpdate("U.ERF", "ZO\xEB"), UserFileOk);
    zoe.runs = 8;
    EXPECT_EQ(bytes(), userFileBytes({recordBytes("Ann"), recordBytes(zoe)}));
}

TEST_F(UserFileTest, FindLeavesCurrentUserAsTheReadsLeftIt) {
    const std::string before(sizeof(UserRecord), 'q');
    std::memcpy(&CurrentUser, before.data(), before.size());
    EXPECT_EQ(UserFileFind("U.ERF", "Ann"), UserFileCantOpen);
    EXPECT_EQ(currentUser(), before);

    write(userFileBytes({recordBytes("Ann"), recordBytes("Bob")}));
    EXPECT_EQ(UserFileFind("U.ERF", "BOB"), UserFileOk);
    EXPECT_EQ(currentUser(), recordBytes("Bob"));
    EXPECT_EQ(UserFileFind("U.ERF", "Cy"), UserFileNotFound);
    EXPECT_EQ(currentUser(), recordBytes("Bob")); // the last record read

    std::memcpy(&CurrentUser, before.data(), before.size());
    std::string wrong = userFileBytes({recordBytes("Ann")});
    wrong[0] = 'X';
    write(wrong);
    EXPECT_EQ(UserFileFind("U.ERF", "Ann"), UserFileCorrupted);
    EXPECT_EQ(currentUser(), before);
}

TEST_F(UserFileTest, UpdateOfAnUnknownNameChangesNothing) {
    const std::string file = userFileBytes({recordBytes("Ann")});
    write(file);
    CurrentUser = newUserRecord("Bob");
    CurrentUser.ProgramRuns = 3;
    const std::string current = currentUser();
    EXPECT_EQ(UserFileUpdate("U.ERF", "Bob"), UserFileNotFound);
    EXPECT_EQ(bytes(), file);
    EXPECT_EQ(currentUser(), current);
}

TEST_F(UserFileTest, DeleteRemovesEveryRecordOfTheNameAndKeepsTheOrder) {
    write(userFileBytes(
        {recordBytes("Ann"), recordBytes("Bob"), recordBytes("ANN"), recordBytes("Cy")}));
    ASSERT_EQ(UserFileDelete("U.ERF", "ann"), UserFileOk);
    EXPECT_EQ(bytes(), userFileBytes({recordBytes("Bob"), recordBytes("Cy")}));

    // A name no record carries leaves the file as it is; deleting a user who is gone succeeds.
    EXPECT_EQ(UserFileDelete("U.ERF", "Dee"), UserFileOk);
    EXPECT_EQ(bytes(), userFileBytes({recordBytes("Bob"), recordBytes("Cy")}));

    ASSERT_EQ(UserFileDelete("U.ERF", "BOB"), UserFileOk);
    EXPECT_EQ(bytes(), userFileBytes({recordBytes("Cy")}));
}

TEST_F(UserFileTest, DeletingTheLastUserRemovesTheFileButOnlyForItsName) {
    write(userFileBytes({recordBytes("Cy")}));
    // Regression: a one-record file was deleted whatever name was asked for.
    EXPECT_EQ(UserFileDelete("U.ERF", "Ann"), UserFileOk);
    EXPECT_EQ(bytes(), userFileBytes({recordBytes("Cy")}));

    ASSERT_EQ(UserFileDelete("U.ERF", "cy"), UserFileOk);
    EXPECT_FALSE(std::filesystem::exists(path("U.ERF")));
    EXPECT_EQ(UserFileList("U.ERF", {}), UserFileCantOpen);
    EXPECT_EQ(UserFileDelete("U.ERF", "cy"), UserFileCantOpen);
}

TEST_F(UserFileTest, DeletingANameThatFillsTheFileLeavesAnEmptyFile) {
    write(userFileBytes({recordBytes("Ann"), recordBytes("ann")}));
    ASSERT_EQ(UserFileDelete("U.ERF", "ANN"), UserFileOk);
    EXPECT_EQ(bytes(), userFileBytes({}));
    EXPECT_EQ(listed(), (std::vector<std::string>{"=0"}));
    ASSERT_EQ(UserFileAdd("U.ERF", "Bo"), UserFileOk);
    EXPECT_EQ(bytes(), userFileBytes({recordBytes("Bo")}));
}

TEST_F(UserFileTest, DamagedFilesGiveTheirCodes) {
    const std::string good = userFileBytes({recordBytes("Ann"), recordBytes("Bob")});
    struct Row {
        const char* what;
        std::function<void(std::string&)> damage;
        // list, add, find "Bob", update "Bob", delete "Bob"
        std::array<UserFileResult, 5> expected;
    };
    const auto ok = UserFileOk;
    const auto bad = UserFileCorrupted;
    const auto shortRead = UserFileCantRead;
    const std::vector<Row> rows = {
        {"intact", [](std::string&) {}, {ok, ok, ok, ok, ok}},
        {"signature letter", [](std::string& b) { b[4] = 'h'; }, {bad, bad, bad, bad, bad}},
        {"signature without its zero byte",
         [](std::string& b) { put(b, 33, std::string(223, 'x')); },
         {bad, bad, bad, bad, bad}},
        {"bytes after the signature's zero",
         [](std::string& b) { put(b, 100, "junk"); },
         {ok, ok, ok, ok, ok}},
        // Only list and add check the checksum.
        {"checksum", [](std::string& b) { b[260] ^= 1; }, {bad, bad, ok, ok, ok}},
        {"record byte", [](std::string& b) { b[264 + 780 + 300] ^= 1; }, {bad, bad, ok, ok, ok}},
        {"short header",
         [](std::string& b) { b.resize(263); },
         {shortRead, shortRead, shortRead, shortRead, shortRead}},
        {"empty",
         [](std::string& b) { b.clear(); },
         {shortRead, shortRead, shortRead, shortRead, shortRead}},
        // A sound file is exactly the header and UserCount records. Regression: a count
        // lowered by one hid the last user from the list, and an add then appended a user
        // nobody could find.
        {"count lowered by one, resealed",
         [](std::string& b) { resealUserFile(b, 1); },
         {bad, bad, bad, bad, bad}},
        {"count raised by one, resealed",
         [](std::string& b) { resealUserFile(b, 3); },
         {bad, bad, bad, bad, bad}},
        {"negative count, resealed",
         [](std::string& b) { resealUserFile(b, -1); },
         {bad, bad, bad, bad, bad}},
        {"last record cut short, resealed",
         [](std::string& b) {
             b.resize(b.size() - 1);
             resealUserFile(b, 2);
         },
         {bad, bad, bad, bad, bad}},
        {"a byte appended, resealed",
         [](std::string& b) {
             b += '\0';
             resealUserFile(b, 2);
         },
         {bad, bad, bad, bad, bad}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::string damaged = good;
        row.damage(damaged);
        const std::array<std::function<UserFileResult()>, 5> operations = {
            [] { return UserFileList("U.ERF", {}); },
            [] { return UserFileAdd("U.ERF", "Cy"); },
            [] { return UserFileFind("U.ERF", "Bob"); },
            [] { return UserFileUpdate("U.ERF", "Bob"); },
            [] { return UserFileDelete("U.ERF", "Bob"); },
        };
        for (std::size_t i = 0; i < operations.size(); ++i) {
            SCOPED_TRACE(i);
            write(damaged);
            CurrentUser = newUserRecord("Bob");
            EXPECT_EQ(operations[i](), row.expected[i]);
            if (row.expected[i] != UserFileOk) {
                EXPECT_EQ(bytes(), damaged) << "a failed operation changed the file";
            }
        }
    }
}

TEST_F(UserFileTest, AFileOfTheWrongLengthListsNobody) {
    std::string file = userFileBytes({recordBytes("Ann"), recordBytes("Bob")});
    file.resize(file.size() - 10);
    resealUserFile(file, 2);
    write(file);
    EXPECT_EQ(listed(), (std::vector<std::string>{"=5"}));
}

TEST_F(UserFileTest, NamesWithControlCharactersAreNotAcceptable) {
    for (const char* name : {"Ann", "Zo\xEB", "Anne-Marie O'Neil", "\x80uro", "Ann ", ""}) {
        EXPECT_TRUE(isAcceptableUserName(name)) << name;
    }
    // Line ends, TAB and escape forge lines and columns; 127 and the five bytes Windows-1252
    // leaves undefined read back as control characters.
    for (const std::string& name : std::vector<std::string>{
             "A\tnn", "Ann\n", "\rAnn", "A\x1B[2Jnn", "Ann\x7F", "A\x81nn", "A\x8D", "A\x8F",
             "A\x90", "A\x9D", std::string("A\0nn", 4), std::string(1, '\x1F')}) {
        EXPECT_FALSE(isAcceptableUserName(name)) << name;
    }
}

TEST_F(UserFileTest, LongNamesAreCutAtTheField) {
    const std::string longName(300, 'k');
    ASSERT_EQ(UserFileAdd("U.ERF", longName), UserFileOk);
    EXPECT_EQ(bytes(), userFileBytes({recordBytes(std::string(255, 'k'))}));
    EXPECT_EQ(UserFileFind("U.ERF", longName), UserFileOk);
    EXPECT_EQ(UserFileFind("U.ERF", std::string(255, 'K')), UserFileOk);
    EXPECT_EQ(UserFileFind("U.ERF", std::string(254, 'k')), UserFileNotFound);
}

TEST_F(UserFileTest, RecordingAResultShiftsComputesAndWritesInOneStep) {
    write(userFileBytes({recordBytes("Ann"), recordBytes("Bob")}));
    Settings.SpellWeight = 1.0f;
    Settings.PhonoWeight = 1.0f;
    float previous = -1.0f;
    ASSERT_EQ(recordResult("U.ERF", "bob", Activity::Spelling, 80, &previous), UserFileOk);
    EXPECT_EQ(previous, 0.0f);
    RecordFields bob{"Bob", 40.0f};
    bob.spell[9] = 81;
    bob.spellAverage = 80.0f;
    EXPECT_EQ(bytes(), userFileBytes({recordBytes("Ann"), recordBytes(bob)}));
    EXPECT_EQ(currentUser(), recordBytes(bob));

    ASSERT_EQ(recordResult("U.ERF", "Bob", Activity::Phonogram, 0, &previous), UserFileOk);
    EXPECT_EQ(previous, 0.0f);
    bob.phono[9] = 1; // 0 percent is stored as 1 and counts
    bob.score = 40.0f;
    EXPECT_EQ(bytes(), userFileBytes({recordBytes("Ann"), recordBytes(bob)}));

    ASSERT_EQ(recordResult("U.ERF", "Bob", Activity::Spelling, 60, &previous), UserFileOk);
    EXPECT_EQ(previous, 80.0f);
    EXPECT_EQ(CurrentUser.SpellAverage, 70.0f);
}

TEST_F(UserFileTest, RecordingForAMissingUserChangesOnlyTheRecordInMemory) {
    const std::string file = userFileBytes({recordBytes("Ann")});
    write(file);
    EXPECT_EQ(recordResult("U.ERF", "Zed", Activity::Spelling, 50), UserFileNotFound);
    EXPECT_EQ(bytes(), file);
    // As the activities have it: the shift lands on what the failed find left.
    EXPECT_EQ(recordName(CurrentUser), "Ann");
    EXPECT_EQ(CurrentUser.SpellScores[9], 51);
}

TEST_F(UserFileTest, CountingALoginAndAddingOnlyNewNames) {
    bool added = false;
    ASSERT_EQ(addUserIfAbsent("U.ERF", "Ann", added), UserFileOk);
    EXPECT_TRUE(added);
    ASSERT_EQ(addUserIfAbsent("U.ERF", "ANN", added), UserFileOk);
    EXPECT_FALSE(added);
    ASSERT_EQ(countLogin("U.ERF", "ann"), UserFileOk);
    ASSERT_EQ(countLogin("U.ERF", "ann"), UserFileOk);
    EXPECT_EQ(bytes(), userFileBytes({recordBytes(RecordFields{"Ann", 0.0f, 2})}));
    EXPECT_EQ(currentUser(), recordBytes(RecordFields{"Ann", 0.0f, 2}));
    EXPECT_EQ(countLogin("U.ERF", "Bob"), UserFileNotFound);
}

TEST_F(UserFileTest, StoredPathsUseBackslashesAndWindows1252) {
    std::filesystem::create_directory("Sch\xC3\xBCler");
    ASSERT_EQ(UserFileAdd("Sch\xFCler\\U.ERF", "Ann"), UserFileOk);
    EXPECT_EQ(readFile(path("Sch\xC3\xBCler/U.ERF")), userFileBytes({recordBytes("Ann")}));
}

TEST_F(UserFileTest, SideFilesStayClearOfTheTemporaryFileSweep) {
    ASSERT_EQ(UserFileAdd("qrv1.erf", "Ann"), UserFileOk);
    for (const auto& entry : std::filesystem::directory_iterator(dir())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "qrv1.erf" || name.starts_with("~")) << name;
    }
    // A replacement left half-written by a crash does not get in the way.
    writeFile(path("~qrv1.erf.new"), "half a file");
    ASSERT_EQ(UserFileAdd("qrv1.erf", "Bob"), UserFileOk);
    EXPECT_EQ(readFile(path("qrv1.erf")), userFileBytes({recordBytes("Ann"), recordBytes("Bob")}));
    EXPECT_FALSE(std::filesystem::exists(path("~qrv1.erf.new")));
}

} // namespace
} // namespace hc::test
