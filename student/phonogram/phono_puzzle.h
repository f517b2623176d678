#pragma once

// The rules of the phonogram puzzle, without widgets: dealing the cards, asking, judging the
// clicks, counting, and storing the result. The screen (TPhonoForm) shows what happens here.

#include "datafiles/user_file.h"
#include "student/phonogram/phonogram_data.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string_view>

namespace hc::student {

// The random numbers of the puzzle: values 0 to 32767 from a generator that the puzzle seeds
// with the calendar time in whole seconds before every deal and every question.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void seed(std::uint32_t seed) = 0;
    // The next value, 0 to 32767.
    virtual int next() = 0;
};

// The C library's classic generator (a linear congruential generator, the upper 15 bits of the
// state), the same numbers on every platform.
class LibraryRandom final : public RandomSource {
public:
    void seed(std::uint32_t seed) override { m_state = seed; }
    int next() override {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFFu);
    }

private:
    std::uint32_t m_state = 1;
};

// One puzzle screen's game. A deal lays 32 different phonograms of the table on the 32 cards
// and hides the 16 pieces of the picture behind 16 different cards. Each question is the
// phonogram of a card whose piece is not yet in the picture; a click on that card is right and
// puts its piece in the picture, a click on any other card (one already in the picture
// included) is wrong and leaves the question open. Once every piece is in the picture, the
// puzzle is finished and its result is the truncated per cent of right clicks.
//
// Every choice is a value of the random source modulo the number of candidates left, so no
// draw is ever repeated and a deal always ends.
class PhonoPuzzle {
public:
    static constexpr int kCards = 32;
    static constexpr int kPieces = 16;
    // A card's piece: 0 to 15 the piece behind it, or one of these.
    static constexpr int kNoPiece = 255;
    static constexpr int kInPicture = 254;

    struct Card {
        int phonogram = -1; // index into the table; -1 before the first deal
        int piece = kNoPiece;
    };

    enum class Answer {
        Ignored, // no question was open: nothing changed
        Right,   // the asked card; its piece went into the picture, the question is closed
        Wrong,   // any other card; the question stays open
    };
    struct Click {
        Answer answer = Answer::Ignored;
        int piece = kNoPiece; // Right: the piece that went into the picture
    };

    // `puzzleNumber` is the run's puzzle shown last (-1 before the first deal of the run); it
    // must outlive the puzzle. `calendarTime` gives the seeds.
    PhonoPuzzle(RandomSource& random, std::function<std::time_t()> calendarTime, int& puzzleNumber);

    // The phonogram table the cards are dealt from (loaded by the screen).
    PhonogramTable& phonograms() { return m_phonograms; }
    const PhonogramTable& phonograms() const { return m_phonograms; }
    // The number of puzzles in the archive.
    void setPuzzleCount(int count) { m_puzzleCount = count; }
    int puzzleCount() const { return m_puzzleCount; }

    // A new deal: counts to 0, no question; the next puzzle (the first of a run chosen at
    // random, then each following one, wrapping to 0 after the last; 0 when there are none);
    // 32 different phonograms on the cards; the 16 pieces behind 16 different cards.
    void deal();
    // The puzzle of the current deal.
    int puzzle() const { return m_puzzleNumber; }
    const Card& card(int n) const { return m_cards.at(static_cast<std::size_t>(n)); }
    // The card hiding piece `piece` in this deal, or -1 once it is in the picture.
    int cardWithPiece(int piece) const;

    // Asks the next question: a phonogram whose card still hides its piece. False, with no
    // question open, when every piece is in the picture: the puzzle is finished.
    bool ask();
    // A click on card `n`.
    Click answer(int n);
    // The phonogram (index into the table) asked and not yet answered right, or -1.
    int currentQuestion() const { return m_question; }
    // The card that carries the question last asked, or -1.
    int askedCard() const { return m_askedCard; }
    void clearQuestion() { m_question = -1; }

    int total() const { return m_total; }
    int correct() const { return m_correct; }
    // Correct x 100 / Total, truncated; 0 before the first click.
    int percent() const;

    // Records the finished puzzle's result for user `name` of the user file at `path` (as the
    // settings store it); the file keeps per cent + 1.
    UserFileResult storeResult(std::string_view path, std::string_view name) const;

private:
    void seedFromClock();
    // A value of the random source below `count` (which must be above 0).
    int draw(int count);

    RandomSource& m_random;
    std::function<std::time_t()> m_calendarTime;
    int& m_puzzleNumber;
    int m_puzzleCount = 0;
    PhonogramTable m_phonograms{};
    std::array<Card, kCards> m_cards{};
    int m_question = -1;
    int m_askedCard = -1;
    int m_total = 0;
    int m_correct = 0;
};

} // namespace hc::student
