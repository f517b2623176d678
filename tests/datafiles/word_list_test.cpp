#include "datafiles/word_list.h"

#include "datafiles/file_ops.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

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
}

} // namespace
} // namespace hc::test
