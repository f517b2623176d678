// The options form's rules without widgets: number fields, the values the student program can
// use, the word counter, and what the data files can store.

#include "options/form_rules.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

TEST(NumberFields, DecimalsTakeAPointOrACommaAndNothingElse) {
    const struct {
        const char* text;
        std::optional<float> value;
    } rows[] = {
        {"2.00", 2.0f},
        {"2,5", 2.5f}, // the comma of many teachers' keyboards
        {" 1.25 ", 1.25f},
        {"-1", -1.0f},
        {"+3", 3.0f},
        {".5", 0.5f},
        {"5.", 5.0f},
        {"1e1", 10.0f},
        {"2,5e-1", 0.25f},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"abc", std::nullopt},
        {"2s", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1,2.3", std::nullopt},
        {"1 000", std::nullopt},
        {".", std::nullopt},
        {"1e", std::nullopt},
        {"+-1", std::nullopt},
        // What the C library would read but a teacher never means.
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"0x10", std::nullopt},
        // Does not fit the float the file stores.
        {"1e39", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(hc::parseDecimalField(row.text), row.value);
    }
}

TEST(NumberFields, WholeNumbersTakeDigitsOnly) {
    const struct {
        const char* text;
        std::optional<int> value;
    } rows[] = {
        {"90", 90},
        {" 25 ", 25},
        {"-5", -5},
        {"+7", 7},
        {"2147483647", 2147483647},
        {"", std::nullopt},
        {"9O", std::nullopt},
        {"90.0", std::nullopt},
        {"1,5", std::nullopt},
        {"+-1", std::nullopt},
        {"2147483648", std::nullopt},
        {"$10", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(hc::parseWholeField(row.text), row.value);
    }
    EXPECT_EQ(hc::invalidFloatMessage("2s"), "'2s' is not a valid floating point value");
    EXPECT_EQ(hc::invalidIntegerMessage(""), "'' is not a valid integer value");
}

TEST(WordCounter, CountsTheMemoLinesBlankOnesIncluded) {
    const struct {
        const char* text;
        const char* counter;
    } rows[] = {
        {"", "No Words"},
        {"cat", "1 Word"},
        {"cat\n", "1 Word"}, // the empty line after a final line end is not a line
        {"\n", "1 Word"},    // one blank line is
        {"cat\ndog", "2 Words"},
        {"cat\n\ndog\n", "3 Words"},
        {"a\nb\nc\nd\ne\nf\ng\nh\ni\nj\nk", "11 Words"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const auto lines = hc::memoLines(row.text);
        EXPECT_EQ(hc::wordCountText(static_cast<int>(lines.size())), row.counter);
    }
    EXPECT_EQ(hc::memoLines("  cat \n\ndog"), (std::vector<std::string>{"  cat ", "", "dog"}));
}

TEST(TestValues, RefusesWhatTheStudentProgramCannotUse) {
    const hc::TestValues good{2.0f, 90, 25, 1.0f, 1.0f};
    EXPECT_EQ(hc::testValuesProblem(good), std::nullopt);
    struct Row {
        const char* what;
        hc::TestValues values;
        const char* names; // a part of the message that names the field
    };
    auto with = [&good](auto change) {
        hc::TestValues v = good;
        change(v);
        return v;
    };
    const std::vector<Row> refused = {
        {"delay too short", with([](auto& v) { v.wordDelay = 0.49f; }),
         "seconds a word is visible"},
        {"delay too long", with([](auto& v) { v.wordDelay = 60.01f; }),
         "seconds a word is visible"},
        {"negative delay", with([](auto& v) { v.wordDelay = -2; }), "seconds a word is visible"},
        {"percent above 100", with([](auto& v) { v.getPercent = 101; }), "scores at least"},
        {"negative percent", with([](auto& v) { v.getPercent = -1; }), "scores at least"},
        {"improvement above 100", with([](auto& v) { v.improvePercent = 101; }), "reduces their"},
        {"negative spelling weight", with([](auto& v) { v.spellWeight = -0.5f; }),
         "Spelling Test weight"},
        {"negative puzzle weight", with([](auto& v) { v.phonoWeight = -1; }),
         "Phonogram Puzzle weight"},
        {"both weights 0", with([](auto& v) { v.spellWeight = v.phonoWeight = 0; }), "both be 0"},
    };
    for (const Row& row : refused) {
        SCOPED_TRACE(row.what);
        const auto problem = hc::testValuesProblem(row.values);
        ASSERT_TRUE(problem.has_value());
        EXPECT_NE(problem->find(row.names), std::string::npos) << *problem;
    }
    const std::vector<Row> accepted = {
        {"shortest delay", with([](auto& v) { v.wordDelay = 0.5f; }), ""},
        {"longest delay", with([](auto& v) { v.wordDelay = 60; }), ""},
        {"percent bounds", with([](auto& v) { v.getPercent = 0, v.improvePercent = 100; }), ""},
        {"one weight 0", with([](auto& v) { v.spellWeight = 0; }), ""},
    };
    for (const Row& row : accepted) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(hc::testValuesProblem(row.values), std::nullopt);
    }
}

// What a damaged OPTIONS.DAT held is shown as read; what the form would refuse, or what the
// file did not hold whole, takes its default, so Exit with nothing retyped succeeds.
TEST(DamagedSettings, KeepWhatWasReadAndDefaultWhatCannotBeUsed) {
    SettingsRecord read = hc::defaultSettings();
    hc::setPassword(read, "Honey");
    read.Signature[0] = 'q';
    hc::setText(read.HDfile, "class.erf");
    std::memset(read.FloppyFile, 'f', sizeof read.FloppyFile); // no room for its zero byte
    hc::setText(read.WordFile, "   ");
    read.WordDelay = std::numeric_limits<float>::quiet_NaN();
    read.ImproveMode = 7;
    read.GetPercent = 75;
    read.ImprovePercent = -3;
    read.SpellWeight = 0;
    read.PhonoWeight = 0;
    hc::SettingsLoad whole;
    whole.result = OptionsFileCorrupted;
    whole.bytesRead = sizeof read;
    const SettingsRecord sound = hc::repairedSettings(read, whole);
    SettingsRecord expected = hc::defaultSettings();
    hc::setPassword(expected, "Honey");
    hc::setText(expected.HDfile, "class.erf");
    expected.ImproveMode = 1;
    expected.GetPercent = 75;
    EXPECT_EQ(std::memcmp(&sound, &expected, sizeof sound), 0);

    // A short file: only what it held whole is taken.
    hc::SettingsLoad shortFile = whole;
    shortFile.result = OptionsFileCantRead;
    shortFile.bytesRead = offsetof(SettingsRecord, HDfile) + 255;
    const SettingsRecord cut = hc::repairedSettings(read, shortFile);
    EXPECT_EQ(hc::password(cut), "Honey");
    EXPECT_EQ(hc::textOf(cut.HDfile), "USERS.ERF");
    EXPECT_EQ(cut.GetPercent, 90);
}

TEST(StoredTexts, PasswordsAreSevenBit) {
    EXPECT_TRUE(hc::isStorablePassword("Bee Keeper 7!~"));
    EXPECT_TRUE(hc::isStorablePassword(""));
    EXPECT_FALSE(hc::isStorablePassword("caf\xC3\xA9"));  // é
    EXPECT_FALSE(hc::isStorablePassword("\xE2\x82\xAC")); // €, in Windows-1252 but 8-bit
}

TEST(StoredTexts, WordListNamesTheFirstLineItCannotStore) {
    const hc::EncodedWordList fine = hc::encodeWordList({"caf\xC3\xA9", "", "\xE2\x82\xAC uro"});
    ASSERT_TRUE(fine.ok());
    EXPECT_EQ(fine.lines, (std::vector<std::string>{"caf\xE9", "", "\x80 uro"}));

    const hc::EncodedWordList bad =
        hc::encodeWordList({"cat", "", "snow\xE2\x98\x83man", "\xE2\x98\x83", "dog"});
    EXPECT_FALSE(bad.ok());
    EXPECT_EQ(bad.badLine, 3);
    EXPECT_EQ(hc::unstorableLineMessage(bad),
              "Line 3 of the word list holds characters the word list file cannot store: "
              "\xE2\x98\x83");
}

TEST(StoredTexts, PathsFitTheirFieldInWindows1252) {
    const hc::StoredPath plain = hc::storedPathOf("C:\\School\\caf\xC3\xA9.erf", "User file");
    ASSERT_TRUE(plain.ok());
    EXPECT_EQ(plain.bytes, "C:\\School\\caf\xE9.erf");
    // 255 bytes once stored, though more in UTF-8.
    const std::string longest =
        "C:\\" + std::string(80, 'a') + "\\" + std::string(170, 'b') + "\xC3\xA9";
    EXPECT_TRUE(hc::storedPathOf(longest, "Word List file").ok());
    const std::string longestName = std::string(174, 'a');
    EXPECT_TRUE(hc::storedPathOf("lists/" + longestName, "Word List file").ok());

    const struct {
        std::string path;
        const char* problem;
    } rows[] = {
        {std::string(256, 'a'),
         "The file name for \"Word List file\" is too long: at most 255 characters can be stored."},
        {"/home/\xE5\xAD\xA6/words.txt", "The file name for \"Word List file\" holds characters "
                                         "that cannot be stored: \xE5\xAD\xA6"},
        {"  ", "Please enter a file name for \"Word List file\"."},
        // Regression: a 255-byte name was taken, but its lock and replacement files could not
        // exist beside it, so no child could log in.
        {std::string(255, 'u'),
         "The file name for \"Word List file\" is too long for the files kept beside it: the "
         "name after the last folder can have at most 174 characters (an accented letter counts "
         "as two)."},
        {"C:\\School\\" + std::string(174, 'u') + ".erf",
         "The file name for \"Word List file\" is too long for the files kept beside it: the "
         "name after the last folder can have at most 174 characters (an accented letter counts "
         "as two)."},
        {std::string(173, 'u') + "\xC3\xA9",
         "The file name for \"Word List file\" is too long for the files kept beside it: the "
         "name after the last folder can have at most 174 characters (an accented letter counts "
         "as two)."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(hc::storedPathOf(row.path, "Word List file").problem, row.problem);
    }
}

using ImportTest = hc::test::TempDirTest;

// Each imported list is read as what it is; the memo shows its lines, blank ones included.
TEST_F(ImportTest, ReadsEachListInItsOwnEncoding) {
    const struct {
        const char* what;
        std::string bytes;
        const char* memo;
    } rows[] = {
        {"UTF-8 with a byte-order mark",
         "\xEF\xBB\xBF"
         "cr\xC3\xA8me\nbr\xC3\xBBl\xC3\xA9\n",
         "cr\xC3\xA8me\nbr\xC3\xBBl\xC3\xA9"},
        {"UTF-8 without one", "voil\xC3\xA0\r\n", "voil\xC3\xA0"},
        {"Windows-1252", "cr\xE8me\r\nna\xEFve\r\n\x80uro",
         "cr\xC3\xA8me\nna\xC3\xAFve\n\xE2\x82\xACuro"},
        {"mixed line ends, blank lines kept", "cat\r\rdog\n\n owl \r\n", "cat\n\ndog\n\n owl "},
        {"empty", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        hc::test::writeFile(path("list.txt"), row.bytes);
        const hc::ImportedWords words = hc::importWordList(hc::FileOps::system(), path("list.txt"));
        EXPECT_TRUE(words.ok()) << words.problem;
        EXPECT_EQ(words.memoText, row.memo);
    }
    std::filesystem::create_directory(path("folder.txt"));
    for (const char* name : {"missing.txt", "folder.txt"}) {
        SCOPED_TRACE(name);
        const hc::ImportedWords words = hc::importWordList(hc::FileOps::system(), path(name));
        EXPECT_EQ(words.problem, "Can't open file " + path(name));
        EXPECT_EQ(words.memoText, "");
    }
}

// Faults guarded against: Exit overwrote another list with the memo's words, rewrote a list
// nobody edited, and never created a list named in the field that did not exist yet.
TEST(ExitWritesWordList, OnlyToTheWordsOwnFileWhenEditedOrToANewOne) {
    const struct {
        const char* what;
        const char* target;
        bool exists;
        const char* wordsFile;
        bool edited;
        bool writes;
    } rows[] = {
        {"a new list", "week3.txt", false, "WORDLIST.TXT", false, true},
        {"a new list, the words of an unread one", "week3.txt", false, "", true, true},
        {"its own list, edited", "WORDLIST.TXT", true, "WORDLIST.TXT", true, true},
        {"its own list, nobody edited it", "WORDLIST.TXT", true, "WORDLIST.TXT", false, false},
        {"another list, edited", "week2.txt", true, "WORDLIST.TXT", true, false},
        {"another list", "week2.txt", true, "WORDLIST.TXT", false, false},
        {"a list that could not be read", "WORDLIST.TXT", true, "", true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(hc::exitWritesWordList(row.target, row.exists, row.wordsFile, row.edited),
                  row.writes);
    }
}

} // namespace
