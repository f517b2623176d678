#include "options/user_print_form.h"

#include "options/form_support.h"

#include "platform/desktop/print_job.h"
#include "platform/desktop/printing.h"

#include <QHeaderView>
#include <QTreeWidget>

#include <algorithm>

namespace hc {

namespace {

constexpr QSize kClientSize(492, 621);

} // namespace

TUserPrintForm::TUserPrintForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setUpPrintPage(*this, "UserPrintForm", "User List", kClientSize);

    m_userList = new QTreeWidget(this);
    m_userList->setObjectName("UserList");
    m_userList->setGeometry(QRect(QPoint(0, 0), kClientSize));
    m_userList->setFrameShape(QFrame::NoFrame);
    m_userList->setRootIsDecorated(false);
    m_userList->setUniformRowHeights(true);
    m_userList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_userList->setSelectionMode(QAbstractItemView::NoSelection);
    m_userList->setFocusPolicy(Qt::NoFocus);
    m_userList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_userList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_userList->header()->setSectionsClickable(false);
    m_userList->header()->setStretchLastSection(false);

    // Laid out and painted like a shown window, but never mapped on the screen.
    setAttribute(Qt::WA_DontShowOnScreen);
    show();
}

void TUserPrintForm::takeOver(const QTreeWidget& source) {
    const int columns = source.columnCount();
    m_userList->clear();
    m_userList->setColumnCount(columns);
    QStringList captions;
    for (int c = 0; c < columns; ++c) {
        captions << source.headerItem()->text(c);
    }
    m_userList->setHeaderLabels(captions);
    for (int c = 0; c < columns; ++c) {
        m_userList->setColumnWidth(c, source.columnWidth(c));
        m_userList->headerItem()->setTextAlignment(
            c, Qt::Alignment(source.headerItem()->textAlignment(c)));
    }
    m_rows.clear();
    for (int r = 0; r < source.topLevelItemCount(); ++r) {
        const QTreeWidgetItem* item = source.topLevelItem(r);
        QStringList row;
        for (int c = 0; c < columns; ++c) {
            row << item->text(c);
        }
        m_rows.push_back(row);
    }
    // Cells keep the alignment of the Users page's cells.
    m_alignments.clear();
    for (int c = 0; c < columns; ++c) {
        m_alignments.push_back(source.topLevelItemCount() > 0
                                   ? Qt::Alignment(source.topLevelItem(0)->textAlignment(c))
                                   : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
}

int TUserPrintForm::rowsPerPage() const {
    // One probe row tells the height every row has.
    auto* probe = new QTreeWidgetItem(m_userList, QStringList(QStringLiteral("Probe")));
    const int rowHeight = m_userList->visualItemRect(probe).height();
    delete probe;
    return std::max(1, m_userList->viewport()->height() / std::max(1, rowHeight));
}

int TUserPrintForm::pageCount() const {
    const int perPage = rowsPerPage();
    const int rows = static_cast<int>(m_rows.size());
    return std::max(1, (rows + perPage - 1) / perPage);
}

void TUserPrintForm::showPage(int page) {
    const int perPage = rowsPerPage();
    m_userList->clear();
    const int first = page * perPage;
    const int last = std::min(static_cast<int>(m_rows.size()), first + perPage);
    for (int r = first; r < last; ++r) {
        auto* item = new QTreeWidgetItem(m_userList, m_rows[static_cast<std::size_t>(r)]);
        for (int c = 0; c < m_userList->columnCount(); ++c) {
            item->setTextAlignment(c, m_alignments[static_cast<std::size_t>(c)]);
        }
    }
}

bool TUserPrintForm::print(const QTreeWidget& source, QWidget* dialogParent) {
    takeOver(source);
    return printOrSavePdf(dialogParent, kJobTitle, kPdfFileName,
                          [this, dialogParent](QPrinter& printer) {
                              const int pages = pageCount();
                              PrintProgress progress(dialogParent, kJobTitle, pages);
                              PicturePages job(printer, kJobTitle);
                              for (int page = 0; page < pages; ++page) {
                                  progress.page(page);
                                  showPage(page);
                                  job.add(*this);
                              }
                              job.finish();
                          });
}

} // namespace hc
