// One print job, or a PDF of its pages when no printer is installed; the printer and the save
// dialog are replaced through the job's seams, so nothing is printed on a real printer.

#include "test_application.h"

#include "platform/desktop/print_job.h"
#include "platform/desktop/printing.h"

#include "archive/error.h"
#include "temp_dir.h"

#include <QColor>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

QPixmap solid(QColor colour) {
    QPixmap picture(200, 100);
    picture.fill(colour);
    return picture;
}

class PrintJobTest : public hc::test::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        hc::setPrinterQuery([this] { return m_printers; });
        hc::setPdfSaveDialog([this](QWidget*, const QString& suggested) {
            m_suggested.push_back(suggested);
            return m_chosen;
        });
    }
    void TearDown() override {
        hc::setPrinterQuery(nullptr);
        hc::setPdfSaveDialog(nullptr);
        TempDirTest::TearDown();
    }

    // Prints one solid page per colour.
    bool printColours(const std::vector<QColor>& colours) {
        return hc::printOrSavePdf(nullptr, "Colours", "Colours.pdf", [&](QPrinter& printer) {
            ++m_jobs;
            hc::PicturePages job(printer, "Colours");
            for (const QColor& colour : colours) {
                job.add(solid(colour), {200, 100});
            }
            job.finish();
        });
    }

    QString pdfInfo(const QString& pdf) {
        QProcess tool;
        tool.start(HC_PDFINFO, {pdf});
        EXPECT_TRUE(tool.waitForFinished(60000));
        return QString::fromUtf8(tool.readAllStandardOutput());
    }

    // The colour in the middle of the picture on page `page` (from 1).
    QRgb pictureColour(const QString& pdf, int page) {
        const QString prefix = QString::fromStdString(path("page"));
        QProcess tool;
        const QString number = QString::number(page);
        tool.start(HC_PDFTOPPM,
                   {"-r", "36", "-f", number, "-l", number, "-png", "-singlefile", pdf, prefix});
        EXPECT_TRUE(tool.waitForFinished(60000));
        const QImage image(prefix + ".png");
        // The picture fills the printable width from its top left corner: a point a little
        // inside that corner lies on it.
        return image.pixel(image.width() / 4, image.height() / 10);
    }

    hc::InstalledPrinters m_printers; // none installed
    QString m_chosen;
    std::vector<QString> m_suggested;
    int m_jobs = 0;
};

TEST_F(PrintJobTest, WithoutPrintersThePagesGoToTheChosenPdf) {
    m_chosen = QString::fromStdString(path("out.pdf"));
    ASSERT_TRUE(printColours({Qt::red, Qt::blue, Qt::green}));

    ASSERT_EQ(m_suggested.size(), 1u);
    EXPECT_EQ(m_suggested[0], hc::pdfFolder() + "/Colours.pdf");
    // Only the chosen file is left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir()), {}), 1);
    const QString info = pdfInfo(m_chosen);
    EXPECT_TRUE(info.contains(QRegularExpression("Title: +Colours\\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Pages: +3\\n"))) << info.toStdString();
    EXPECT_EQ(QColor(pictureColour(m_chosen, 1)).hue(), QColor(Qt::red).hue());
    EXPECT_EQ(QColor(pictureColour(m_chosen, 2)).hue(), QColor(Qt::blue).hue());
    EXPECT_EQ(QColor(pictureColour(m_chosen, 3)).hue(), QColor(Qt::green).hue());
}

TEST_F(PrintJobTest, CancellingTheDialogPrintsNothing) {
    m_chosen.clear();
    EXPECT_FALSE(printColours({Qt::red}));
    EXPECT_EQ(m_jobs, 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir()));
}

TEST_F(PrintJobTest, AFailedPdfIsAnErrorAndKeepsAnEarlierFile) {
    // A job that fails half way: the earlier PDF of that name stays as it was.
    m_chosen = QString::fromStdString(path("out.pdf"));
    hc::test::writeFile(path("out.pdf"), "earlier");
    EXPECT_THROW(hc::printOrSavePdf(nullptr, "Colours", "Colours.pdf",
                                    [](QPrinter& printer) {
                                        hc::PicturePages job(printer, "Colours");
                                        job.add(solid(Qt::red), {200, 100});
                                        throw hc::Error("the list could not be laid out");
                                    }),
                 hc::Error);
    EXPECT_EQ(hc::test::readFile(path("out.pdf")), "earlier");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir()), {}), 1);

    // A folder that does not exist.
    m_chosen = QString::fromStdString(path("missing/out.pdf"));
    try {
        printColours({Qt::red});
        FAIL() << "a PDF in a missing folder was reported written";
    } catch (const hc::Error& e) {
        EXPECT_STREQ(e.what(), "Cannot print \"Colours\": the printer cannot start the job");
    }
}

TEST_F(PrintJobTest, PrintersWithoutADefaultAreAnErrorNotAPdf) {
    m_printers.any = true;
    try {
        printColours({Qt::red});
        FAIL() << "printing without a default printer succeeded";
    } catch (const hc::Error& e) {
        EXPECT_STREQ(e.what(), "There is no default printer");
    }
    EXPECT_TRUE(m_suggested.empty());
    EXPECT_EQ(m_jobs, 0);
}

TEST_F(PrintJobTest, AJobWithoutPagesIsAnError) {
    m_chosen = QString::fromStdString(path("out.pdf"));
    EXPECT_THROW(printColours({}), hc::Error);
    EXPECT_FALSE(QFileInfo::exists(m_chosen));
}

} // namespace
