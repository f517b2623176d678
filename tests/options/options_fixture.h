#pragma once

// The options program in process: real files in the test's own folder, message boxes answered
// by script, no printer (printing goes to a PDF chosen without a dialog).

#include "options/opt_form.h"
#include "options/options_program.h"

#include "datafiles/settings.h"
#include "platform/desktop/message_box.h"
#include "temp_dir.h"

#include <QString>

#include <deque>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QWidget;

namespace hc::test {

// Records every message box and answers with the next scripted answer, or with the box's
// default button (as Enter would) when none is left.
class ScriptedPresenter final : public hc::MessageBoxPresenter {
public:
    ScriptedPresenter(std::vector<hc::MessageRequest>& log, std::deque<hc::MessageAnswer>& answers)
        : m_log(log), m_answers(answers) {}
    hc::MessageAnswer present(const hc::MessageRequest& request) override;

private:
    std::vector<hc::MessageRequest>& m_log;
    std::deque<hc::MessageAnswer>& m_answers;
};

class OptionsTest : public TempDirTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // OPTIONS.DAT in the start directory: the defaults with `password`, changed by `change`.
    void writeOptions(const std::string& password = "");
    void writeOptions(const SettingsRecord& settings);
    // The defaults with a password.
    static SettingsRecord defaultsWith(const std::string& password);
    // Reads OPTIONS.DAT back; fails the test unless it loads.
    SettingsRecord savedOptions();

    // Makes the program's forms and starts it.
    hc::OptionsProgram& startProgram();
    hc::OptionsProgram& program() { return *m_program; }
    hc::TOptForm& form() { return m_program->optForm(); }

    template <typename T> T* widget(QWidget& root, const char* name) {
        T* found = root.template findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << "no control " << name;
        return found;
    }
    template <typename T> T* control(const char* name) { return widget<T>(form(), name); }

    // Answers for the next message boxes, in order.
    void answer(std::initializer_list<hc::MessageAnswer> answers);
    const std::vector<hc::MessageRequest>& boxes() const { return m_boxes; }
    void forgetBoxes() { m_boxes.clear(); }

    // A key press and release sent to `widget`, travelling to its parents as a real one does.
    static void pressKey(QWidget& widget, int key);
    // Clicks a button as the mouse does.
    static void click(QAbstractButton& button);

    // The path the PDF save dialog answers with (empty: Cancel), and what it was offered.
    QString m_pdfPath;
    QString m_suggestedPdf;
    int m_pdfDialogs = 0;

private:
    std::vector<hc::MessageRequest> m_boxes;
    std::deque<hc::MessageAnswer> m_answers;
    std::unique_ptr<hc::OptionsProgram> m_program;
};

} // namespace hc::test
