// The report card (the record as the user file holds it, its wording and number formats, a long
// name, printing) and the word list view (missing, empty and long lists).

#include "datafiles/settings.h"
#include "datafiles/user_file.h"
#include "platform/desktop/print_job.h"
#include "student/progress/report_card.h"
#include "student/progress/word_form.h"
#include "student_test.h"

#include <QAccessible>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QProcess>

#include <filesystem>
#include <sys/stat.h>

namespace hc::test::student {
namespace {

using hc::student::TReportCard;
using hc::student::TWordForm;

class ReportCardTest : public StudentTest {
protected:
    QString text(QWidget& card, const char* name) { return control<QLabel>(card, name)->text(); }
};

TEST_F(ReportCardTest, ShowsTheRecordAsTheUserFileHoldsIt) {
    ASSERT_EQ(UserFileAdd("USERS.ERF", "Ada"), 0);
    ASSERT_EQ(hc::countLogin("USERS.ERF", "Ada"), 0);
    m_program->setCurrentUser("Ada", "USERS.ERF", false);
    {
        // A new user who has played once: every average 0.
        TReportCard card(*m_program);
        card.FormCreate();
        EXPECT_EQ(text(card, "TitleLbl"), QStringLiteral("Report Card for Ada"));
        EXPECT_EQ(text(card, "ProgRunsLbl"), QStringLiteral("You have played 1 times"));
        EXPECT_EQ(text(card, "SpellTestBox"), QStringLiteral("0.00%"));
        EXPECT_EQ(text(card, "PhonoPuzBox"), QStringLiteral("0.00%"));
        EXPECT_EQ(text(card, "ScoreBox"), QStringLiteral("0.00%"));
    }
    // Results recorded since (by another program, even): the card reloads the record.
    for (int percent : {100, 100, 0}) {
        ASSERT_EQ(hc::recordResult("USERS.ERF", "Ada", hc::Activity::Spelling, percent), 0);
    }
    ASSERT_EQ(hc::recordResult("USERS.ERF", "Ada", hc::Activity::Phonogram, 88), 0);
    CurrentUser = {};
    TReportCard card(*m_program);
    card.FormCreate();
    EXPECT_EQ(text(card, "SpellTestBox"), QStringLiteral("66.67%")) << "66.666664 rounded";
    EXPECT_EQ(text(card, "PhonoPuzBox"), QStringLiteral("88.00%"));
    EXPECT_EQ(text(card, "ScoreBox"), QStringLiteral("77.33%"));
}

TEST_F(ReportCardTest, ALongNameIsCutToTheTitlesWidth) {
    const std::string name(255, 'W');
    ASSERT_EQ(UserFileAdd("USERS.ERF", name), 0);
    m_program->setCurrentUser(name, "USERS.ERF", false);
    TReportCard card(*m_program);
    card.FormCreate();
    QLabel& title = card.titleLabel();
    EXPECT_TRUE(title.text().startsWith(QStringLiteral("Report Card for WWW")));
    EXPECT_TRUE(title.text().endsWith(QChar(0x2026)));
    EXPECT_LE(title.fontMetrics().horizontalAdvance(title.text()), title.width());
    EXPECT_EQ(title.accessibleName(), QStringLiteral("Report Card for ") + QString(255, 'W'));
}

// The dark pixels of `image`, in its own pixels.
QRect inkOf(const QImage& image) {
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (QColor(image.pixel(x, y)).lightness() < 128) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    return ink;
}

// `widget` drawn at `scale` device pixels per pixel, as a scaled display draws it.
QImage drawn(QWidget& widget, int scale) {
    QImage image(widget.size() * scale, QImage::Format_ARGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    widget.render(&image);
    return image;
}

TEST_F(ReportCardTest, EveryScoreIsDrawnWholeAndReadAloudWithItsCaption) {
    m_program->setCurrentUser("Ada", "gone\\USERS.ERF", false);
    struct Row {
        float spell, phono, score;
        const char* spellText;
    };
    for (const Row& row : {Row{0.0f, 100.0f, 50.0f, "0.00%"}, Row{87.5f, 99.99f, 93.745f, "87.50%"},
                           Row{100.0f, 66.666664f, 88.88f, "100.00%"}}) {
        CurrentUser = hc::newUserRecord("Ada");
        CurrentUser.SpellAverage = row.spell;
        CurrentUser.PhonoAverage = row.phono;
        CurrentUser.Score = row.score;
        TReportCard card(*m_program);
        card.FormCreate();
        EXPECT_EQ(text(card, "SpellTestBox"), QString::fromLatin1(row.spellText));
        for (const char* name : {"SpellTestBox", "PhonoPuzBox", "ScoreBox"}) {
            QLabel& box = *control<QLabel>(card, name);
            for (int scale : {1, 2}) {
                SCOPED_TRACE(std::string(name) + " " + box.text().toStdString() + " at " +
                             std::to_string(scale) + "x");
                // The same text drawn in the same font where nothing can cut it.
                QImage whole(QSize(200, box.height()) * scale, QImage::Format_ARGB32);
                whole.setDevicePixelRatio(scale);
                whole.fill(Qt::white);
                {
                    QPainter painter(&whole);
                    painter.setFont(box.font());
                    painter.setPen(Qt::black);
                    painter.drawText(QRect(0, 0, 200, box.height()), Qt::AlignCenter, box.text());
                }
                const QRect shown = inkOf(drawn(box, scale));
                ASSERT_FALSE(shown.isEmpty());
                EXPECT_GT(shown.left(), 0) << "cut at the left";
                EXPECT_LT(shown.right(), box.width() * scale - 1) << "cut at the right";
                EXPECT_NEAR(shown.width(), inkOf(whole).width(), 1);
                // The box sits in the score column of the card.
                EXPECT_GE(box.x(), 313);
                EXPECT_LE(box.x() + box.width(), 384);
            }
        }
        // A screen reader hears what each score is, and the score.
        auto spoken = [&](const char* name) {
            return QAccessible::queryAccessibleInterface(control<QLabel>(card, name))
                ->text(QAccessible::Name);
        };
        EXPECT_EQ(spoken("SpellTestBox"),
                  QStringLiteral("Spelling Test average: ") + QString::fromLatin1(row.spellText));
        EXPECT_EQ(spoken("PhonoPuzBox"),
                  QStringLiteral("Phonogram Puzzle average: ") + text(card, "PhonoPuzBox"));
        EXPECT_EQ(spoken("ScoreBox"),
                  QStringLiteral("Weighted Average: ") + text(card, "ScoreBox"));
    }
}

TEST_F(ReportCardTest, AnUnreadableFileLeavesWhatTheProgramHeld) {
    m_program->setCurrentUser("Ada", "gone\\USERS.ERF", false);
    CurrentUser = hc::newUserRecord("Ada");
    CurrentUser.ProgramRuns = 12;
    CurrentUser.SpellAverage = 87.5f;
    TReportCard card(*m_program);
    card.FormCreate();
    EXPECT_EQ(text(card, "ProgRunsLbl"), QStringLiteral("You have played 12 times"));
    EXPECT_EQ(text(card, "SpellTestBox"), QStringLiteral("87.50%"));
    EXPECT_TRUE(messages().empty());
}

TEST_F(ReportCardTest, PrintsAsOnePageOrOffersAPdfWithoutAPrinter) {
    ASSERT_EQ(UserFileAdd("USERS.ERF", "Ada/B"), 0);
    ASSERT_EQ(hc::recordResult("USERS.ERF", "Ada/B", hc::Activity::Spelling, 50), 0);
    m_program->setCurrentUser("Ada/B", "USERS.ERF", false);
    hc::setPrinterQuery([] { return hc::InstalledPrinters{}; });
    QString suggested;
    const QString chosen = QString::fromStdString(path("card.pdf"));
    hc::setPdfSaveDialog([&](QWidget*, const QString& path) {
        suggested = path;
        return chosen;
    });
    TReportCard card(*m_program);
    card.FormCreate();
    card.show();
    processEvents();
    card.PrintBtnClick();
    hc::setPdfSaveDialog(nullptr);
    hc::setPrinterQuery(nullptr);

    EXPECT_TRUE(suggested.endsWith(QStringLiteral("/Report Card for Ada-B.pdf")))
        << suggested.toStdString();
    // The page, rendered back: the card at the top left, as wide as the printable area, in its
    // proportions, its silver card and white score boxes where the screen has them.
    QProcess tool;
    tool.start(HC_PDFTOPPM, {"-r", "72", "-png", "-singlefile", chosen,
                             QString::fromStdString(path("page"))});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0);
    const QImage page(QString::fromStdString(path("page.png")));
    ASSERT_FALSE(page.isNull());
    const QImage screen = card.grab().toImage();
    QRect ink;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (QColor(page.pixel(x, y)).lightness() < 250) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(double(ink.width()) / ink.height(), 401.0 / 257.0, 0.03);
    EXPECT_LT(ink.left(), 60);
    EXPECT_LT(ink.top(), 60);
    const double scale = double(ink.width()) / 401.0;
    for (const QPoint at : {QPoint(12, 100), QPoint(300, 120), QPoint(380, 120), QPoint(200, 240)}) {
        const QColor printed(page.pixel(ink.left() + int(at.x() * scale),
                                        ink.top() + int(at.y() * scale)));
        const QColor shown(screen.pixel(at));
        EXPECT_NEAR(printed.lightness(), shown.lightness(), 24) << at.x() << "," << at.y();
    }
}

TEST_F(ReportCardTest, TheWordListViewShowsTheFileOrNothing) {
    hc::setText(Settings.WordFile, "lists\\WORDS.TXT");
    {
        TWordForm view(*m_program);
        view.FormCreate();
        EXPECT_TRUE(view.wordList().toPlainText().isEmpty()) << "a missing file";
    }
    std::filesystem::create_directory("lists");
    hc::test::writeFile("lists/WORDS.TXT", "");
    {
        TWordForm view(*m_program);
        view.FormCreate();
        EXPECT_TRUE(view.wordList().toPlainText().isEmpty()) << "an empty file";
    }
    // Lines as the file has them: CR LF, a lone LF, an empty line, Windows-1252 or UTF-8 text.
    const std::vector<std::string> files = {
        "apple\r\nbanana\n\ncaf\xE9\r\n",
        "apple\r\nbanana\n\ncaf\xC3\xA9\r\n",
        "\xEF\xBB\xBF" "apple\r\nbanana\n\ncaf\xC3\xA9",
    };
    for (const std::string& bytes : files) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        hc::test::writeFile("lists/WORDS.TXT", bytes);
        TWordForm view(*m_program);
        view.FormCreate();
        EXPECT_EQ(view.wordList().toPlainText(), QStringLiteral("apple\nbanana\n\ncafé"));
    }
    // Regression: a FIFO in the list's place froze the view for good. It shows nothing.
    std::filesystem::remove("lists/WORDS.TXT");
    ASSERT_EQ(::mkfifo("lists/WORDS.TXT", 0600), 0);
    TWordForm view(*m_program);
    view.FormCreate();
    EXPECT_TRUE(view.wordList().toPlainText().isEmpty());
    EXPECT_TRUE(messages().empty());
}

} // namespace
} // namespace hc::test::student
