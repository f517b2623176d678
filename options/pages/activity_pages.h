#pragma once

#include "options/pages/options_page.h"

class QLineEdit;
class QRadioButton;

namespace hc {

struct TestValues;

// The Spelling Test page: how long a word is visible, when the "Great Job" animation shows
// (a score reached, or the errors reduced by a percentage) and the test's weight in the score.
//
// Its values and the Phonogram Puzzle page's are judged together on Exit (the two weights
// cannot both be 0): each page reads its fields into TestValues, the form judges them.
class SpellingTestPage : public OptionsPage {
public:
    explicit SpellingTestPage(Application& application);

    void fill(const SettingsRecord& settings) override;
    void write(SettingsRecord& settings) const override;
    // Reads the page's numbers into `values`; raises the field's message when one is not a
    // number.
    void read(TestValues& values) const;

private:
    QLineEdit* m_wordDelay = nullptr;
    QRadioButton* m_getPercentBtn = nullptr;
    QRadioButton* m_improvePercentBtn = nullptr;
    QLineEdit* m_getPercentBox = nullptr;
    QLineEdit* m_improvePercentBox = nullptr;
    QLineEdit* m_spellWeight = nullptr;
};

// The Phonogram Puzzle page: the puzzle's weight in the score.
class PhonogramPuzzlePage : public OptionsPage {
public:
    explicit PhonogramPuzzlePage(Application& application);

    void fill(const SettingsRecord& settings) override;
    void write(SettingsRecord& settings) const override;
    // Reads the weight into `values`; raises its message when it is not a number.
    void read(TestValues& values) const;

private:
    QLineEdit* m_phonoWeight = nullptr;
};

} // namespace hc
