#pragma once

#include <QStringList>
#include <QWidget>

#include <vector>

class QTreeWidget;

namespace hc {

// The hidden form the user list is printed from: a copy of the Users page's list (its column
// headings and widths, then its rows in the page's order) on a white 492 x 621 form, scaled to
// the page.
//
// A list longer than the form prints on as many pages as it needs, each the form with the
// column headings and the next rows. Each page is drawn by the form itself, so its text prints
// as text: ten thousand users make a small PDF that is sharp at any zoom. A dialog shows the
// progress of a long list and lets the teacher cancel it. The form is laid out but never on
// the screen.
class TUserPrintForm : public QWidget {
public:
    static constexpr const char* kJobTitle = "Honeycombwordsmiths User List";
    static constexpr const char* kPdfFileName = "Honeycombwordsmiths User List.pdf";

    explicit TUserPrintForm(QWidget* parent = nullptr);

    // Takes over the columns and every row of `source`.
    void takeOver(const QTreeWidget& source);
    // How many pages the rows take: at least one (an empty list prints its headings).
    int pageCount() const;
    // Shows one page's rows (from 0) in the form's list.
    void showPage(int page);
    // The form's list.
    QTreeWidget& userList() { return *m_userList; }

    // Prints a copy of `source` (see printOrSavePdf(); `dialogParent` owns a PDF save dialog).
    // False when the user cancelled that dialog.
    bool print(const QTreeWidget& source, QWidget* dialogParent);

private:
    int rowsPerPage() const;

    QTreeWidget* m_userList = nullptr;
    std::vector<QStringList> m_rows;
    std::vector<Qt::Alignment> m_alignments; // of each column's cells
};

} // namespace hc
