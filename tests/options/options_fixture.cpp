#include "options_fixture.h"

#include "test_application.h"

#include "platform/desktop/print_job.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace hc::test {

hc::MessageAnswer ScriptedPresenter::present(const hc::MessageRequest& request) {
    m_log.push_back(request);
    if (m_answers.empty()) {
        return request.defaultAnswer;
    }
    const hc::MessageAnswer next = m_answers.front();
    m_answers.pop_front();
    return next;
}

void OptionsTest::SetUp() {
    TempDirTest::SetUp();
    Settings = SettingsRecord{};
    hc::setStartDirectory(dir().string());
    application().setTitle("Honeycombsettings");
    application().setMessageBoxPresenter(std::make_unique<ScriptedPresenter>(m_boxes, m_answers));
    hc::setPrinterQuery([] { return hc::InstalledPrinters{}; });
    hc::setPdfSaveDialog([this](QWidget*, const QString& suggested) {
        ++m_pdfDialogs;
        m_suggestedPdf = suggested;
        return m_pdfPath;
    });
}

void OptionsTest::TearDown() {
    m_program.reset();
    hc::setPdfSaveDialog(nullptr);
    hc::setPrinterQuery(nullptr);
    application().setMessageBoxPresenter(nullptr);
    EXPECT_TRUE(m_answers.empty()) << m_answers.size() << " scripted answers were not asked for";
    TempDirTest::TearDown();
}

SettingsRecord OptionsTest::defaultsWith(const std::string& password) {
    SettingsRecord settings = hc::defaultSettings();
    hc::setPassword(settings, password);
    return settings;
}

void OptionsTest::writeOptions(const std::string& password) {
    writeOptions(defaultsWith(password));
}

void OptionsTest::writeOptions(const SettingsRecord& settings) {
    writeFile(path("OPTIONS.DAT"), hc::settingsFileBytes(settings));
}

SettingsRecord OptionsTest::savedOptions() {
    SettingsRecord saved{};
    EXPECT_EQ(hc::parseSettings(readFile(path("OPTIONS.DAT")), saved), OptionsFileOk);
    return saved;
}

hc::OptionsProgram& OptionsTest::startProgram() {
    m_program = std::make_unique<hc::OptionsProgram>(application());
    m_program->start();
    return *m_program;
}

void OptionsTest::answer(std::initializer_list<hc::MessageAnswer> answers) {
    m_answers.insert(m_answers.end(), answers.begin(), answers.end());
}

void OptionsTest::pressKey(QWidget& widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &release);
}

void OptionsTest::click(QAbstractButton& button) {
    button.click();
}

} // namespace hc::test
