#include "student/phonogram/phono_puzzle.h"

#include <utility>
#include <vector>

namespace hc::student {

PhonoPuzzle::PhonoPuzzle(RandomSource& random, std::function<std::time_t()> calendarTime,
                         int& puzzleNumber)
    : m_random(random), m_calendarTime(std::move(calendarTime)), m_puzzleNumber(puzzleNumber) {}

void PhonoPuzzle::seedFromClock() {
    m_random.seed(static_cast<std::uint32_t>(m_calendarTime()));
}

int PhonoPuzzle::draw(int count) {
    return m_random.next() % count;
}

void PhonoPuzzle::deal() {
    m_total = 0;
    m_correct = 0;
    m_question = -1;
    m_askedCard = -1;

    if (m_puzzleCount <= 0) {
        m_puzzleNumber = 0;
    } else if (m_puzzleNumber < 0) {
        seedFromClock();
        m_puzzleNumber = draw(m_puzzleCount);
    } else {
        m_puzzleNumber = m_puzzleNumber + 1 >= m_puzzleCount ? 0 : m_puzzleNumber + 1;
    }

    seedFromClock();
    for (Phonogram& phonogram : m_phonograms) {
        phonogram.Used = false;
    }
    for (Card& card : m_cards) {
        card.piece = kNoPiece;
        // The k-th phonogram not yet on a card of this deal.
        int k = draw(kPhonogramCount - static_cast<int>(&card - m_cards.data()));
        for (int i = 0; i < kPhonogramCount; ++i) {
            if (!m_phonograms[i].Used && k-- == 0) {
                card.phonogram = i;
                m_phonograms[i].Used = true;
                break;
            }
        }
    }
    for (int piece = 0; piece < kPieces; ++piece) {
        // The k-th card that hides no piece yet.
        int k = draw(kCards - piece);
        for (Card& card : m_cards) {
            if (card.piece == kNoPiece && k-- == 0) {
                card.piece = piece;
                break;
            }
        }
    }
}

int PhonoPuzzle::cardWithPiece(int piece) const {
    for (int n = 0; n < kCards; ++n) {
        if (m_cards[static_cast<std::size_t>(n)].piece == piece) {
            return n;
        }
    }
    return -1;
}

bool PhonoPuzzle::ask() {
    seedFromClock();
    std::vector<int> waiting; // cards whose piece is not yet in the picture
    for (int n = 0; n < kCards; ++n) {
        if (m_cards[static_cast<std::size_t>(n)].piece < kPieces) {
            waiting.push_back(n);
        }
    }
    if (waiting.empty()) {
        m_question = -1;
        return false;
    }
    m_askedCard = waiting[static_cast<std::size_t>(draw(static_cast<int>(waiting.size())))];
    m_question = m_cards[static_cast<std::size_t>(m_askedCard)].phonogram;
    return true;
}

PhonoPuzzle::Click PhonoPuzzle::answer(int n) {
    if (m_question < 0 || n < 0 || n >= kCards) {
        return {};
    }
    Card& card = m_cards[static_cast<std::size_t>(n)];
    ++m_total;
    if (card.phonogram != m_question || card.piece >= kPieces) {
        return {Answer::Wrong, kNoPiece};
    }
    ++m_correct;
    m_question = -1;
    const int piece = card.piece;
    card.piece = kInPicture;
    return {Answer::Right, piece};
}

int PhonoPuzzle::percent() const {
    return m_total == 0 ? 0 : m_correct * 100 / m_total;
}

UserFileResult PhonoPuzzle::storeResult(std::string_view path, std::string_view name) const {
    return hc::recordResult(path, name, hc::Activity::Phonogram, percent());
}

} // namespace hc::student
