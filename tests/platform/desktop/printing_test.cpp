#include "test_application.h"

#include "platform/desktop/printing.h"

#include "archive/error.h"
#include "temp_dir.h"

#include <QColor>
#include <QFileInfo>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

TEST(FitToPage, KeepsProportionsAndRoundsEachDivision) {
    struct Row {
        QSize picture;
        QSize page;
        QSize printed;
    };
    const std::vector<Row> rows = {
        // The report card on A4 at 72 dpi less half-inch margins: wider than the page allows,
        // so it takes the full width; 257 × 523 / 401 = 335.19 rounds down.
        {{401, 257}, {523, 770}, {523, 335}},
        // Tall: 100 × 770 / 400 = 192.5 rounds up; full page height.
        {{100, 400}, {523, 770}, {193, 770}},
        // The user print form at 600 dpi on a 4800 × 6600 printable area.
        {{492, 621}, {4800, 6600}, {4800, 6059}},
        // A width exactly equal to the page's is not less than it: the width rule applies.
        {{300, 400}, {600, 800}, {600, 800}},
        // 3 × 3 / 2 = 4.5 rounds up to 5.
        {{3, 2}, {100, 3}, {5, 3}},
        // 1 × 3 / 2 = 1.5 rounds up to 2 in the height division too.
        {{2, 1}, {3, 100}, {3, 2}},
        // Large pages do not overflow the products.
        {{30000, 20000}, {40000, 70000}, {40000, 26667}},
        // Nothing to fit, or nowhere to put it.
        {{0, 257}, {523, 770}, {}},
        {{401, 0}, {523, 770}, {}},
        {{401, 257}, {0, 770}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.picture.width() << "x" << row.picture.height());
        EXPECT_EQ(hc::fitToPage(row.picture, row.page), row.printed);
    }
}

// A widget in four solid colours, split at (200, 128).
class QuadrantWidget : public QWidget {
public:
    static constexpr QRgb kTopLeft = 0xffd02020, kTopRight = 0xff20a020, kBottomLeft = 0xff2040d0,
                          kBottomRight = 0xffe0c020;
    QSize split() const { return {width() / 2, height() / 2}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QSize s = split();
        painter.fillRect(0, 0, s.width(), s.height(), QColor(kTopLeft));
        painter.fillRect(s.width(), 0, width() - s.width(), s.height(), QColor(kTopRight));
        painter.fillRect(0, s.height(), s.width(), height() - s.height(), QColor(kBottomLeft));
        painter.fillRect(s.width(), s.height(), width() - s.width(), height() - s.height(),
                         QColor(kBottomRight));
    }
};

bool closeTo(QRgb actual, QRgb expected) {
    const int tolerance = 24; // the PDF may hold the picture JPEG-compressed
    return std::abs(qRed(actual) - qRed(expected)) <= tolerance &&
           std::abs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           std::abs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

// The box around every pixel that is not (nearly) white.
QRect inkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) < 240 || qGreen(p) < 240 || qBlue(p) < 240) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

class PrintingTest : public hc::test::TempDirTest {
protected:
    // A PDF printer at 72 dpi, so one printer pixel is one point: A4 is 595 × 842 and the
    // printable area inside half-inch margins is 523 × 770 from (36, 36).
    void setUpPdf(QPrinter& printer, const QString& file) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setResolution(72);
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                          QMarginsF(36, 36, 36, 36), QPageLayout::Point));
    }

    // Renders page 1 of `pdf` at 72 dpi.
    QImage render(const QString& pdf) {
        const QString prefix = QString::fromStdString(path("page"));
        QProcess tool;
        tool.start(HC_PDFTOPPM, {"-r", "72", "-png", "-singlefile", pdf, prefix});
        EXPECT_TRUE(tool.waitForFinished(60000)) << "pdftoppm did not finish";
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        return QImage(prefix + ".png").convertToFormat(QImage::Format_RGB32);
    }

    QString pdfInfo(const QString& pdf) {
        QProcess tool;
        tool.start(HC_PDFINFO, {pdf});
        EXPECT_TRUE(tool.waitForFinished(60000));
        return QString::fromUtf8(tool.readAllStandardOutput());
    }
};

// Each row prints a widget on one PDF page and checks where the picture landed and that its
// four quadrants are where they belong.
TEST_F(PrintingTest, PicturePrintsScaledAtTheTopLeftUnderTheJobTitle) {
    struct Row {
        QSize widget;
        QRect printed; // in page pixels
    };
    const std::vector<Row> rows = {
        {{401, 257}, {36, 36, 523, 335}}, // wide: full printable width
        {{100, 400}, {36, 36, 193, 770}}, // tall: full printable height
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.widget.width() << "x" << row.widget.height());
        QuadrantWidget widget;
        widget.resize(row.widget);
        const QString pdf = QString::fromStdString(path("card.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        setUpPdf(printer, pdf);
        ASSERT_EQ(printer.width(), 523);
        ASSERT_EQ(printer.height(), 770);

        hc::printWidget(widget, "Honeycombwordsmiths User List", printer);

        const QString info = pdfInfo(pdf);
        EXPECT_TRUE(info.contains(QRegularExpression("Title: +Honeycombwordsmiths User List")))
            << info.toStdString();
        EXPECT_TRUE(info.contains(QRegularExpression("Pages: +1\\n"))) << info.toStdString();

        const QImage page = render(pdf);
        ASSERT_EQ(page.size(), QSize(595, 842));
        const QRect ink = inkBox(page);
        EXPECT_NEAR(ink.left(), row.printed.left(), 1);
        EXPECT_NEAR(ink.top(), row.printed.top(), 1);
        EXPECT_NEAR(ink.width(), row.printed.width(), 1);
        EXPECT_NEAR(ink.height(), row.printed.height(), 1);

        // The middle of each quadrant, mapped onto the page.
        const QSize s = widget.split();
        const double scale = double(row.printed.width()) / row.widget.width();
        auto at = [&](double x, double y) {
            return page.pixel(row.printed.left() + int(x * scale),
                              row.printed.top() + int(y * scale));
        };
        const int w = row.widget.width(), h = row.widget.height();
        EXPECT_TRUE(closeTo(at(s.width() / 2.0, s.height() / 2.0), QuadrantWidget::kTopLeft));
        EXPECT_TRUE(
            closeTo(at((s.width() + w) / 2.0, s.height() / 2.0), QuadrantWidget::kTopRight));
        EXPECT_TRUE(
            closeTo(at(s.width() / 2.0, (s.height() + h) / 2.0), QuadrantWidget::kBottomLeft));
        EXPECT_TRUE(closeTo(at((s.width() + w) / 2.0, (s.height() + h) / 2.0),
                            QuadrantWidget::kBottomRight));
    }
}

TEST_F(PrintingTest, NoPrinterIsAClearError) {
    QuadrantWidget widget;
    widget.resize(401, 257);
    try {
        hc::printWidget(widget, "Report Card", QPrinterInfo());
        FAIL() << "printing without a printer succeeded";
    } catch (const hc::Error& e) {
        EXPECT_STREQ(e.what(), "There is no default printer");
    }
}

TEST_F(PrintingTest, JobThatCannotStartIsAClearErrorAndLeavesNoFile) {
    QuadrantWidget widget;
    widget.resize(484, 594);
    const QString pdf = QString::fromStdString(path("missing/list.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    setUpPdf(printer, pdf);
    try {
        hc::printWidget(widget, "Honeycombwordsmiths Word List", printer);
        FAIL() << "a job on an unwritable output succeeded";
    } catch (const hc::Error& e) {
        EXPECT_STREQ(e.what(),
                     "Cannot print \"Honeycombwordsmiths Word List\": the printer cannot start "
                     "the job");
    }
    EXPECT_FALSE(QFileInfo::exists(pdf));
}

TEST_F(PrintingTest, EmptyWidgetIsAClearError) {
    QuadrantWidget widget;
    widget.resize(0, 0);
    QPrinter printer(QPrinter::HighResolution);
    setUpPdf(printer, QString::fromStdString(path("empty.pdf")));
    EXPECT_THROW(hc::printWidget(widget, "Report Card", printer), hc::Error);
}

} // namespace
