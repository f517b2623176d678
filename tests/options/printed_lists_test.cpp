// The printed user list and word list: laid out page by page on the print forms and written,
// with no printer installed, to a PDF that is rendered back and compared with the forms.

#include "options_fixture.h"
#include "test_application.h"

#include "options/progress_view.h"
#include "options/user_print_form.h"
#include "options/word_print_form.h"

#include "datafiles/user_file.h"
#include "platform/desktop/print_job.h"
#include "platform/desktop/printing.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPageLayout>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

constexpr int kRenderDpi = 200;

class PrintedListsTest : public hc::test::OptionsTest {
protected:
    void SetUp() override {
        OptionsTest::SetUp();
        m_pdfPath = QString::fromStdString(path("list.pdf"));
    }

    int pdfPages(const QString& pdf) {
        QProcess tool;
        tool.start(HC_PDFINFO, {pdf});
        EXPECT_TRUE(tool.waitForFinished(60000));
        const QString info = QString::fromUtf8(tool.readAllStandardOutput());
        m_pdfTitle = QRegularExpression("Title: +([^\\n]*)\\n").match(info).captured(1);
        return QRegularExpression("Pages: +(\\d+)").match(info).captured(1).toInt();
    }

    // The text of page `page` (from 1) of the PDF, as a reader would copy it out: empty when
    // the page is a picture.
    QString pdfText(const QString& pdf, int page) {
        QProcess tool;
        const QString number = QString::number(page);
        tool.start(HC_PDFTOTEXT, {"-f", number, "-l", number, "-layout", pdf, "-"});
        EXPECT_TRUE(tool.waitForFinished(60000));
        return QString::fromUtf8(tool.readAllStandardOutput());
    }

    // Page `page` (from 1) of the PDF, cut to where a form's picture lands and scaled back to
    // the form's size.
    QImage printedForm(const QString& pdf, int page, QSize formSize) {
        const QString prefix = QString::fromStdString(path("page"));
        QProcess tool;
        const QString number = QString::number(page);
        tool.start(HC_PDFTOPPM, {"-r", QString::number(kRenderDpi), "-f", number, "-l", number,
                                 "-png", "-singlefile", pdf, prefix});
        EXPECT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        const QImage rendered = QImage(prefix + ".png").convertToFormat(QImage::Format_RGB32);
        // Where printPicture puts it: fitted into the printable area, at its top left.
        const QRectF area = hc::pdfPageLayout().paintRect(QPageLayout::Point);
        const QSize fitted = hc::fitToPage(formSize, area.size().toSize());
        const double scale = kRenderDpi / 72.0;
        const QRect cut(qRound(area.left() * scale), qRound(area.top() * scale),
                        qRound(fitted.width() * scale), qRound(fitted.height() * scale));
        return rendered.copy(cut).scaled(formSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }

    // How far two pictures of a form are apart: the mean difference of their grey levels
    // (0 to 255) once both are shrunk to a quarter, so that a pixel's shift in the printing
    // does not count and a row of text printed in another place, or not at all, does.
    static double distance(const QImage& a, const QImage& b) {
        const QSize small = a.size() / 4;
        const QImage sa = a.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QImage sb = b.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        double sum = 0;
        for (int y = 0; y < small.height(); ++y) {
            for (int x = 0; x < small.width(); ++x) {
                sum += std::abs(qGray(sa.pixel(x, y)) - qGray(sb.pixel(x, y)));
            }
        }
        return sum / (small.width() * small.height());
    }

    // The form as it is printed, at its own size.
    static QImage picture(QWidget& form) {
        return hc::printablePicture(form)
            .toImage()
            .convertToFormat(QImage::Format_RGB32)
            .scaled(form.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }

    // Each page of the PDF is the form's own page of the same number, and no other.
    template <typename Form> void expectPagesMatch(Form& form, const QString& pdf) {
        const int pages = form.pageCount();
        std::vector<QImage> expected;
        for (int page = 0; page < pages; ++page) {
            form.showPage(page);
            expected.push_back(picture(form));
        }
        for (int page = 0; page < pages; ++page) {
            SCOPED_TRACE(testing::Message() << "page " << page + 1);
            const QImage printed = printedForm(pdf, page + 1, form.size());
            const double same = distance(printed, expected[static_cast<std::size_t>(page)]);
            EXPECT_LT(same, 2.5);
            for (int other = 0; other < pages; ++other) {
                if (other != page) {
                    EXPECT_GT(distance(printed, expected[static_cast<std::size_t>(other)]),
                              same + 2.0);
                }
            }
        }
    }

    QString m_pdfTitle;
};

TEST_F(PrintedListsTest, UserListPrintsEveryRowUnderItsHeadingsOnEachPage) {
    for (int i = 60; i >= 1; --i) {
        char name[16];
        std::snprintf(name, sizeof name, "Pupil %02d", i);
        ASSERT_EQ(UserFileAdd("USERS.ERF", name), UserFileOk);
    }
    startProgram();
    auto* pages = widget<QTabWidget>(form(), "PageControl");
    pages->setCurrentIndex(2);
    click(*widget<QToolButton>(form(), "PrintBtn"));

    EXPECT_EQ(m_pdfDialogs, 1);
    EXPECT_TRUE(m_suggestedPdf.endsWith("/Honeycombwordsmiths User List.pdf"));
    hc::TUserPrintForm& print = program().userPrintForm();
    ASSERT_EQ(print.size(), QSize(492, 621));
    const int pageCount = print.pageCount();
    ASSERT_GE(pageCount, 2);
    EXPECT_EQ(pdfPages(m_pdfPath), pageCount);
    EXPECT_EQ(m_pdfTitle, "Honeycombwordsmiths User List");

    // The rows in the page's order, each once, with the column headings on every page.
    QTreeWidget& list = print.userList();
    int next = 1;
    for (int page = 0; page < pageCount; ++page) {
        print.showPage(page);
        EXPECT_EQ(list.headerItem()->text(0), "Name");
        EXPECT_EQ(list.headerItem()->text(4), "Phonogram Puzzle");
        EXPECT_EQ(list.columnWidth(2), 79);
        EXPECT_FALSE(list.header()->isHidden());
        ASSERT_GT(list.topLevelItemCount(), 0);
        for (int r = 0; r < list.topLevelItemCount(); ++r) {
            char name[16];
            std::snprintf(name, sizeof name, "Pupil %02d", next++);
            EXPECT_EQ(list.topLevelItem(r)->text(0), name);
            EXPECT_EQ(list.topLevelItem(r)->text(1), "0.00");
            // Every row shown is whole.
            EXPECT_LE(list.visualItemRect(list.topLevelItem(r)).bottom(),
                      list.viewport()->height());
        }
    }
    EXPECT_EQ(next, 61);
    expectPagesMatch(print, m_pdfPath);
    // Regression: every page was a picture (10,000 users made 78 MB). The pages are text.
    const QString lastPage = pdfText(m_pdfPath, pageCount);
    EXPECT_TRUE(lastPage.contains("Phonogram Puzzle")) << lastPage.toStdString();
    EXPECT_TRUE(lastPage.contains("Pupil 60")) << lastPage.toStdString();
}

TEST_F(PrintedListsTest, AnEmptyUserListPrintsItsHeadings) {
    startProgram();
    click(*widget<QToolButton>(form(), "PrintBtn"));
    EXPECT_EQ(pdfPages(m_pdfPath), 1);
    hc::TUserPrintForm& print = program().userPrintForm();
    EXPECT_EQ(print.userList().topLevelItemCount(), 0);
    const QImage page = printedForm(m_pdfPath, 1, print.size());
    print.showPage(0);
    const double toForm = distance(page, picture(print));
    // The headings are there: the page is nearer to the form than to a blank page.
    QImage blank(page.size(), QImage::Format_RGB32);
    blank.fill(Qt::white);
    EXPECT_LT(toForm, 0.3);
    EXPECT_GT(distance(page, blank), toForm + 0.5);
}

TEST_F(PrintedListsTest, ProgressPrintsOnOnePageWithTheWordsThatFit) {
    std::string history =
        "time,user,activity,word,answer,result,test,puzzle,right_clicks,wrong_clicks,percent\r\n";
    for (int i = 0; i < 80; ++i) {
        history += "2026-03-02T09:00:00+01:00,Ann,spelling,word" + std::to_string(i) +
                   ",x,wrong,1,,,,\r\n";
    }
    history += "2026-03-02T09:30:00+01:00,Ann,phonogram,,,,,3,16,4,80\r\n";
    hc::test::writeFile(path("HISTORY.CSV"), history);
    hc::TProgressView view(hc::test::application(), "USERS.ERF", "Ann", nullptr, "2026-03-04");
    view.FormCreate();
    view.findChild<QPushButton*>("PrintBtn")->click();
    EXPECT_EQ(m_pdfDialogs, 1);
    EXPECT_TRUE(m_suggestedPdf.endsWith("/Honeycombwordsmiths Progress.pdf"));
    EXPECT_EQ(pdfPages(m_pdfPath), 1);
    EXPECT_EQ(m_pdfTitle, "Honeycombwordsmiths Progress");
    const std::unique_ptr<QWidget> page = view.makePrintPage();
    const QImage printed = printedForm(m_pdfPath, 1, page->size());
    QImage blank(printed.size(), QImage::Format_RGB32);
    blank.fill(Qt::white);
    const double same = distance(printed, picture(*page));
    EXPECT_LT(same, 2.5);
    EXPECT_GT(distance(printed, blank), same + 2.0);
    // The words that do not fit are counted at the foot of the page, never cut off silently.
    bool counted = false;
    for (const QLabel* label : page->findChildren<QLabel*>()) {
        counted = counted || label->text().endsWith(" more words");
    }
    EXPECT_TRUE(counted);
}

TEST_F(PrintedListsTest, WordListPrintsTheLinesAsTheyStandWrappedAndPaged) {
    QStringList lines;
    for (int i = 1; i <= 50; ++i) {
        lines << QString("word %1").arg(i);
    }
    lines[4] = "  spaced  ";
    lines[9] = "";
    lines[19] = QString("a long line ").repeated(12).trimmed(); // wraps on the form
    startProgram();
    widget<QPlainTextEdit>(form(), "WordEdit")->setPlainText(lines.join('\n'));
    click(*widget<QToolButton>(form(), "WordPrintBtn"));

    EXPECT_TRUE(m_suggestedPdf.endsWith("/Honeycombwordsmiths Word List.pdf"));
    hc::TWordPrintForm& print = program().wordPrintForm();
    ASSERT_EQ(print.size(), QSize(484, 594));
    const int pageCount = print.pageCount();
    ASSERT_EQ(pageCount, 2);
    EXPECT_EQ(pdfPages(m_pdfPath), pageCount);
    EXPECT_EQ(m_pdfTitle, "Honeycombwordsmiths Word List");

    // Put together, the pages hold every line as it stands, the long one wrapped.
    QStringList printed;
    for (int page = 0; page < pageCount; ++page) {
        printed << print.pageText(page).split('\n');
    }
    EXPECT_EQ(printed.size(), lines.size() + 1);
    EXPECT_EQ(printed[4], "  spaced  ");
    EXPECT_EQ(printed[9], "");
    EXPECT_EQ(printed[19] + printed[20], lines[19]);
    EXPECT_EQ(printed.last(), "word 50");
    expectPagesMatch(print, m_pdfPath);
    EXPECT_TRUE(pdfText(m_pdfPath, 2).contains("word 50"));
}

TEST_F(PrintedListsTest, CancellingThePdfDialogOrTheProgressPrintsNothing) {
    QStringList lines;
    for (int i = 0; i < 3000; ++i) {
        lines << QString("word %1").arg(i);
    }
    startProgram();
    widget<QPlainTextEdit>(form(), "WordEdit")->setPlainText(lines.join('\n'));
    const QString pdf = m_pdfPath;

    // Cancel in the save dialog.
    m_pdfPath.clear();
    click(*widget<QToolButton>(form(), "WordPrintBtn"));
    EXPECT_EQ(m_pdfDialogs, 1);

    // Cancel in the progress dialog of a long list, a few pages in.
    m_pdfPath = pdf;
    QTimer canceller;
    int pagesSeen = 0;
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* progress = qobject_cast<QProgressDialog*>(window);
            if (progress != nullptr && progress->objectName() == "PrintProgress" &&
                progress->value() >= 3) {
                pagesSeen = progress->value();
                progress->cancel();
                canceller.stop();
            }
        }
    });
    canceller.start(0);
    click(*widget<QToolButton>(form(), "WordPrintBtn"));
    EXPECT_EQ(m_pdfDialogs, 2);
    EXPECT_GE(pagesSeen, 3);
    EXPECT_LT(pagesSeen, program().wordPrintForm().pageCount());
    EXPECT_TRUE(boxes().empty());
    for (const auto& entry : std::filesystem::directory_iterator(dir())) {
        ADD_FAILURE() << "left behind: " << entry.path();
    }
}

} // namespace
