#pragma once

#include "datafiles/history.h"
#include "student/spelltest/test_rules.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace hc::student {

// One spelling test's score, free of any user interface: the words of the screen, the word on
// the card, the judgement of each answer, the counts and the percentage. The screen's counters
// only show what it says; the child's record and history take their result from it.
class ScoredTest {
public:
    // Whether an answer is the word. The screen gives the locale-aware comparison with letter
    // case ignored; nothing is trimmed, so a space too many is a wrong answer.
    using SameWord = std::function<bool(const std::string& answer, const std::string& word)>;

    ScoredTest() = default;
    ScoredTest(std::vector<std::string> words, SameWord sameWord);

    const TestWords& words() const { return m_words; }
    bool empty() const { return m_words.empty(); }
    void clear() { *this = ScoredTest(); }

    // A new test: the first word is next, nothing is counted and no answer is kept.
    void start();
    bool hasNext() const { return m_words.hasNext(); }
    // The next word, which the next answer is judged against. Only while hasNext().
    const std::string& takeNext();
    std::size_t index() const { return m_words.index(); }

    // Judges `answer` against the word last taken, counts it and keeps it for the history;
    // true when it is right. Only after takeNext().
    bool judge(const std::string& answer);

    std::uint32_t total() const { return m_total; }
    std::uint32_t correct() const { return m_correct; }
    // The truncated percentage of right answers (0 before the first answer).
    int percent() const { return percentOf(m_correct, m_total); }
    // This test's words as answered, in order.
    const std::vector<hc::AnsweredWord>& answered() const { return m_answered; }

private:
    TestWords m_words;
    SameWord m_sameWord;
    const std::string* m_current = nullptr;
    std::uint32_t m_total = 0;
    std::uint32_t m_correct = 0;
    std::vector<hc::AnsweredWord> m_answered;
};

} // namespace hc::student
