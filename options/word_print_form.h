#pragma once

#include <QStringList>
#include <QWidget>

class QPlainTextEdit;

namespace hc {

// The hidden form the word list is printed from: the memo's lines as they stand, wrapped at
// the width of a white 484 x 594 form, scaled to the page.
//
// A list longer than the form prints on as many pages as it needs, each the form with the next
// lines; a line that wraps may go on over a page break. Each page is drawn by the form itself,
// so its text prints as text. A dialog shows the progress of a long list and lets the teacher
// cancel it. The form is laid out but never on the screen.
class TWordPrintForm : public QWidget {
public:
    static constexpr const char* kJobTitle = "Honeycombwordsmiths Word List";
    static constexpr const char* kPdfFileName = "Honeycombwordsmiths Word List.pdf";

    explicit TWordPrintForm(QWidget* parent = nullptr);

    // Takes over the lines, as they stand.
    void takeOver(const QStringList& lines);
    // How many pages the lines take: at least one.
    int pageCount() const { return static_cast<int>(m_pages.size()); }
    // Shows one page (from 0) in the form's memo.
    void showPage(int page);
    // The text of one page: its lines as wrapped on the form, '\n' between them.
    QString pageText(int page) const;

    // Prints `lines` (see printOrSavePdf(); `dialogParent` owns a PDF save dialog). False when
    // the user cancelled that dialog.
    bool print(const QStringList& lines, QWidget* dialogParent);

private:
    QPlainTextEdit* m_wordEdit = nullptr;
    // Each page: the lines of the wrapped text that fit the form.
    std::vector<QStringList> m_pages;
};

} // namespace hc
