#include "datafiles/settings.h"

#include "datafiles/file_ops.h"
#include "datafiles/usable_settings.h"
#include "file_bytes.h"
#include "temp_dir.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace hc::test {
namespace {

class SettingsTest : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        setStartDirectory(dir().string());
        std::memset(&Settings, 0, sizeof Settings);
    }
    void TearDown() override {
        setStartDirectory(std::string());
        TempDirTest::TearDown();
    }
};

TEST_F(SettingsTest, MissingFileGivesDefaultsAndCreatesNothing) {
    ASSERT_EQ(OptionsFileLoad(), OptionsFileOk);
    const std::string image(reinterpret_cast<const char*>(&Settings), sizeof Settings);
    // The defaults are the saved default file without its checksum.
    std::string expected = defaultOptionsBytes();
    put(expected, 256, le32(0));
    EXPECT_EQ(image, expected);
    EXPECT_FALSE(std::filesystem::exists(path("OPTIONS.DAT")));
}

TEST_F(SettingsTest, SaveWritesTheLayoutByteForByteAndLoadsBack) {
    Settings = defaultSettings();
    ASSERT_EQ(OptionsFileSave(), OptionsFileOk);
    EXPECT_EQ(readFile(path("OPTIONS.DAT")), defaultOptionsBytes());
    // The saved checksum reaches only the file.
    EXPECT_EQ(Settings.Checksum, 0u);

    setText(Settings.WordFile, "lists\\week 3.txt");
    Settings.WordDelay = 3.5f;
    Settings.ImproveMode = 1;
    Settings.GetPercent = 75;
    Settings.SpellWeight = 2.0f;
    SetPassword("Bee");
    const SettingsRecord saved = Settings;
    ASSERT_EQ(OptionsFileSave(), OptionsFileOk);

    std::string expected = defaultOptionsBytes();
    put(expected, 260, std::string("\xC2\xE5\xE5", 3));
    put(expected, 822, field("lists\\week 3.txt", 256));
    put(expected, 1080, f32(3.5f));
    put(expected, 1084, std::string(1, '\1'));
    put(expected, 1088, le32(75));
    put(expected, 1096, f32(2.0f));
    resealOptions(expected);
    EXPECT_EQ(readFile(path("OPTIONS.DAT")), expected);

    std::memset(&Settings, 0, sizeof Settings);
    ASSERT_EQ(OptionsFileLoad(), OptionsFileOk);
    EXPECT_EQ(GetPassword(), "Bee");
    EXPECT_EQ(std::memcmp(&Settings.Password, &saved.Password, sizeof(SettingsRecord) - 260), 0);
}

TEST_F(SettingsTest, DamagedFilesGiveTheirCodes) {
    struct Row {
        const char* what;
        std::function<void(std::string&)> damage;
        OptionsFileResult expected;
    };
    const std::vector<Row> rows = {
        {"untouched", [](std::string&) {}, OptionsFileOk},
        {"byte of a path changed", [](std::string& b) { b[400] = 'x'; }, OptionsFileCorrupted},
        {"last byte changed", [](std::string& b) { b[1103] ^= 1; }, OptionsFileCorrupted},
        {"first checked byte changed", [](std::string& b) { b[260] ^= 1; }, OptionsFileCorrupted},
        {"checksum changed", [](std::string& b) { b[256] ^= 1; }, OptionsFileCorrupted},
        {"byte appended", [](std::string& b) { b += '\0'; }, OptionsFileCorrupted},
        // Resealed: the checksum matches, so only the signature can fail.
        {"byte appended, checksum updated",
         [](std::string& b) {
             b += "x";
             resealOptions(b);
         },
         OptionsFileOk},
        {"signature letter changed", [](std::string& b) { b[0] = 'q'; }, OptionsFileCorrupted},
        {"signature longer", [](std::string& b) { b[36] = 's'; }, OptionsFileCorrupted},
        {"byte after the signature's zero changed", [](std::string& b) { b[100] = 'x'; },
         OptionsFileOk},
        {"one byte short", [](std::string& b) { b.pop_back(); }, OptionsFileCantRead},
        {"empty", [](std::string& b) { b.clear(); }, OptionsFileCantRead},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::string bytes = defaultOptionsBytes();
        row.damage(bytes);
        writeFile(path("OPTIONS.DAT"), bytes);
        std::memset(&Settings, 0x55, sizeof Settings);
        EXPECT_EQ(OptionsFileLoad(), row.expected);
    }
}

// Regression: a hand-made OPTIONS.DAT with weights that were not numbers stored NaN into the
// child's score for good, and a WordDelay of 1e9 kept a word on the card for weeks. The student
// program takes each value outside the form's ranges as the nearest bound, a non-number as the
// default; the file itself is read, and stays, as it is.
TEST_F(SettingsTest, ImpossibleValuesAreTakenAsTheNearestUsableOnes) {
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInf = std::numeric_limits<float>::infinity();
    constexpr float kMax = std::numeric_limits<float>::max();
    struct Row {
        const char* what;
        std::function<void(SettingsRecord&)> set;
        std::function<bool(const SettingsRecord&)> usable;
    };
    const std::vector<Row> rows = {
        {"in range",
         [](SettingsRecord& s) {
             s.WordDelay = 7.5f;
             s.GetPercent = 0;
         },
         [](const SettingsRecord& s) { return s.WordDelay == 7.5f && s.GetPercent == 0; }},
        {"delay 1e9", [](SettingsRecord& s) { s.WordDelay = 1e9f; },
         [](const SettingsRecord& s) { return s.WordDelay == 60.0f; }},
        {"delay infinite", [](SettingsRecord& s) { s.WordDelay = kInf; },
         [](const SettingsRecord& s) { return s.WordDelay == 60.0f; }},
        {"delay 0", [](SettingsRecord& s) { s.WordDelay = 0.0f; },
         [](const SettingsRecord& s) { return s.WordDelay == 0.5f; }},
        {"delay minus infinite", [](SettingsRecord& s) { s.WordDelay = -kInf; },
         [](const SettingsRecord& s) { return s.WordDelay == 0.5f; }},
        {"delay not a number", [](SettingsRecord& s) { s.WordDelay = kNaN; },
         [](const SettingsRecord& s) { return s.WordDelay == 2.0f; }},
        {"percents out of range",
         [](SettingsRecord& s) {
             s.GetPercent = -5;
             s.ImprovePercent = std::numeric_limits<std::int32_t>::max();
         },
         [](const SettingsRecord& s) { return s.GetPercent == 0 && s.ImprovePercent == 100; }},
        {"weights not numbers",
         [](SettingsRecord& s) {
             s.SpellWeight = kNaN;
             s.PhonoWeight = -kNaN;
         },
         [](const SettingsRecord& s) { return s.SpellWeight == 1.0f && s.PhonoWeight == 1.0f; }},
        {"weights infinite",
         [](SettingsRecord& s) {
             s.SpellWeight = kInf;
             s.PhonoWeight = -kInf;
         },
         [](const SettingsRecord& s) { return s.SpellWeight == 1.0f && s.PhonoWeight == 0.0f; }},
        {"weights negative or huge",
         [](SettingsRecord& s) {
             s.SpellWeight = -3.0f;
             s.PhonoWeight = kMax;
         },
         [](const SettingsRecord& s) { return s.SpellWeight == 0.0f && s.PhonoWeight == kMax; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SettingsRecord stored = defaultSettings();
        row.set(stored);
        const std::string bytes = settingsFileBytes(stored);
        writeFile(path("OPTIONS.DAT"), bytes);
        ASSERT_EQ(OptionsFileLoad(), OptionsFileOk);
        // Loading alone shows the file as it is, as the options program does.
        EXPECT_EQ(std::memcmp(&Settings.WordDelay, &stored.WordDelay, 24), 0);
        limitToUsableRanges(Settings);
        EXPECT_TRUE(row.usable(Settings));
        for (const float value : {Settings.WordDelay, Settings.SpellWeight, Settings.PhonoWeight}) {
            EXPECT_TRUE(std::isfinite(value));
        }
        EXPECT_EQ(readFile(path("OPTIONS.DAT")), bytes);
    }
}

// Regression: an OPTIONS.DAT that existed but could not be opened (its permissions) was taken
// for a missing one: the defaults applied and the password gate opened with no password.
TEST_F(SettingsTest, OnlyAMissingFileMeansTheDefaults) {
    // Opening fails as the system would say it.
    class RefusingOps : public FileOps {
    public:
        explicit RefusingOps(int error) : m_error(error) {}
        std::FILE* open(const std::string&, const char*) override {
            errno = m_error;
            return nullptr;
        }

    private:
        int m_error;
    };
    for (const int error : {EACCES, EPERM, EIO, ELOOP, EMFILE, ENOTDIR}) {
        SCOPED_TRACE(std::strerror(error));
        RefusingOps ops(error);
        SettingsRecord settings{};
        std::memset(&settings, 0x55, sizeof settings);
        const SettingsRecord before = settings;
        EXPECT_EQ(OptionsFile(ops).load(path("OPTIONS.DAT"), settings), OptionsFileCantRead);
        EXPECT_EQ(std::memcmp(&settings, &before, sizeof settings), 0);
    }
    RefusingOps missing(ENOENT);
    SettingsRecord settings{};
    EXPECT_EQ(OptionsFile(missing).load(path("OPTIONS.DAT"), settings), OptionsFileOk);
    EXPECT_EQ(password(settings), "");
    EXPECT_EQ(textOf(settings.HDfile), "USERS.ERF");

    // The same on the real file system: a link that loops is there but cannot be opened; a
    // link that leads nowhere is a missing file.
    std::filesystem::create_symlink("OPTIONS.DAT", path("OPTIONS.DAT"));
    EXPECT_EQ(OptionsFileLoad(), OptionsFileCantRead);
    std::filesystem::remove(path("OPTIONS.DAT"));
    std::filesystem::create_symlink("gone/OPTIONS.DAT", path("OPTIONS.DAT"));
    EXPECT_EQ(OptionsFileLoad(), OptionsFileOk);
}

TEST_F(SettingsTest, FailedLoadLeavesWhatWasRead) {
    std::string bytes = defaultOptionsBytes();
    bytes.resize(600); // signature, password, HDfile and part of FloppyFile
    writeFile(path("OPTIONS.DAT"), bytes);
    std::memset(&Settings, 0x55, sizeof Settings);
    ASSERT_EQ(OptionsFileLoad(), OptionsFileCantRead);
    EXPECT_STREQ(Settings.HDfile, "USERS.ERF");
    EXPECT_EQ(static_cast<unsigned char>(Settings.WordFile[0]), 0x55);
}

// Fault guarded against: an OPTIONS.DAT made read-only to lock it was replaced all the same.
TEST_F(SettingsTest, SaveLeavesAReadOnlyFileAlone) {
    Settings = defaultSettings();
    ASSERT_EQ(OptionsFileSave(), OptionsFileOk);
    const std::string before = readFile(path("OPTIONS.DAT"));
    std::filesystem::permissions(path("OPTIONS.DAT"), std::filesystem::perms::owner_read);
    EXPECT_TRUE(optionsFileLocked());
    Settings.GetPercent = 50;
    EXPECT_EQ(OptionsFileSave(), OptionsFileCantOpen);
    EXPECT_EQ(readFile(path("OPTIONS.DAT")), before);
    std::filesystem::permissions(path("OPTIONS.DAT"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_FALSE(optionsFileLocked());
    EXPECT_EQ(OptionsFileSave(), OptionsFileOk);
}

TEST_F(SettingsTest, LoadAndSaveUseTheStartDirectory) {
    std::filesystem::create_directory("elsewhere");
    std::filesystem::current_path("elsewhere");
    Settings = defaultSettings();
    ASSERT_EQ(OptionsFileSave(), OptionsFileOk);
    EXPECT_TRUE(std::filesystem::exists(path("OPTIONS.DAT")));
    EXPECT_FALSE(std::filesystem::exists(path("elsewhere/OPTIONS.DAT")));
    EXPECT_EQ(std::filesystem::current_path(), dir());

    std::filesystem::current_path("elsewhere");
    Settings.GetPercent = 1;
    ASSERT_EQ(OptionsFileLoad(), OptionsFileOk);
    EXPECT_EQ(Settings.GetPercent, 90);
}

TEST_F(SettingsTest, TextsAreCutAtTheirFields) {
    Settings = defaultSettings();
    setText(Settings.HDfile, std::string(300, 'p'));
    EXPECT_EQ(textOf(Settings.HDfile), std::string(255, 'p'));
    // The neighbouring field is untouched.
    EXPECT_EQ(textOf(Settings.FloppyFile), "A:\\USERS.ERF");
    setText(Settings.HDfile, "short");
    EXPECT_EQ(std::string(Settings.HDfile, 256), field("short", 256));
    std::memset(Settings.WordFile, 'w', sizeof Settings.WordFile);
    EXPECT_EQ(textOf(Settings.WordFile), std::string(256, 'w'));
}

TEST_F(SettingsTest, PasswordCoding) {
    Settings = defaultSettings();
    SetPassword("");
    EXPECT_EQ(std::string(Settings.Password, 50), std::string(50, '\0'));
    EXPECT_EQ(GetPassword(), "");

    SetPassword("ab");
    EXPECT_EQ(std::string(Settings.Password, 3), std::string("\xE1\xE2\0", 3));
    EXPECT_EQ(GetPassword(), "ab");

    // Longer than the field: cut after 49 characters, the zero byte still in place.
    SetPassword(std::string(49, 'x') + "yz");
    EXPECT_EQ(GetPassword(), std::string(49, 'x'));
    EXPECT_EQ(Settings.Password[49], '\0');

    // A character beyond 7-bit ASCII loses its top bit, so it no longer matches.
    SetPassword("\xE9t\xE9");
    EXPECT_EQ(GetPassword(), "iti");

    // A field filled to the last byte (a damaged file) reads as 50 characters, no further.
    std::memset(Settings.Password, 'A' | 0x80, sizeof Settings.Password);
    EXPECT_EQ(GetPassword(), std::string(50, 'A'));
}

} // namespace
} // namespace hc::test
