// The results history: the lines of a test and of a puzzle as they are stored, the header once,
// the line a killed writer left unfinished, texts that need quoting, the words to practise and
// forgetting a child.

#include "datafiles/file_ops.h"
#include "datafiles/history.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace hc::test {
namespace {

class HistoryTest : public TempDirTest {
protected:
    History history() { return History(FileOps::system(), path("HISTORY.CSV")); }
};

constexpr const char* kHeader =
    "time,user,activity,word,answer,result,test,puzzle,right_clicks,wrong_clicks,percent\r\n";

TEST_F(HistoryTest, TestAndPuzzleLinesAsStoredWithOneHeader) {
    History file = history();
    int number = 0;
    ASSERT_EQ(file.appendTest("Ann", "2026-03-02T09:15:02+01:00",
                              {{"cat", "cat", true}, {"said", "sed", false}}, &number),
              HistoryStatus::Ok);
    EXPECT_EQ(number, 1);
    ASSERT_EQ(file.appendPuzzle("Ann", "2026-03-02T09:20:00+01:00", 7, 16, 4, 80),
              HistoryStatus::Ok);
    // Another child's test that day is their first; Ann's next is her second, and the day
    // after starts again at 1.
    ASSERT_EQ(file.appendTest("Bob", "2026-03-02T10:00:00+01:00", {{"cat", "kat", false}}, &number),
              HistoryStatus::Ok);
    EXPECT_EQ(number, 1);
    ASSERT_EQ(file.appendTest("ANN", "2026-03-02T11:00:00+01:00", {{"cat", "cat", true}}, &number),
              HistoryStatus::Ok);
    EXPECT_EQ(number, 2);
    ASSERT_EQ(file.appendTest("Ann", "2026-03-03T08:00:00+01:00", {{"cat", "cat", true}}, &number),
              HistoryStatus::Ok);
    EXPECT_EQ(number, 1);
    EXPECT_EQ(readFile(path("HISTORY.CSV")),
              std::string(kHeader) +
                  "2026-03-02T09:15:02+01:00,Ann,spelling,cat,cat,right,1,,,,\r\n"
                  "2026-03-02T09:15:02+01:00,Ann,spelling,said,sed,wrong,1,,,,\r\n"
                  "2026-03-02T09:20:00+01:00,Ann,phonogram,,,,,7,16,4,80\r\n"
                  "2026-03-02T10:00:00+01:00,Bob,spelling,cat,kat,wrong,1,,,,\r\n"
                  "2026-03-02T11:00:00+01:00,ANN,spelling,cat,cat,right,2,,,,\r\n"
                  "2026-03-03T08:00:00+01:00,Ann,spelling,cat,cat,right,1,,,,\r\n");

    HistoryContents contents;
    ASSERT_EQ(file.read({"ann", "2026-03-02"}, contents), HistoryStatus::Ok);
    ASSERT_EQ(contents.entries.size(), 5u);
    EXPECT_EQ(contents.damaged, 0);
    const std::vector<ProgressPoint> points = progressPoints(contents.entries);
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[0].percent, 50);
    EXPECT_EQ(points[0].words, 2);
    EXPECT_EQ(points[1].activity, HistoryActivity::Phonogram);
    EXPECT_EQ(points[1].percent, 80);
    ASSERT_EQ(file.read({"", "2026-03-03"}, contents), HistoryStatus::Ok);
    EXPECT_EQ(contents.entries.size(), 1u);
}

TEST_F(HistoryTest, TextsRoundTrip) {
    // Each row: a name and a word and an answer that the format must carry unchanged.
    const struct {
        const char* user;
        const char* word;
        const char* answer;
    } rows[] = {
        {"Smith, Ann", "a,b", ","},          {"Ann \"Bee\" Lee", "\"", "say \"hi\""},
        {"Zoë Ñúñez", "naïve", "café"},      {"Ann", "word", ""}, // nothing typed
        {"\"quoted\"", "\"\"", "a\"\",\"b"},                      // quotes at the ends of a field
    };
    History file = history();
    for (const auto& row : rows) {
        ASSERT_EQ(
            file.appendTest(row.user, "2026-03-02T09:00:00-05:00", {{row.word, row.answer, false}}),
            HistoryStatus::Ok);
    }
    HistoryContents contents;
    ASSERT_EQ(file.read({}, contents), HistoryStatus::Ok);
    ASSERT_EQ(contents.entries.size(), std::size(rows));
    EXPECT_EQ(contents.damaged, 0);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(contents.entries[i].user, rows[i].user);
        EXPECT_EQ(contents.entries[i].word, rows[i].word);
        EXPECT_EQ(contents.entries[i].answer, rows[i].answer);
        EXPECT_EQ(contents.entries[i].time, "2026-03-02T09:00:00-05:00");
    }
    // A line end typed into a field never splits a record.
    ASSERT_EQ(file.appendTest("Ann", "2026-03-02T09:00:00+00:00", {{"a\r\nb", "c\nd", true}}),
              HistoryStatus::Ok);
    ASSERT_EQ(file.read({"Ann", ""}, contents), HistoryStatus::Ok);
    EXPECT_EQ(contents.entries.back().word, "a  b");
    EXPECT_EQ(contents.damaged, 0);
}

TEST_F(HistoryTest, DamagedLinesAreSkippedAndCounted) {
    const std::string good = "2026-03-02T09:00:00+00:00,Ann,spelling,cat,cat,right,1,,,,\r\n";
    // Each row: the file as a killed writer or another tool left it, the records read from it and
    // the lines skipped; then one more test appended, and the records and damaged lines after.
    const struct {
        std::string bytes;
        std::size_t records;
        int damaged;
    } rows[] = {
        {kHeader + good + "2026-03-02T09:00:00+00:00,Ann,spel", 1, 1}, // killed mid-line
        {kHeader + good + "2026-03-02T09:00:00+00:00,Ann,spelling,cat,cat,right,1,,,,", 1, 1},
        {"time,user,act", 0, 1},                                  // killed in the header
        {kHeader + std::string("not,a,record\r\n") + good, 1, 1}, // a stranger's line
        {kHeader + std::string("2026-13-02T09:00:00+00:00,Ann,spelling,cat,cat,right,1,,,,\r\n"), 0,
         1}, // no such month
        {kHeader + std::string("2026-03-02T09:00:00+00:00,Ann,spelling,cat,\"cat,right,1,,,,\r\n"),
         0, 1}, // a quote never closed
        {kHeader + std::string("2026-03-02T09:00:00+00:00,Ann,phonogram,,,,,1,2,3,101\r\n"), 0,
         1}, // per cent above 100
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bytes);
        writeFile(path("HISTORY.CSV"), row.bytes);
        History file = history();
        HistoryContents contents;
        ASSERT_EQ(file.read({}, contents), HistoryStatus::Ok);
        EXPECT_EQ(contents.entries.size(), row.records);
        EXPECT_EQ(contents.damaged, row.damaged);
        ASSERT_EQ(file.appendTest("Ann", "2026-03-02T10:00:00+00:00", {{"dog", "dog", true}}),
                  HistoryStatus::Ok);
        ASSERT_EQ(file.read({}, contents), HistoryStatus::Ok);
        // The unfinished line was cut off, never joined to the new one.
        EXPECT_EQ(contents.entries.size(), row.records + 1);
        EXPECT_EQ(contents.entries.back().word, "dog");
        const bool unfinished = row.bytes.back() != '\n';
        EXPECT_EQ(contents.damaged, unfinished ? 0 : row.damaged);
    }
}

TEST_F(HistoryTest, WordsToPractiseOrderAndMasteredRule) {
    auto spelled = [](const char* time, const char* user, const char* word, bool right) {
        HistoryEntry entry;
        entry.time = time;
        entry.user = user;
        entry.word = word;
        entry.answer = right ? word : "x";
        entry.right = right;
        entry.test = 1;
        return entry;
    };
    const std::vector<HistoryEntry> ann = {
        spelled("2026-03-02T09:00:00+00:00", "Ann", "said", false),
        spelled("2026-03-02T09:00:00+00:00", "Ann", "was", false),
        spelled("2026-03-02T09:00:00+00:00", "Ann", "they", false),
        spelled("2026-03-03T09:00:00+00:00", "Ann", "they", false),
        spelled("2026-03-03T09:00:00+00:00", "Ann", "cat", true),  // never missed: not listed
        spelled("2026-03-04T09:00:00+00:00", "Ann", "Said", true), // letter case ignored
        spelled("2026-03-05T09:00:00+00:00", "Ann", "said", true),
        spelled("2026-03-05T09:00:00+00:00", "Ann", "was", true),
    };
    const std::vector<PractiseWord> words = wordsToPractise(ann);
    // "they", missed last on the 3rd; then the 2nd's two, both once, alphabetically.
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[0].word, "they");
    EXPECT_EQ(words[0].missed, 2);
    EXPECT_EQ(words[0].rightSince, 0);
    EXPECT_EQ(words[1].word, "said");
    EXPECT_EQ(words[1].rightSince, 2);
    EXPECT_TRUE(words[1].mastered());
    EXPECT_EQ(words[2].word, "was");
    EXPECT_EQ(words[2].rightSince, 1);
    EXPECT_FALSE(words[2].mastered());
    EXPECT_EQ(practiceList(words), (std::vector<std::string>{"they", "was"}));

    // A miss after being right starts the count again.
    std::vector<HistoryEntry> relapse = ann;
    relapse.push_back(spelled("2026-03-06T09:00:00+00:00", "Ann", "said", false));
    EXPECT_EQ(practiceList(wordsToPractise(relapse)),
              (std::vector<std::string>{"said", "they", "was"}));

    // For a class: Bob's misses add up with Ann's, and a word stays on the list while one child
    // has not mastered it, though another has.
    std::vector<HistoryEntry> both = ann;
    both.push_back(spelled("2026-03-02T09:00:00+00:00", "Bob", "said", false));
    both.push_back(spelled("2026-03-02T09:00:00+00:00", "Bob", "was", false));
    both.push_back(spelled("2026-03-03T09:00:00+00:00", "Bob", "was", true));
    both.push_back(spelled("2026-03-04T09:00:00+00:00", "Bob", "was", true));
    const std::vector<PractiseWord> classWords = wordsToPractise(both);
    ASSERT_EQ(classWords.size(), 3u);
    EXPECT_EQ(classWords[1].word, "said");
    EXPECT_EQ(classWords[1].missed, 2);
    EXPECT_EQ(classWords[1].rightSince, 0);
    EXPECT_EQ(practiceList(classWords), (std::vector<std::string>{"they", "said", "was"}));
}

TEST_F(HistoryTest, TotalsCompareThisWeekWithTheFourBefore) {
    std::vector<HistoryEntry> entries;
    auto add = [&](const char* time, int test, bool right) {
        HistoryEntry entry;
        entry.time = time;
        entry.user = "Ann";
        entry.word = "w";
        entry.right = right;
        entry.test = test;
        entries.push_back(entry);
    };
    add("2026-01-30T09:00:00+00:00", 1, true);  // five weeks before: counted in neither period
    add("2026-02-02T09:00:00+00:00", 1, false); // first day of the four weeks before
    add("2026-02-02T09:00:00+00:00", 1, true);
    add("2026-03-01T23:59:59+00:00", 1, false); // the Sunday before
    add("2026-03-02T09:00:00+00:00", 1, true);  // this week's Monday
    HistoryEntry puzzle;
    puzzle.time = "2026-03-04T09:00:00+00:00";
    puzzle.user = "Ann";
    puzzle.activity = HistoryActivity::Phonogram;
    puzzle.percent = 50;
    entries.push_back(puzzle);
    const ProgressTotals totals = progressTotals(entries, "2026-03-04");
    EXPECT_EQ(totals.tests, 4);
    EXPECT_EQ(totals.puzzles, 1);
    EXPECT_EQ(totals.wordsAnswered, 5);
    EXPECT_EQ(totals.wordsRight, 3);
    EXPECT_EQ(totals.percentThisWeek, 100);
    EXPECT_EQ(totals.percentPreviousFour, 33);
    EXPECT_EQ(weekStart("2026-03-01"), "2026-02-23"); // a Sunday belongs to the week before
    EXPECT_EQ(addDays("2024-02-28", 1), "2024-02-29");
    EXPECT_EQ(progressTotals(entries, "2026-04-01").percentThisWeek, -1);
}

TEST_F(HistoryTest, ForgettingRemovesOnlyThatChild) {
    History file = history();
    ASSERT_EQ(file.appendTest("Ann", "2026-03-02T09:00:00+00:00", {{"a", "a", true}}),
              HistoryStatus::Ok);
    ASSERT_EQ(file.appendTest("Annabel", "2026-03-02T09:00:00+00:00", {{"b", "b", true}}),
              HistoryStatus::Ok);
    ASSERT_EQ(file.appendPuzzle("ANN", "2026-03-02T09:05:00+00:00", 1, 16, 0, 100),
              HistoryStatus::Ok);
    ASSERT_EQ(file.appendTest("Bob", "2026-03-02T09:00:00+00:00", {{"c", "d", false}}),
              HistoryStatus::Ok);
    ::chmod(path("HISTORY.CSV").c_str(), 0640);
    int removed = -1;
    ASSERT_EQ(file.forget("ann", &removed), HistoryStatus::Ok);
    EXPECT_EQ(removed, 2);
    EXPECT_EQ(readFile(path("HISTORY.CSV")),
              std::string(kHeader) +
                  "2026-03-02T09:00:00+00:00,Annabel,spelling,b,b,right,1,,,,\r\n"
                  "2026-03-02T09:00:00+00:00,Bob,spelling,c,d,wrong,1,,,,\r\n");
    struct stat info;
    ASSERT_EQ(::stat(path("HISTORY.CSV").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "the rewritten history keeps its permissions";
    ASSERT_EQ(file.forget("Nobody", &removed), HistoryStatus::Ok);
    EXPECT_EQ(removed, 0);
    EXPECT_EQ(History(FileOps::system(), path("NONE.CSV")).forget("Ann"), HistoryStatus::Ok);
}

TEST_F(HistoryTest, NewHistoryTakesTheUserFilesPermissions) {
    writeFile(path("USERS.ERF"), "x");
    ::chmod(path("USERS.ERF").c_str(), 0600);
    History file(FileOps::system(), historyPathFor(path("USERS.ERF")), path("USERS.ERF"));
    ASSERT_EQ(file.appendPuzzle("Ann", "2026-03-02T09:05:00+00:00", 1, 16, 0, 100),
              HistoryStatus::Ok);
    struct stat info;
    ASSERT_EQ(::stat(path("HISTORY.CSV").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // A folder that is not there: the failure is reported, never taken for success.
    History nowhere(FileOps::system(), path("missing/HISTORY.CSV"));
    EXPECT_EQ(nowhere.appendPuzzle("Ann", "2026-03-02T09:05:00+00:00", 1, 16, 0, 100),
              HistoryStatus::CantCreate);
    HistoryContents contents;
    EXPECT_EQ(nowhere.read({}, contents), HistoryStatus::NoFile);
}

} // namespace
} // namespace hc::test
