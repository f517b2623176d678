#include "student/spelltest/scored_test.h"

#include <stdexcept>

namespace hc::student {

ScoredTest::ScoredTest(std::vector<std::string> words, SameWord sameWord)
    : m_words(std::move(words)), m_sameWord(std::move(sameWord)) {}

void ScoredTest::start() {
    m_words.start();
    m_current = nullptr;
    m_total = 0;
    m_correct = 0;
    m_answered.clear();
}

const std::string& ScoredTest::takeNext() {
    m_current = &m_words.takeNext();
    return *m_current;
}

bool ScoredTest::judge(const std::string& answer) {
    if (m_current == nullptr) {
        throw std::logic_error("an answer before any word");
    }
    const bool right = m_sameWord(answer, *m_current);
    ++m_total;
    if (right) {
        ++m_correct;
    }
    m_answered.push_back({*m_current, answer, right});
    return right;
}

} // namespace hc::student
