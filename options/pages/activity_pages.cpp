#include "options/pages/activity_pages.h"

#include "options/form_rules.h"
#include "options/form_support.h"

#include "archive/error.h"
#include "datafiles/settings.h"
#include "platform/desktop/ui_kit.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace hc {

namespace {

// Spelling Test page.
constexpr QRect kWordDelayLabel(8, 12, 190, 22);
constexpr QRect kWordDelay(200, 12, 60, 22);
constexpr QRect kGreatJobLabel(8, 50, 370, 16);
constexpr QRect kGetPercentBtn(16, 72, 220, 22);
constexpr QRect kGetPercentBox(240, 72, 44, 22);
constexpr QRect kGetPercentSign(288, 72, 20, 22);
constexpr QRect kImprovePercentBtn(16, 100, 220, 22);
constexpr QRect kImprovePercentBox(240, 100, 44, 22);
constexpr QRect kImprovePercentSign(288, 100, 20, 22);
constexpr QRect kSpellWeightLabel(8, 144, 190, 22);
constexpr QRect kSpellWeight(200, 144, 60, 22);
// Phonogram Puzzle page.
constexpr QRect kPhonoWeightLabel(8, 12, 190, 22);
constexpr QRect kPhonoWeight(200, 12, 60, 22);

// A number field's value; raises `invalid`'s message when the field holds no such number.
template <typename T>
T numberIn(const QLineEdit& field, std::optional<T> (*parse)(std::string_view),
           std::string (*invalid)(std::string_view)) {
    const std::string text = field.text().toStdString();
    const std::optional<T> value = parse(text);
    if (!value) {
        throw Error(invalid(text));
    }
    return *value;
}

float readDecimal(const QLineEdit& field) {
    return numberIn(field, parseDecimalField, invalidFloatMessage);
}

int readWhole(const QLineEdit& field) {
    return numberIn(field, parseWholeField, invalidIntegerMessage);
}

} // namespace

// --- Spelling Test ----------------------------------------------------------------------------

SpellingTestPage::SpellingTestPage(Application& application) : OptionsPage(application) {
    setObjectName("SpellingTest");
    m_wordDelay = place(new QLineEdit(this), "WordDelay", kWordDelay);
    addLabel(this, "WordDelayLabel", "Number of seconds word visible:", kWordDelayLabel,
             m_wordDelay);
    place(new QLabel("Show a \"Great Job\" animation when...", this), "GreatJobLabel",
          kGreatJobLabel);

    m_getPercentBtn = place(new QRadioButton("the student scores at least", this), "GetPercentBtn",
                            kGetPercentBtn);
    m_getPercentBox = place(new QLineEdit(this), "GetPercentBox", kGetPercentBox,
                            "the student scores at least, percent");
    addLabel(this, "GetPercentSign", "%", kGetPercentSign, nullptr);

    m_improvePercentBtn = place(new QRadioButton("the student reduces their  errors by", this),
                                "ImprovePercentBtn", kImprovePercentBtn);
    m_improvePercentBox = place(new QLineEdit(this), "ImprovePercentBox", kImprovePercentBox,
                                "the student reduces their errors by, percent");
    addLabel(this, "ImprovePercentSign", "%", kImprovePercentSign, nullptr);
    auto* rule = new QButtonGroup(this);
    rule->addButton(m_getPercentBtn);
    rule->addButton(m_improvePercentBtn);
    pressOnEnter(*m_getPercentBtn);
    pressOnEnter(*m_improvePercentBtn);
    m_getPercentBtn->setChecked(true);

    m_spellWeight = place(new QLineEdit(this), "SpellWeight", kSpellWeight);
    addLabel(this, "SpellWeightLabel", "Weight:", kSpellWeightLabel, m_spellWeight);
    setTabOrder(m_wordDelay, m_getPercentBtn);
    setTabOrder(m_getPercentBtn, m_getPercentBox);
    setTabOrder(m_getPercentBox, m_improvePercentBtn);
    setTabOrder(m_improvePercentBtn, m_improvePercentBox);
    setTabOrder(m_improvePercentBox, m_spellWeight);
}

void SpellingTestPage::fill(const SettingsRecord& settings) {
    m_wordDelay->setText(twoDecimals(settings.WordDelay));
    m_spellWeight->setText(twoDecimals(settings.SpellWeight));
    m_getPercentBox->setText(QString::number(settings.GetPercent));
    m_improvePercentBox->setText(QString::number(settings.ImprovePercent));
    (settings.ImproveMode != 0 ? m_improvePercentBtn : m_getPercentBtn)->setChecked(true);
}

void SpellingTestPage::read(TestValues& values) const {
    values.wordDelay = readDecimal(*m_wordDelay);
    values.getPercent = readWhole(*m_getPercentBox);
    values.improvePercent = readWhole(*m_improvePercentBox);
    values.spellWeight = readDecimal(*m_spellWeight);
}

void SpellingTestPage::write(SettingsRecord& settings) const {
    TestValues values;
    read(values);
    settings.WordDelay = values.wordDelay;
    settings.GetPercent = values.getPercent;
    settings.ImprovePercent = values.improvePercent;
    settings.ImproveMode = m_improvePercentBtn->isChecked() ? 1 : 0;
    settings.SpellWeight = values.spellWeight;
}

// --- Phonogram Puzzle -------------------------------------------------------------------------

PhonogramPuzzlePage::PhonogramPuzzlePage(Application& application) : OptionsPage(application) {
    setObjectName("PhonogramPuzzle");
    m_phonoWeight = place(new QLineEdit(this), "PhonoWeight", kPhonoWeight);
    addLabel(this, "PhonoWeightLabel", "Weight:", kPhonoWeightLabel, m_phonoWeight);
}

void PhonogramPuzzlePage::fill(const SettingsRecord& settings) {
    m_phonoWeight->setText(twoDecimals(settings.PhonoWeight));
}

void PhonogramPuzzlePage::read(TestValues& values) const {
    values.phonoWeight = readDecimal(*m_phonoWeight);
}

void PhonogramPuzzlePage::write(SettingsRecord& settings) const {
    TestValues values;
    read(values);
    settings.PhonoWeight = values.phonoWeight;
}

} // namespace hc
