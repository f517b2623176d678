#include "datafiles/word_list.h"

#include "datafiles/file_ops.h"
#include "datafiles/settings.h"
#include "datafiles/user_file.h"
#include "file_bytes.h"
#include "temp_dir.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace hc::test {
namespace {

using Lines = std::vector<std::string>;

TEST(WordList, ReadingSplitsAtEveryKindOfLineEnd) {
    const std::vector<std::pair<std::string, Lines>> rows = {
        {"", {}},
        {"cat\r\ndog\r\n", {"cat", "dog"}},
        {"cat\ndog\n", {"cat", "dog"}},
        {"cat\rdog\r", {"cat", "dog"}},
        {"cat\r\ndog", {"cat", "dog"}}, // a last line without a line end counts
        {"cat\n\ndog", {"cat", "", "dog"}},
        {"\r\n", {""}},
        {"\n\r", {"", ""}}, // LF then a lone CR: two line ends
        {"a\r\r\nb", {"a", "", "b"}},
        {"  the cat  \r\n", {"  the cat  "}},    // kept exactly as written
        {std::string("cat\0dog\n", 8), {"cat"}}, // a zero byte ends the text
        {std::string("\0cat", 4), {}},
        {"\xE9t\xE9\n", {"\xE9t\xE9"}},
    };
    for (const auto& [text, lines] : rows) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(parseWordList(text), lines);
    }
}

TEST(WordList, WritingTrimsDropsEmptyLinesAndEndsEachWithCrLf) {
    EXPECT_EQ(formatWordList({"  cat  ", "", "dog"}), "cat\r\ndog\r\n");
    EXPECT_EQ(formatWordList({"\t\x01 the cat \x1F\x20", " \t ", "a b"}), "the cat\r\na b\r\n");
    EXPECT_EQ(formatWordList({}), "");
    EXPECT_EQ(formatWordList({"", "   "}), "");
    // Characters above 32 are not blanks, whatever they look like.
    EXPECT_EQ(formatWordList({"\xA0x\x7F"}), "\xA0x\x7F\r\n");
}

class WordListFileTest : public TempDirTest {};

TEST_F(WordListFileTest, SavedListsReadBackAndMissingFilesReadEmpty) {
    const WordListLoad missing = loadWordList("WORDLIST.TXT");
    EXPECT_FALSE(missing.opened);
    EXPECT_TRUE(missing.lines.empty());

    ASSERT_EQ(saveWordList("WORDLIST.TXT", {"  cat  ", "", "dog"}), WordListSaveResult::Ok);
    EXPECT_EQ(readFile(path("WORDLIST.TXT")), "cat\r\ndog\r\n");
    const WordListLoad loaded = loadWordList("WORDLIST.TXT");
    EXPECT_TRUE(loaded.opened);
    EXPECT_EQ(loaded.lines, (Lines{"cat", "dog"}));

    ASSERT_EQ(saveWordList("WORDLIST.TXT", {}), WordListSaveResult::Ok);
    EXPECT_EQ(readFile(path("WORDLIST.TXT")), "");
    EXPECT_TRUE(loadWordList("WORDLIST.TXT").opened);
}

TEST_F(WordListFileTest, StoredPathsWithBackslashes) {
    std::filesystem::create_directory("lists");
    ASSERT_EQ(saveWordList("lists\\week1.txt", {"bee"}), WordListSaveResult::Ok);
    EXPECT_EQ(readFile(path("lists/week1.txt")), "bee\r\n");
    EXPECT_EQ(saveWordList("nofolder\\week1.txt", {"bee"}), WordListSaveResult::CantCreate);
    EXPECT_EQ(wordListSaveMessage(WordListSaveResult::CantCreate, "nofolder\\week1.txt"),
              "Can't create file nofolder\\week1.txt");
    // Regression: a folder in the list's place was reported as "(disk full?)".
    EXPECT_EQ(saveWordList("lists", {"bee"}), WordListSaveResult::Folder);
    EXPECT_EQ(wordListSaveMessage(WordListSaveResult::Folder, "lists"),
              "Can't write to file lists: it is a folder");
    EXPECT_TRUE(std::filesystem::is_directory("lists"));
}

// Lists from today's editors are UTF-8. Regression: they were read as Windows-1252, so the card
// showed "cafÃ©" and a right "café" scored nothing.
TEST_F(WordListFileTest, ListsAreReadInTheirEncodingAndWrittenBackInIt) {
    using enum WordListEncoding;
    struct Row {
        const char* what;
        std::string bytes;
        WordListEncoding encoding;
        Lines text; // UTF-8
    };
    const std::vector<Row> rows = {
        {"the program's own list", "caf\xE9\r\nbee\r\n", Windows1252, {"café", "bee"}},
        {"plain ASCII", "cat\ndog\n", Windows1252, {"cat", "dog"}},
        {"UTF-8", "café\nnaïve\n", Utf8, {"café", "naïve"}},
        {"UTF-8 with a byte-order mark",
         "\xEF\xBB\xBF"
         "café\r\nbee\r\n",
         Utf8WithBom,
         {"café", "bee"}},
        {"a byte-order mark alone", "\xEF\xBB\xBF", Utf8WithBom, {}},
        {"a byte-order mark before ASCII",
         "\xEF\xBB\xBF"
         "cat\n",
         Utf8WithBom,
         {"cat"}},
        // Not valid UTF-8 after all: every byte is Windows-1252.
        {"a UTF-8 start then a lone byte", "café\n\xE9t\xE9\n", Windows1252, {"cafÃ©", "été"}},
        {"a mark before invalid text", "\xEF\xBB\xBF\xE9", Windows1252, {"ï»¿é"}},
        {"right-to-left text", "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D\n", Utf8, {"שלום"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        writeFile(path("WORDLIST.TXT"), row.bytes);
        const WordListLoad loaded = loadWordList("WORDLIST.TXT");
        ASSERT_TRUE(loaded.opened);
        EXPECT_EQ(loaded.encoding, row.encoding);
        EXPECT_EQ(loaded.text, row.text);
        // Written back in its encoding, a list the program wrote itself keeps every byte.
        ASSERT_EQ(saveWordList("WORDLIST.TXT", loaded.lines, loaded.encoding),
                  WordListSaveResult::Ok);
        const WordListLoad again = loadWordList("WORDLIST.TXT");
        EXPECT_EQ(again.encoding, row.encoding);
        EXPECT_EQ(again.text, row.text);
        if (row.bytes.ends_with("\r\n")) {
            EXPECT_EQ(readFile(path("WORDLIST.TXT")), row.bytes);
        }
    }
}

// Counts what is read, and stops a file that never ends well before memory does.
class CountingOps : public FileOps {
public:
    std::size_t read(void* data, std::size_t size, std::FILE* file) override {
        if (m_total > kGiveUp) {
            return 0;
        }
        const std::size_t got = FileOps::read(data, size, file);
        m_total += got;
        return got;
    }
    std::size_t total() const { return m_total; }
    static constexpr std::size_t kGiveUp = 256 * 1024 * 1024;

private:
    std::size_t m_total = 0;
};

// Regression: /dev/zero named as a data file was read until memory ran out, and a FIFO named as
// the word list froze the word list view for good. A data file is read only when it is a regular
// file and only up to what it can hold; otherwise each file gives its own failure and nothing is
// written.
TEST_F(WordListFileTest, SpecialAndHugeDataFilesAreRefusedWithoutWaiting) {
    struct Row {
        const char* what;
        std::function<void(const std::string&)> make;
    };
    const std::string userFile = "U.ERF";
    const std::vector<Row> rows = {
        {"a folder", [](const std::string& p) { std::filesystem::create_directory(p); }},
        {"a FIFO without a writer",
         [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
        {"a link to /dev/zero",
         [](const std::string& p) { std::filesystem::create_symlink("/dev/zero", p); }},
        {"a link to /dev/null",
         [](const std::string& p) { std::filesystem::create_symlink("/dev/null", p); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        for (const char* name : {"WORDLIST.TXT", "U.ERF", "OPTIONS.DAT"}) {
            row.make(path(name));
        }
        CountingOps ops;
        EXPECT_FALSE(loadWordList(ops, path("WORDLIST.TXT")).opened);
        UserFile users(ops);
        UserRecord current{};
        EXPECT_EQ(users.list(path(userFile), {}, current), UserFileCantOpen);
        EXPECT_EQ(users.find(path(userFile), "Ann", current), UserFileCantOpen);
        EXPECT_EQ(users.add(path(userFile), "Ann"), UserFileCantOpen);
        SettingsRecord settings = defaultSettings();
        EXPECT_EQ(OptionsFile(ops).load(path("OPTIONS.DAT"), settings), OptionsFileCantRead);
        EXPECT_EQ(ops.total(), 0u);
        EXPECT_NE(saveWordList(ops, path("WORDLIST.TXT"), {"bee"}), WordListSaveResult::Ok);
        // Nothing was written in their place or beside them.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir()), {}), 3);
        for (const char* name : {"WORDLIST.TXT", "U.ERF", "OPTIONS.DAT"}) {
            std::filesystem::remove(path(name));
        }
    }

    // Regular files far larger than any class's: refused after reading little more than the
    // most the file can hold (sparse, so the test writes nothing to disk).
    writeFile(path("WORDLIST.TXT"), "bee\r\n");
    std::filesystem::resize_file(path("WORDLIST.TXT"), kWordListMaxBytes + 1);
    CountingOps listOps;
    const WordListLoad huge = loadWordList(listOps, path("WORDLIST.TXT"));
    EXPECT_FALSE(huge.opened);
    EXPECT_EQ(huge.status, ReadStatus::TooLarge);
    EXPECT_LE(listOps.total(), kWordListMaxBytes + 1);

    // A user file is read no further than the records its header counts.
    writeFile(path(userFile), userFileBytes({recordBytes("Ann")}));
    std::filesystem::resize_file(path(userFile), std::uintmax_t{1} << 30);
    CountingOps userOps;
    UserRecord current{};
    EXPECT_EQ(UserFile(userOps).list(path(userFile), {}, current), UserFileCorrupted);
    EXPECT_LE(userOps.total(), 264u + 780u + 1u);
}

} // namespace
} // namespace hc::test
