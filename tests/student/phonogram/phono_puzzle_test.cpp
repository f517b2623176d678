// The puzzle's rules with a fixed random source: the deal, asking, right and wrong clicks, the
// counts and the result in the user file, and the puzzle numbers of a run.

#include "datafiles/settings.h"
#include "datafiles/user_file.h"
#include "student/phonogram/phono_puzzle.h"
#include "temp_dir.h"

#include <set>

namespace hc::test {
namespace {

using hc::student::LibraryRandom;
using hc::student::PhonoPuzzle;
using hc::student::RandomSource;
using Answer = PhonoPuzzle::Answer;

// Gives its values in turn, over and over, and records the seeds it is given.
class ScriptedRandom final : public RandomSource {
public:
    explicit ScriptedRandom(std::vector<int> values) : m_values(std::move(values)) {}
    void seed(std::uint32_t seed) override { seeds.push_back(seed); }
    int next() override { return m_values[m_next++ % m_values.size()]; }

    std::vector<std::uint32_t> seeds;

private:
    std::vector<int> m_values;
    std::size_t m_next = 0;
};

class PhonoPuzzleTest : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        Settings = hc::defaultSettings();
        ASSERT_EQ(UserFileAdd("USERS.ERF", "Ann"), UserFileOk);
    }

    // A puzzle over a table of 70 distinct texts, 8 puzzles.
    static void fill(PhonoPuzzle& puzzle) {
        for (int i = 0; i < hc::student::kPhonogramCount; ++i) {
            puzzle.phonograms()[static_cast<std::size_t>(i)].Text = "t" + std::to_string(i);
        }
        puzzle.setPuzzleCount(8);
    }

    // Plays a dealt puzzle to its end: the first `wrong` questions get a wrong click on a card
    // without a piece first. Every question is checked to ask a card whose piece is still to
    // come. Returns the cards asked.
    static std::set<int> play(PhonoPuzzle& puzzle, int wrong) {
        std::set<int> asked;
        while (puzzle.ask()) {
            const int card = puzzle.askedCard();
            asked.insert(card);
            EXPECT_LT(puzzle.card(card).piece, PhonoPuzzle::kPieces);
            EXPECT_EQ(puzzle.currentQuestion(), puzzle.card(card).phonogram);
            if (wrong > 0) {
                --wrong;
                const int empty = puzzle.cardWithPiece(PhonoPuzzle::kNoPiece);
                EXPECT_EQ(puzzle.answer(empty).answer, Answer::Wrong);
                EXPECT_EQ(puzzle.currentQuestion(), puzzle.card(card).phonogram)
                    << "a wrong click leaves the question open";
                continue; // the next question is asked after the flashing
            }
            const int piece = puzzle.card(card).piece;
            const PhonoPuzzle::Click click = puzzle.answer(card);
            EXPECT_EQ(click.answer, Answer::Right);
            EXPECT_EQ(click.piece, piece);
            EXPECT_EQ(puzzle.card(card).piece, PhonoPuzzle::kInPicture);
            EXPECT_EQ(puzzle.currentQuestion(), -1);
        }
        return asked;
    }

    static UserRecord record() {
        EXPECT_EQ(UserFileFind("USERS.ERF", "Ann"), UserFileOk);
        return CurrentUser;
    }

    int m_puzzleNumber = -1;
};

TEST_F(PhonoPuzzleTest, ADealLaysDifferentPhonogramsAndHidesEachPieceBehindOneCard) {
    // The real generator over many seeds: every deal keeps the rules.
    for (std::time_t seed = 0; seed < 300; ++seed) {
        SCOPED_TRACE(seed);
        LibraryRandom random;
        PhonoPuzzle puzzle(
            random, [seed] { return seed * 7919; }, m_puzzleNumber);
        fill(puzzle);
        puzzle.deal();
        std::set<int> phonograms;
        std::vector<int> pieces(PhonoPuzzle::kPieces, 0);
        int empty = 0;
        for (int n = 0; n < PhonoPuzzle::kCards; ++n) {
            const auto& card = puzzle.card(n);
            ASSERT_GE(card.phonogram, 0);
            ASSERT_LT(card.phonogram, hc::student::kPhonogramCount);
            phonograms.insert(card.phonogram);
            EXPECT_TRUE(puzzle.phonograms()[static_cast<std::size_t>(card.phonogram)].Used);
            if (card.piece == PhonoPuzzle::kNoPiece) {
                ++empty;
            } else {
                ASSERT_LT(card.piece, PhonoPuzzle::kPieces);
                ++pieces[static_cast<std::size_t>(card.piece)];
            }
        }
        EXPECT_EQ(phonograms.size(), 32u);
        EXPECT_EQ(empty, 16);
        EXPECT_EQ(pieces, std::vector<int>(PhonoPuzzle::kPieces, 1));
        int used = 0;
        for (const auto& phonogram : puzzle.phonograms()) {
            used += phonogram.Used ? 1 : 0;
        }
        EXPECT_EQ(used, 32) << "only the dealt phonograms are marked";
    }
}

TEST_F(PhonoPuzzleTest, APuzzleSolvedWithoutAWrongClickStores101) {
    LibraryRandom random;
    PhonoPuzzle puzzle(
        random, [] { return std::time_t{1700000000}; }, m_puzzleNumber);
    fill(puzzle);
    puzzle.deal();
    const std::set<int> asked = play(puzzle, 0);
    // Each of the 16 piece cards was asked once; the 16 others never.
    EXPECT_EQ(asked.size(), 16u);
    EXPECT_EQ(puzzle.total(), 16);
    EXPECT_EQ(puzzle.correct(), 16);
    EXPECT_EQ(puzzle.percent(), 100);
    for (int n = 0; n < PhonoPuzzle::kCards; ++n) {
        EXPECT_EQ(puzzle.card(n).piece == PhonoPuzzle::kInPicture, asked.count(n) == 1);
    }
    ASSERT_EQ(puzzle.storeResult("USERS.ERF", "ann"), UserFileOk);
    const UserRecord stored = record();
    EXPECT_EQ(stored.PhonoScores[9], 101);
    EXPECT_EQ(stored.PhonoScores[8], 0);
    EXPECT_FLOAT_EQ(stored.PhonoAverage, 100.0f);
}

TEST_F(PhonoPuzzleTest, WrongClicksLowerTheTruncatedPercentage) {
    struct Row {
        int wrong;
        int percent; // shown
        int stored;  // kept in the user file
    };
    // 16 / 19 = 84.2 truncated; 16 / 20 = 80 exactly; 16 / 31 = 51.6 truncated, not rounded.
    const std::vector<Row> rows = {{3, 84, 85}, {4, 80, 81}, {15, 51, 52}};
    ScriptedRandom random({5, 11, 2});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.wrong);
        PhonoPuzzle puzzle(
            random, [] { return std::time_t{42}; }, m_puzzleNumber);
        fill(puzzle);
        puzzle.deal();
        play(puzzle, row.wrong);
        EXPECT_EQ(puzzle.total(), 16 + row.wrong);
        EXPECT_EQ(puzzle.correct(), 16);
        EXPECT_EQ(puzzle.percent(), row.percent);
        ASSERT_EQ(puzzle.storeResult("USERS.ERF", "Ann"), UserFileOk);
        EXPECT_EQ(record().PhonoScores[9], row.stored);
    }
    const UserRecord stored = record();
    EXPECT_EQ(stored.PhonoScores[7], 85);
    EXPECT_EQ(stored.PhonoScores[8], 81);
}

TEST_F(PhonoPuzzleTest, ACardAlreadyInThePictureCountsWrong) {
    ScriptedRandom random({0});
    PhonoPuzzle puzzle(
        random, [] { return std::time_t{0}; }, m_puzzleNumber);
    fill(puzzle);
    puzzle.deal();
    ASSERT_TRUE(puzzle.ask());
    const int first = puzzle.askedCard();
    ASSERT_EQ(puzzle.answer(first).answer, Answer::Right);
    ASSERT_TRUE(puzzle.ask());
    ASSERT_NE(puzzle.askedCard(), first);
    const int question = puzzle.currentQuestion();
    EXPECT_EQ(puzzle.answer(first).answer, Answer::Wrong);
    EXPECT_EQ(puzzle.card(first).piece, PhonoPuzzle::kInPicture);
    EXPECT_EQ(puzzle.currentQuestion(), question);
    EXPECT_EQ(puzzle.total(), 2);
    EXPECT_EQ(puzzle.correct(), 1);
    EXPECT_EQ(puzzle.percent(), 50);
}

TEST_F(PhonoPuzzleTest, ClicksWithNoOpenQuestionChangeNothing) {
    ScriptedRandom random({3});
    PhonoPuzzle puzzle(
        random, [] { return std::time_t{0}; }, m_puzzleNumber);
    fill(puzzle);
    auto ignoredEverywhere = [&](const char* when) {
        SCOPED_TRACE(when);
        const int total = puzzle.total();
        for (int n = 0; n < PhonoPuzzle::kCards; ++n) {
            const int piece = puzzle.card(n).piece;
            EXPECT_EQ(puzzle.answer(n).answer, Answer::Ignored);
            EXPECT_EQ(puzzle.card(n).piece, piece);
        }
        EXPECT_EQ(puzzle.total(), total);
    };
    ignoredEverywhere("before the first deal");
    puzzle.deal();
    ignoredEverywhere("dealt, before the first question");
    ASSERT_TRUE(puzzle.ask());
    ASSERT_EQ(puzzle.answer(puzzle.askedCard()).answer, Answer::Right);
    ignoredEverywhere("while the card lands");
    play(puzzle, 0);
    ignoredEverywhere("after the puzzle is finished");
    EXPECT_EQ(puzzle.total(), 16);
}

TEST_F(PhonoPuzzleTest, PuzzleNumbersStartFromTheClockAndWrapOverDealsAndOpenings) {
    ScriptedRandom random({13});
    {
        PhonoPuzzle opening(
            random, [] { return std::time_t{1234}; }, m_puzzleNumber);
        fill(opening); // 8 puzzles
        opening.deal();
        EXPECT_EQ(opening.puzzle(), 13 % 8);
        ASSERT_FALSE(random.seeds.empty());
        EXPECT_EQ(random.seeds.front(), 1234u) << "the first puzzle comes from the clock";
        opening.deal();
        EXPECT_EQ(opening.puzzle(), 6);
        opening.deal();
        EXPECT_EQ(opening.puzzle(), 7);
    }
    // Leaving and opening the screen again goes on with the next number and wraps.
    PhonoPuzzle reopened(
        random, [] { return std::time_t{99}; }, m_puzzleNumber);
    fill(reopened);
    reopened.deal();
    EXPECT_EQ(reopened.puzzle(), 0);
    reopened.deal();
    EXPECT_EQ(reopened.puzzle(), 1);
    EXPECT_EQ(m_puzzleNumber, 1);

    // Without puzzles every deal takes puzzle 0 (its missing pieces are then reported when
    // the screen extracts them).
    reopened.setPuzzleCount(0);
    reopened.deal();
    EXPECT_EQ(reopened.puzzle(), 0);
    reopened.deal();
    EXPECT_EQ(reopened.puzzle(), 0);
}

} // namespace
} // namespace hc::test
