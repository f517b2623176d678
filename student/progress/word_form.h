#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace hc::student {

class ProgramState;

// The words of the current spelling list, one a line, as the teacher's word list file holds
// them. Read once when the view is created; never written.
class TWordForm : public QDialog {
    Q_OBJECT

public:
    explicit TWordForm(ProgramState& program, QWidget* parent = nullptr);

    // Loads the word list file; a file that cannot be opened gives an empty view, no message.
    void FormCreate();
    void FormDestroy() {}

    QPlainTextEdit& wordList() const { return *m_wordList; }

private:
    QPlainTextEdit* m_wordList = nullptr;
};

} // namespace hc::student
