#include "options/word_print_form.h"

#include "options/form_support.h"

#include "platform/desktop/print_job.h"
#include "platform/desktop/printing.h"

#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace hc {

namespace {

constexpr QSize kClientSize(484, 594);

} // namespace

TWordPrintForm::TWordPrintForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setUpPrintPage(*this, "WordPrintForm", "Word List", kClientSize);

    m_wordEdit = new QPlainTextEdit(this);
    m_wordEdit->setObjectName("WordEdit");
    m_wordEdit->setGeometry(QRect(QPoint(0, 0), kClientSize));
    m_wordEdit->setFrameShape(QFrame::NoFrame);
    m_wordEdit->setReadOnly(true);
    m_wordEdit->setFocusPolicy(Qt::NoFocus);
    m_wordEdit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_wordEdit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_wordEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_wordEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    // Laid out and painted like a shown window, but never mapped on the screen.
    setAttribute(Qt::WA_DontShowOnScreen);
    show();
    m_pages.emplace_back();
}

void TWordPrintForm::takeOver(const QStringList& lines) {
    // The whole text laid out at the form's width gives the lines as they wrap; each page then
    // holds as many of them as fit, and shows them as lines of their own (each fits the width,
    // so none wraps again).
    m_wordEdit->setPlainText(lines.join(QLatin1Char('\n')));
    QTextDocument* document = m_wordEdit->document();
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(document->documentLayout());
    const qreal room = m_wordEdit->viewport()->height() - 2 * document->documentMargin();

    m_pages.clear();
    m_pages.emplace_back();
    qreal used = 0;
    if (!lines.isEmpty()) {
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            layout->ensureBlockLayout(block);
            const QTextLayout* blockLayout = block.layout();
            for (int i = 0; i < blockLayout->lineCount(); ++i) {
                const QTextLine line = blockLayout->lineAt(i);
                if (used + line.height() > room && !m_pages.back().isEmpty()) {
                    m_pages.emplace_back();
                    used = 0;
                }
                m_pages.back() << block.text().mid(line.textStart(), line.textLength());
                used += line.height();
            }
        }
    }
    showPage(0);
}

void TWordPrintForm::showPage(int page) {
    m_wordEdit->setPlainText(pageText(page));
    m_wordEdit->verticalScrollBar()->setValue(0);
}

QString TWordPrintForm::pageText(int page) const {
    if (page < 0 || page >= pageCount()) {
        return {};
    }
    return m_pages[static_cast<std::size_t>(page)].join(QLatin1Char('\n'));
}

bool TWordPrintForm::print(const QStringList& lines, QWidget* dialogParent) {
    takeOver(lines);
    return printOrSavePdf(dialogParent, kJobTitle, kPdfFileName,
                          [this, dialogParent](QPrinter& printer) {
                              PrintProgress progress(dialogParent, kJobTitle, pageCount());
                              PicturePages job(printer, kJobTitle);
                              for (int page = 0; page < pageCount(); ++page) {
                                  progress.page(page);
                                  showPage(page);
                                  job.add(*this);
                              }
                              job.finish();
                          });
}

} // namespace hc
