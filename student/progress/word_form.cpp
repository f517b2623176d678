#include "student/progress/word_form.h"

#include "datafiles/settings.h"
#include "datafiles/word_list.h"
#include "student/shell/screen_kit.h"

#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>

namespace hc::student {

TWordForm::TWordForm(ProgramState& /*program*/, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WordForm"));
    setUpWindow(*this, QStringLiteral("Word List"), QSize(225, 292), WindowKind::FixedNoButtons);
    setModal(true);
    setFont(systemFont());

    // No scroll bars: a long list is read with the keyboard inside the box.
    m_wordList = place(new QPlainTextEdit(this), "WordList", QRect(0, 0, 225, 255),
                       QStringLiteral("Word List"));
    m_wordList->setReadOnly(true);
    m_wordList->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_wordList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_wordList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_wordList->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* bar = place(new QFrame(this), "Panel1", QRect(0, 255, 225, 37));
    auto* ok = place(new QPushButton(QStringLiteral("OK"), bar), "OkBtn", QRect(144, 8, 75, 25));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TWordForm::FormCreate() {
    const hc::WordListLoad list = hc::loadWordList(hc::textOf(Settings.WordFile));
    if (!list.opened) {
        return;
    }
    QStringList lines;
    for (const std::string& line : list.text) {
        lines << QString::fromStdString(line);
    }
    m_wordList->setPlainText(lines.join(QLatin1Char('\n')));
    m_wordList->moveCursor(QTextCursor::Start);
}

} // namespace hc::student
