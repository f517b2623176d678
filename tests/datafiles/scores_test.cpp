#include "datafiles/user_file.h"

#include "datafiles/settings.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <tuple>

namespace hc::test {
namespace {

struct ScoreRow {
    const char* what;
    std::array<std::int32_t, 10> spell;
    std::array<std::int32_t, 10> phono;
    float spellWeight;
    float phonoWeight;
    float spellAverage; // expected; also the value before, for empty slots
    float phonoAverage;
    float score;
};

UserRecord recordWith(const ScoreRow& row, float oldSpell, float oldPhono) {
    UserRecord record = newUserRecord("Ann");
    std::memcpy(record.SpellScores, row.spell.data(), sizeof record.SpellScores);
    std::memcpy(record.PhonoScores, row.phono.data(), sizeof record.PhonoScores);
    record.SpellAverage = oldSpell;
    record.PhonoAverage = oldPhono;
    record.Score = -1.0f;
    return record;
}

TEST(ComputeScores, AveragesAndWeightedScore) {
    const std::vector<ScoreRow> rows = {
        {"80 percent spelling, no puzzle yet",
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 81},
         {},
         1,
         1,
         80,
         0,
         40},
        // A 0 percent result is stored as 1 and counts.
        {"0 and 100 percent", {0, 0, 0, 0, 0, 0, 0, 0, 1, 101}, {}, 1, 1, 50, 0, 25},
        {"weights 3 to 1",
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 91},
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 51},
         3,
         1,
         90,
         50,
         80},
        {"thirds round to the nearest float", {101, 101, 1}, {}, 1, 0, 66.666664f, 0, 66.666664f},
        {"ten results", {11, 21, 31, 41, 51, 61, 71, 81, 91, 101}, {}, 0, 1, 55, 0, 0},
        // Both weights zero: nothing counts, the score is 0 (not a division by zero).
        {"both weights zero", {0, 0, 0, 0, 0, 0, 0, 0, 0, 81}, {}, 0, 0, 80, 0, 0},
        {"weights that cancel", {0, 0, 0, 0, 0, 0, 0, 0, 0, 81}, {}, 1, -1, 80, 0, 0},
        // Regression: weights that were not numbers stored a score that was none for good.
        {"a weight not a number",
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 81},
         {},
         std::numeric_limits<float>::quiet_NaN(),
         1,
         80,
         0,
         0},
        {"infinite weights",
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 81},
         {},
         std::numeric_limits<float>::infinity(),
         std::numeric_limits<float>::infinity(),
         80,
         0,
         0},
    };
    for (const ScoreRow& row : rows) {
        SCOPED_TRACE(row.what);
        UserRecord record = recordWith(row, 0.0f, 0.0f);
        computeScores(record, row.spellWeight, row.phonoWeight);
        EXPECT_EQ(record.SpellAverage, row.spellAverage);
        EXPECT_EQ(record.PhonoAverage, row.phonoAverage);
        EXPECT_EQ(record.Score, row.score);
    }
}

TEST(ComputeScores, EmptySlotsKeepTheStoredAverage) {
    UserRecord record = newUserRecord("Ann");
    record.SpellAverage = 72.5f;
    record.PhonoAverage = 12.0f;
    record.PhonoScores[9] = 31;
    computeScores(record, 1.0f, 1.0f);
    EXPECT_EQ(record.SpellAverage, 72.5f);
    EXPECT_EQ(record.PhonoAverage, 30.0f);
    EXPECT_EQ(record.Score, 51.25f);

    // An average that is no number (a damaged record) is not kept: it becomes 0.
    record.SpellAverage = std::numeric_limits<float>::quiet_NaN();
    record.PhonoAverage = std::numeric_limits<float>::infinity();
    record.PhonoScores[9] = 0;
    computeScores(record, 1.0f, 1.0f);
    EXPECT_EQ(record.SpellAverage, 0.0f);
    EXPECT_EQ(record.PhonoAverage, 0.0f);
    EXPECT_EQ(record.Score, 0.0f);
}

// Regression: the login list showed a score that was no number as "-9223372036854775808".
TEST(ComputeScores, EveryStoredScoreShowsAsANumber) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    constexpr float kMax = std::numeric_limits<float>::max();
    const std::vector<std::tuple<float, float, long long>> rows = {
        {43.5f, 43.5f, 43},
        {-0.5f, -0.5f, 0},
        {std::numeric_limits<float>::quiet_NaN(), 0.0f, 0},
        {kInf, kMax, 9223372036854774784LL},
        {-kInf, -kMax, -9223372036854774784LL},
        {1e30f, 1e30f, 9223372036854774784LL},
    };
    for (const auto& [stored, shown, whole] : rows) {
        SCOPED_TRACE(stored);
        EXPECT_EQ(shownScore(stored), shown);
        EXPECT_EQ(wholeScore(stored), whole);
    }
}

TEST(ComputeScores, ExtendedPrecisionIntermediates) {
    // A case where the score in double precision rounds to the neighbouring float
    // (0x43F87695); with 64-bit mantissas it is 0x43F87694. The slots are a hand-made file's.
    UserRecord record = newUserRecord("Ann");
    record.SpellScores[9] = 511;                                            // average 510
    const std::array<std::int32_t, 7> phono = {80, 80, 80, 80, 80, 80, 77}; // 550 / 7
    std::copy(phono.begin(), phono.end(), record.PhonoScores);
    computeScores(record, 7.68f, 0.24f);
    std::uint32_t bits = 0;
    std::memcpy(&bits, &record.Score, sizeof bits);
    EXPECT_EQ(bits, 0x43F87694u);
}

TEST(ComputeScores, TheGlobalOneUsesTheSettingsWeights) {
    CurrentUser = newUserRecord("Ann");
    CurrentUser.SpellScores[9] = 81;
    Settings = defaultSettings();
    Settings.SpellWeight = 1.0f;
    Settings.PhonoWeight = 3.0f;
    ComputeScores();
    EXPECT_EQ(CurrentUser.Score, 20.0f);
}

TEST(RecordSlots, TenResultsFillTheSlotsAndTheEleventhDropsTheFirst) {
    UserRecord record = newUserRecord("Ann");
    for (int percent = 0; percent < 10; ++percent) {
        shiftInResult(record, Activity::Phonogram, percent * 10);
    }
    const std::array<std::int32_t, 10> full = {1, 11, 21, 31, 41, 51, 61, 71, 81, 91};
    EXPECT_TRUE(std::equal(full.begin(), full.end(), record.PhonoScores));
    shiftInResult(record, Activity::Phonogram, 100);
    const std::array<std::int32_t, 10> shifted = {11, 21, 31, 41, 51, 61, 71, 81, 91, 101};
    EXPECT_TRUE(std::equal(shifted.begin(), shifted.end(), record.PhonoScores));
    // The other activity is untouched.
    EXPECT_TRUE(std::all_of(std::begin(record.SpellScores), std::end(record.SpellScores),
                            [](std::int32_t slot) { return slot == 0; }));
}

} // namespace
} // namespace hc::test
