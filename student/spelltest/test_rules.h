#pragma once

// The spelling test's rules, free of any user interface: the word list as the test reads it,
// the percentage of a score, the teacher's "Great Job" rule, the word's time on the card, and
// which reward movie comes next.

#include <chrono>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct SettingsRecord;

namespace hc::student {

// The words of one test screen and the place of the test under way in them (WordIndex).
//
// The words are fixed when the screen is made; each test presents all of them in file order,
// from the first.
class TestWords {
public:
    // The entries of a word list file's text: one per line, in file order. A line ends at CR,
    // LF or CR LF; an empty line is an empty entry; a final line end adds no entry; a NUL ends
    // the text. The bytes are kept as they are (Windows-1252).
    static std::vector<std::string> parse(std::string_view text);

    TestWords() = default;
    explicit TestWords(std::vector<std::string> words) : m_words(std::move(words)) {}

    const std::vector<std::string>& words() const { return m_words; }
    std::size_t size() const { return m_words.size(); }
    bool empty() const { return m_words.empty(); }
    void clear() { *this = TestWords(); }

    // A new test: the first word is next.
    void start() { m_index = 0; }
    // True while a word remains to be presented.
    bool hasNext() const { return m_index < m_words.size(); }
    // The next word; advances to the one after it. Only while hasNext().
    const std::string& takeNext() { return m_words.at(m_index++); }
    // The index of the word takeNext() gives next.
    std::size_t index() const { return m_index; }

private:
    std::vector<std::string> m_words;
    std::size_t m_index = 0;
};

// Correct x 100 / Total, cut to a whole number: Correct / Total in extended precision, times
// 100.0, truncated toward zero. Below 100 words this is the integer part of the exact
// quotient; at 100 words 53 right gives 52 and 59 right gives 58, as results were always
// computed. 0 when Total is 0.
int percentOf(std::uint32_t correct, std::uint32_t total);

// Whether a finished test earns the reward movie. With ImproveMode 0: the percentage reaches
// GetPercent (as unsigned numbers). Otherwise the percentage must reach
// ((100 - previousAverage) x ImprovePercent) x 0.01 + previousAverage, in extended precision
// with the double constant 0.01, which puts a whole-number threshold a hair above itself (25
// over an average of 60 needs 71, not 70); 100 always earns it. `previousAverage` is the
// user's spelling average before this test (0 for a first test).
bool earnsGreatJob(const SettingsRecord& settings, int percent, float previousAverage);

// How long a word stays on the card: WordDelay seconds in whole milliseconds, the fraction
// cut off. A delay that comes out at 0 ms or less, or that is not a number, would leave the
// word up for ever and stop the test: half a second is used instead. Very long delays are
// capped at the longest interval a timer takes.
std::chrono::milliseconds wordInterval(float wordDelay);

// The reward movies: archive entries under "movies\greatjob\", numbered from 0.
class RewardChoice {
public:
    // True when `entryName` begins with the reward prefix, letter case ignored.
    static bool isRewardMovie(std::string_view entryName);
    // Moves `rewardNumber` (the movie shown last in this run, -1 before the first) to the
    // movie to show now: the first of a run from the clock (`now` modulo `count`), each later
    // one the next in turn, wrapping after the last. 0 when there are no movies.
    static int next(int& rewardNumber, int count, std::time_t now);
};

} // namespace hc::student
