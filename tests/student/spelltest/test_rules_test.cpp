// The spelling test's rules: the word list's lines, the score of a test, the truncated percentage, the two reward
// rules at and around their thresholds, the word's time on the card and the reward rotation.

#include "datafiles/settings.h"
#include "student/spelltest/scored_test.h"
#include "student/spelltest/test_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <limits>

namespace {

using hc::student::earnsGreatJob;
using hc::student::percentOf;
using hc::student::RewardChoice;
using hc::student::ScoredTest;
using hc::student::TestWords;
using hc::student::wordInterval;
using Words = std::vector<std::string>;

TEST(TestRulesTest, EveryLineOfTheFileIsOneWord) {
    const struct {
        std::string text;
        Words words;
    } rows[] = {
        {"apple\r\nbanana\rcherry\ndate", {"apple", "banana", "cherry", "date"}},
        {"apple\r\n", {"apple"}},                  // a final line end adds nothing
        {"apple\n\nbanana\r\n", {"apple", "", "banana"}}, // an empty line is a word (blank card)
        {"apple\r\r\nbanana", {"apple", "", "banana"}},   // CR, then CR LF
        {"\r\n", {""}},
        {"", {}},
        {std::string("apple\nban\0ana\ncherry", 20), {"apple", "ban"}}, // NUL ends the text
        {" apple \t\n", {" apple \t"}},            // nothing is trimmed
        {"caf\xE9\r\n", {"caf\xE9"}},              // bytes kept as stored (Windows-1252)
    };
    for (const auto& row : rows) {
        EXPECT_EQ(TestWords::parse(row.text), row.words) << "text: " << row.text;
    }
}

TEST(TestRulesTest, EachTestPresentsAllWordsFromTheFirst) {
    TestWords words(Words{"one", "two"});
    words.start();
    EXPECT_EQ(words.takeNext(), "one");
    EXPECT_EQ(words.takeNext(), "two");
    EXPECT_FALSE(words.hasNext());
    words.start();
    EXPECT_TRUE(words.hasNext());
    EXPECT_EQ(words.takeNext(), "one");
}

TEST(TestRulesTest, PercentagesAreTruncatedFromExtendedPrecision) {
    EXPECT_EQ(percentOf(1, 3), 33);
    EXPECT_EQ(percentOf(2, 3), 66) << "truncated, not rounded";
    EXPECT_EQ(percentOf(3, 3), 100);
    EXPECT_EQ(percentOf(0, 3), 0);
    EXPECT_EQ(percentOf(0, 0), 0) << "no answer yet";
    // At 100 words the quotient falls a hair short of the whole number.
    EXPECT_EQ(percentOf(53, 100), 52);
    EXPECT_EQ(percentOf(59, 100), 58);
    EXPECT_EQ(percentOf(50, 100), 50);
    EXPECT_EQ(percentOf(240, 250), 96);
    // Below 100 words it is always the integer part of the exact quotient.
    for (std::uint32_t total = 1; total < 100; ++total) {
        for (std::uint32_t correct = 0; correct <= total; ++correct) {
            ASSERT_EQ(percentOf(correct, total), static_cast<int>(correct * 100 / total))
                << correct << " of " << total;
        }
    }
}

SettingsRecord rule(std::uint8_t improveMode, std::int32_t getPercent,
                    std::int32_t improvePercent) {
    SettingsRecord settings = hc::defaultSettings();
    settings.ImproveMode = improveMode;
    settings.GetPercent = getPercent;
    settings.ImprovePercent = improvePercent;
    return settings;
}

TEST(TestRulesTest, TheGetPercentRuleRewardsFromItsThreshold) {
    const SettingsRecord at90 = rule(0, 90, 25);
    EXPECT_TRUE(earnsGreatJob(at90, 90, 0));
    EXPECT_FALSE(earnsGreatJob(at90, 89, 0));
    EXPECT_TRUE(earnsGreatJob(at90, 100, 95)) << "the previous average plays no part";
    EXPECT_TRUE(earnsGreatJob(rule(0, 0, 25), 0, 0));
    EXPECT_FALSE(earnsGreatJob(rule(0, 101, 25), 100, 0));
}

TEST(TestRulesTest, TheImproveRuleNeedsMoreThanAWholeNumberThreshold) {
    const SettingsRecord by25 = rule(1, 90, 25);
    // 60 + 40 x 25% = 70, and the constant puts the threshold a hair above it.
    EXPECT_FALSE(earnsGreatJob(by25, 70, 60.0f));
    EXPECT_TRUE(earnsGreatJob(by25, 71, 60.0f));
    // A first test: the average is 0, so the result must beat ImprovePercent itself.
    EXPECT_FALSE(earnsGreatJob(by25, 25, 0.0f));
    EXPECT_TRUE(earnsGreatJob(by25, 26, 0.0f));
    // Any nonzero mode is this rule; 50 + 50 x 50% = 75, again a hair above.
    EXPECT_FALSE(earnsGreatJob(rule(7, 90, 50), 75, 50.0f));
    EXPECT_TRUE(earnsGreatJob(rule(7, 90, 50), 76, 50.0f));
    // The float average 66.666664 gives 69.9999977: 70 reaches it, 69 does not.
    EXPECT_TRUE(earnsGreatJob(rule(1, 90, 10), 70, 200.0f / 3.0f));
    EXPECT_FALSE(earnsGreatJob(rule(1, 90, 10), 69, 200.0f / 3.0f));
    // A threshold between whole numbers.
    EXPECT_FALSE(earnsGreatJob(by25, 53, 38.5f)); // 53.875
    EXPECT_TRUE(earnsGreatJob(by25, 54, 38.5f));
    // 100 always earns it, even where the threshold lies above 100.
    EXPECT_TRUE(earnsGreatJob(rule(1, 90, 100), 100, 100.0f));
    EXPECT_TRUE(earnsGreatJob(rule(1, 90, 300), 100, 50.0f));
    EXPECT_FALSE(earnsGreatJob(rule(1, 90, 300), 99, 50.0f));
}

TEST(TestRulesTest, TheWordStaysUpForWordDelayInWholeMilliseconds) {
    using std::chrono::milliseconds;
    EXPECT_EQ(wordInterval(2.0f), milliseconds(2000));
    EXPECT_EQ(wordInterval(2.5f), milliseconds(2500));
    EXPECT_EQ(wordInterval(0.7f), milliseconds(699)) << "0.7f lies below 0.7: cut, not rounded";
    EXPECT_EQ(wordInterval(0.001f), milliseconds(1));
    // Delays that would never end the word: half a second instead.
    for (float delay : {0.0f, 0.0009f, -1.0f, std::numeric_limits<float>::quiet_NaN(),
                        std::numeric_limits<float>::infinity(),
                        -std::numeric_limits<float>::infinity()}) {
        EXPECT_EQ(wordInterval(delay), milliseconds(500)) << delay;
    }
    EXPECT_EQ(wordInterval(1e30f), milliseconds(INT_MAX)) << "capped, never overflowing";
}

TEST(TestRulesTest, RewardMoviesAreCountedByTheirPrefixInAnyCase) {
    EXPECT_TRUE(RewardChoice::isRewardMovie("movies\\greatjob\\0.avi"));
    EXPECT_TRUE(RewardChoice::isRewardMovie("MOVIES\\GreatJob\\12.AVI"));
    EXPECT_TRUE(RewardChoice::isRewardMovie("movies\\greatjob\\"));
    EXPECT_FALSE(RewardChoice::isRewardMovie("movies\\greatjob"));
    EXPECT_FALSE(RewardChoice::isRewardMovie("movies/greatjob/0.avi"));
    EXPECT_FALSE(RewardChoice::isRewardMovie("movies\\flashcrd.avi"));
}

TEST(TestRulesTest, RewardsTakeTheirTurnOverARun) {
    int number = -1;
    // Five movies: the first from the clock (1003 mod 5), then each next one, wrapping.
    EXPECT_EQ(RewardChoice::next(number, 5, 1003), 3);
    EXPECT_EQ(RewardChoice::next(number, 5, 1003), 4);
    EXPECT_EQ(RewardChoice::next(number, 5, 99999), 0) << "only the first comes from the clock";
    EXPECT_EQ(RewardChoice::next(number, 5, 1003), 1);
    EXPECT_EQ(number, 1);

    int first = -1;
    EXPECT_EQ(RewardChoice::next(first, 5, -7), 3) << "a clock before 1970 still picks a movie";
    int none = -1;
    EXPECT_EQ(RewardChoice::next(none, 0, 1003), 0);
    EXPECT_EQ(RewardChoice::next(none, 0, 1003), 0);
}

// The score: each answer judged against the word on the card by the screen's comparison
// (here letter case ignored in ASCII, standing in for the locale's), counted, kept as typed;
// a new test starts from nothing.
TEST(TestRulesTest, EachAnswerIsJudgedCountedAndKeptAsTyped) {
    const auto sameIgnoringCase = [](const std::string& answer, const std::string& word) {
        return std::equal(answer.begin(), answer.end(), word.begin(), word.end(),
                          [](unsigned char a, unsigned char b) {
                              return std::tolower(a) == std::tolower(b);
                          });
    };
    const struct {
        const char* what;
        Words words;
        Words answers;
        std::vector<bool> right;
        int percent;
    } rows[] = {
        {"letter case does not count", {"apple"}, {"APPLE"}, {true}, 100},
        {"a misspelling", {"banana"}, {"bananna"}, {false}, 0},
        {"a space too many", {"cherry"}, {"cherry "}, {false}, 0},
        {"an empty answer to an empty line", {""}, {""}, {true}, 100},
        {"one of three", {"apple", "banana", "cherry"}, {"APPLE", "bananna", "cherry "},
         {true, false, false}, 33},
        {"two of three, truncated", {"a", "b", "c"}, {"a", "b", "x"}, {true, true, false}, 66},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ScoredTest test(row.words, sameIgnoringCase);
        for (int round = 0; round < 2; ++round) { // a second test counts from nothing again
            test.start();
            EXPECT_EQ(test.percent(), 0);
            std::uint32_t correct = 0;
            for (std::size_t i = 0; i < row.answers.size(); ++i) {
                ASSERT_TRUE(test.hasNext());
                EXPECT_EQ(test.takeNext(), row.words[i]);
                EXPECT_EQ(test.judge(row.answers[i]), row.right[i]) << row.answers[i];
                correct += row.right[i] ? 1 : 0;
                EXPECT_EQ(test.total(), i + 1);
                EXPECT_EQ(test.correct(), correct);
            }
            EXPECT_FALSE(test.hasNext());
            EXPECT_EQ(test.percent(), row.percent);
            ASSERT_EQ(test.answered().size(), row.answers.size());
            for (std::size_t i = 0; i < row.answers.size(); ++i) {
                EXPECT_EQ(test.answered()[i].word, row.words[i]);
                EXPECT_EQ(test.answered()[i].answer, row.answers[i]);
                EXPECT_EQ(test.answered()[i].right, row.right[i]);
            }
        }
    }
    ScoredTest test(Words{"apple"}, sameIgnoringCase);
    test.start();
    EXPECT_THROW(test.judge("apple"), std::logic_error) << "no word has been shown yet";
}

} // namespace
