#pragma once

// The results history: every answered word of a spelling test and every finished puzzle, one
// line each, in HISTORY.CSV beside the user file the child logged in from. The user file keeps
// only ten scores per activity; the history keeps what the teacher's progress view, the
// practice word list and `hcadmin history` show.
//
// The file is UTF-8 text in the comma-separated format of RFC 4180: a header line (kHistoryHeader),
// then one record per line, CR LF after each. A field holding a comma or a quote is quoted, quotes
// doubled. No field ever holds a line end (the writer turns control characters into spaces), so a
// physical line is always one record, and a line that does not end in a line end is a line a
// writer did not finish.

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace hc {

class FileOps;

inline constexpr std::string_view kHistoryFileName = "HISTORY.CSV";
inline constexpr std::string_view kHistoryHeader =
    "time,user,activity,word,answer,result,test,puzzle,right_clicks,wrong_clicks,percent";

enum class HistoryActivity { Spelling, Phonogram };

// One line of the history. Texts are UTF-8.
struct HistoryEntry {
    std::string time; // local time, ISO 8601 with its offset: 2026-03-02T09:15:02+01:00
    std::string user;
    HistoryActivity activity = HistoryActivity::Spelling;
    // A spelling test's answered word: the word asked, what was typed, whether it was right, and
    // the test's number of that day for that child (1 for the first).
    std::string word;
    std::string answer;
    bool right = false;
    int test = 0;
    // A finished puzzle: its number, the right and wrong clicks, and the per cent stored.
    int puzzle = 0;
    int rightClicks = 0;
    int wrongClicks = 0;
    int percent = 0;

    // The local date of `time`: "YYYY-MM-DD".
    std::string_view date() const { return std::string_view(time).substr(0, 10); }
};

// One answered word of a test, as the spelling test hands it over (UTF-8).
struct AnsweredWord {
    std::string word;
    std::string answer;
    bool right = false;
};

// The history beside a user file (native path; a user file reached through a link has its history
// beside the file the link leads to, where every machine of the class finds it).
std::string historyPathFor(const std::string& userFilePath);
// The current local time as the history stores it.
std::string historyTimeNow();
std::string historyTime(std::time_t when);
// Whether two names are the same user, as the user file compares them (ASCII letters ignoring
// case, every other character exactly).
bool sameHistoryUser(std::string_view a, std::string_view b);
// Whether `text` is a date "YYYY-MM-DD" of the calendar.
bool isHistoryDate(std::string_view text);

// One record as it is stored, CR LF included; and back. A line that is not a record (a wrong
// number of fields, an unknown activity, a number that is not one) gives false.
std::string formatHistoryLine(const HistoryEntry& entry);
bool parseHistoryLine(std::string_view line, HistoryEntry& entry);

enum class HistoryStatus { Ok, NoFile, CantLock, CantCreate, CantRead, CantWrite };
// A sentence for a status, naming the file.
std::string historyMessage(HistoryStatus status, const std::string& path);

// What reading keeps: `user` empty for every child, `since` ("YYYY-MM-DD", empty for all) the
// first local date kept.
struct HistoryFilter {
    std::string user;
    std::string since;
};

struct HistoryContents {
    std::vector<HistoryEntry> entries; // in file order, which is the order they were recorded
    // Lines skipped: one a writer did not finish (killed while appending) and any line that is
    // not a record. They are never taken for data. With a user filter, the lines of other
    // children are not looked at closely and not counted.
    int damaged = 0;
};

// The history file of one class. Every change holds the history's own lock (the same
// cross-machine lock as the user file's, on "~HISTORY.CSV.lck"): appends add whole lines with one
// write and flush them to the storage; a line a killed writer left unfinished is cut off by the
// next writer before it appends, so it never runs into a good line. Forgetting rewrites the file
// whole beside it and renames it over, as the user file is changed.
class History {
public:
    // `path`: the history's native path. `permissionsFrom`: the file whose permissions, owner and
    // group a new history takes (the user file: the history holds the same children's names).
    History(FileOps& ops, std::string path, std::string permissionsFrom = {});

    // Appends one finished test's words, all with the same time and the test's number of that
    // day (one more than the tests of that child already recorded that day), in one locked
    // step. `testNumber` (optional) receives it.
    HistoryStatus appendTest(std::string_view user, const std::string& time,
                             const std::vector<AnsweredWord>& words, int* testNumber = nullptr);
    // Appends one finished puzzle.
    HistoryStatus appendPuzzle(std::string_view user, const std::string& time, int puzzle,
                               int rightClicks, int wrongClicks, int percent);
    // Appends records as they are (their fields as given).
    HistoryStatus append(const std::vector<HistoryEntry>& entries);

    // Reads the records `filter` keeps. NoFile when there is no history yet (no records).
    HistoryStatus read(const HistoryFilter& filter, HistoryContents& contents) const;

    // Removes every record of `user`; `removed` (optional) receives how many. No file: Ok, 0.
    HistoryStatus forget(std::string_view user, int* removed = nullptr);

    const std::string& path() const { return m_path; }

private:
    // Appends `entries` under the lock; with `numberTest`, first gives them the test's number of
    // that day, read from the file's tail under the same lock.
    HistoryStatus appendLocked(const std::vector<HistoryEntry>& entries, bool numberTest,
                               int* testNumber);

    FileOps& m_ops;
    std::string m_path;
    std::string m_permissionsFrom;
};

// The activities' way in: record one finished test's words, or one finished puzzle, in the
// history beside the user file `storedUserFile` (its path as the settings store it) for the child
// `storedName` (as the user file stores it, Windows-1252), at the current time. Returns an empty
// text when the lines were written, else the message to show; the caller has already kept the
// result in the user file, and the message says so.
std::string recordTestHistory(std::string_view storedUserFile, std::string_view storedName,
                              const std::vector<AnsweredWord>& words);
std::string recordPuzzleHistory(std::string_view storedUserFile, std::string_view storedName,
                                int puzzle, int rightClicks, int wrongClicks, int percent);

// One point of a child's progress chart: a spelling test (the per cent of its words spelled
// right) or a puzzle (its per cent).
struct ProgressPoint {
    std::string time;
    HistoryActivity activity = HistoryActivity::Spelling;
    int percent = 0;
    int words = 0; // spelling: the test's words
};

// A child's spelling tests and puzzles in the order they were recorded. The words of one test
// share its time and number; words of a test that another machine's clock put out of order
// still count in their own test.
std::vector<ProgressPoint> progressPoints(const std::vector<HistoryEntry>& entries);

// The moving average of a series: each value the mean of it and up to `window` - 1 before it.
std::vector<double> movingAverage(const std::vector<int>& values, int window);

// A word missed and how it went afterwards.
struct PractiseWord {
    std::string word;
    int missed = 0;         // how often it was spelled wrong
    std::string lastMissed; // the time of the last miss
    int rightSince = 0;     // how often it was spelled right after the last miss
    // A word is mastered once it was spelled right kMasteredAfter times after its last miss:
    // once may be luck, twice in a row of tests is learnt.
    bool mastered() const;
};
inline constexpr int kMasteredAfter = 2;

// The words to practise of the records given (one child's, or a class's): every word ever
// spelled wrong, the most recently missed first (by the date of the last miss), then the most
// often missed, then alphabetically. Words are told apart ignoring ASCII letter case. For a
// class, a word counts the misses of every child, and is mastered only when every child who
// missed it has mastered it; its "right since" is the least of theirs.
std::vector<PractiseWord> wordsToPractise(const std::vector<HistoryEntry>& entries);
// The words of `words` not yet mastered, in order.
std::vector<std::string> practiceList(const std::vector<PractiseWord>& words);

// The totals the progress view shows, for the week that holds `today` (weeks begin on Monday)
// against the four weeks before it. A per cent is -1 when no word was answered in its period.
struct ProgressTotals {
    int tests = 0;
    int puzzles = 0;
    int wordsAnswered = 0;
    int wordsRight = 0;
    int percentThisWeek = -1;
    int percentPreviousFour = -1;
};
ProgressTotals progressTotals(const std::vector<HistoryEntry>& entries, std::string_view today);

// The first day of the week that holds `date` (a Monday), and a date `days` later (or earlier
// when negative). Both "YYYY-MM-DD"; an invalid date is returned as given.
std::string weekStart(std::string_view date);
std::string addDays(std::string_view date, int days);

} // namespace hc
