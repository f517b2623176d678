// The teacher's progress view over a real history file: one child's tests and puzzles in the
// chart and its table, the words to practise with their counts, the totals, and the practice word
// lists written from it (one child's, and the class's over a period).

#include "options_fixture.h"
#include "test_application.h"

#include "options/progress_view.h"

#include "archive/error.h"
#include "datafiles/word_list.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using hc::test::application;
using hc::test::readFile;
using hc::test::writeFile;

const std::string kHeader =
    "time,user,activity,word,answer,result,test,puzzle,right_clicks,wrong_clicks,percent\r\n";

// Ann: a test of four words on Monday of the week before (two missed), a puzzle, and a test
// this Wednesday where "was" is missed again and "said" is right; Bob misses "they" this week.
const std::string kHistory =
    kHeader + "2026-02-23T09:00:00+01:00,Ann,spelling,said,sed,wrong,1,,,,\r\n"
              "2026-02-23T09:00:00+01:00,Ann,spelling,was,wos,wrong,1,,,,\r\n"
              "2026-02-23T09:00:00+01:00,Ann,spelling,cat,cat,right,1,,,,\r\n"
              "2026-02-23T09:00:00+01:00,Ann,spelling,caf\xC3\xA9,cafe,wrong,1,,,,\r\n"
              "2026-02-24T10:00:00+01:00,Ann,phonogram,,,,,3,16,4,80\r\n"
              "2026-03-04T09:00:00+01:00,Bob,spelling,they,thay,wrong,1,,,,\r\n"
              "2026-03-04T09:30:00+01:00,ANN,spelling,said,said,right,1,,,,\r\n"
              "2026-03-04T09:30:00+01:00,ANN,spelling,was,wuz,wrong,1,,,,\r\n";

class ProgressViewTest : public hc::test::OptionsTest {
protected:
    std::unique_ptr<hc::TProgressView> openView(const std::string& name) {
        auto view = std::make_unique<hc::TProgressView>(application(), "USERS.ERF", name, nullptr,
                                                        "2026-03-04");
        view->setSaveDialog([this](QWidget*, const QString&, const QString& suggested) {
            m_suggestedList = suggested;
            return m_listPath;
        });
        view->FormCreate();
        return view;
    }

    static std::vector<QStringList> rows(QWidget& root, const char* name) {
        std::vector<QStringList> result;
        auto* list = root.findChild<QTreeWidget*>(name);
        EXPECT_NE(list, nullptr) << name;
        for (int r = 0; list != nullptr && r < list->topLevelItemCount(); ++r) {
            QStringList row;
            for (int c = 0; c < list->columnCount(); ++c) {
                row << list->topLevelItem(r)->text(c);
            }
            result.push_back(row);
        }
        return result;
    }

    QString m_listPath;
    QString m_suggestedList;
};

TEST_F(ProgressViewTest, ShowsOneChildsTestsWordsAndTotals) {
    writeFile(path("HISTORY.CSV"), kHistory);
    auto view = openView("Ann");
    // The chart's text alternative: every point, in time order, with its moving average.
    EXPECT_EQ(rows(*view, "PointsList"),
              (std::vector<QStringList>{{"2026-02-23", "Spelling test", "25 %", "25 %"},
                                        {"2026-02-24", "Phonogram puzzle", "80 %", "80 %"},
                                        {"2026-03-04", "Spelling test", "50 %", "38 %"}}));
    EXPECT_EQ(view->chart().points().size(), 3u);
    // "was" missed last this week; then the week before's, "said" right once since.
    EXPECT_EQ(rows(*view, "PractiseList"),
              (std::vector<QStringList>{{"was", "2", "2026-03-04", "No"},
                                        {QString::fromUtf8("caf\xC3\xA9"), "1", "2026-02-23", "No"},
                                        {"said", "1", "2026-02-23", "Once"}}));
    const QString totals = view->findChild<QLabel*>("TotalsLbl")->text();
    EXPECT_TRUE(
        totals.startsWith("Spelling tests: 2     Puzzles: 1     Words answered: 6, 2 right"))
        << totals.toStdString();
    EXPECT_TRUE(totals.contains("Right this week: 50 %     In the four weeks before: 25 %"))
        << totals.toStdString();
    // A screen reader finds the chart by name and reads its points as a table, cell by cell.
    view->show();
    QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(&view->chart());
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->text(QAccessible::Name), "Progress chart");
    QAccessibleInterface* table =
        QAccessible::queryAccessibleInterface(view->findChild<QTreeWidget*>("PointsList"));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->text(QAccessible::Name), "Chart as a table");
    ASSERT_NE(table->tableInterface(), nullptr);
    EXPECT_EQ(table->tableInterface()->rowCount(), 3);
    QAccessibleInterface* cell = table->tableInterface()->cellAt(1, 2);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name), "80 %");

    // A child with no history yet: an empty view, not an error; nothing to make a list of.
    auto empty = openView("Cy");
    EXPECT_TRUE(rows(*empty, "PointsList").empty());
    EXPECT_FALSE(empty->findChild<QPushButton*>("MakeListBtn")->isEnabled());
}

TEST_F(ProgressViewTest, MakeWordListWritesTheWordsNotMasteredInTheListsFormat) {
    writeFile(path("HISTORY.CSV"), kHistory);
    auto view = openView("Ann");
    m_listPath = QString::fromStdString(path("NEXT WEEK.TXT"));
    view->findChild<QPushButton*>("MakeListBtn")->click();
    EXPECT_TRUE(m_suggestedList.endsWith("/PRACTICE Ann.TXT")) << m_suggestedList.toStdString();
    // Windows-1252 and CR LF, as the word list is.
    EXPECT_EQ(readFile(path("NEXT WEEK.TXT")), "was\r\ncaf\xE9\r\nsaid\r\n");
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_TRUE(boxes()[0].text.contains("3 words")) << boxes()[0].text.toStdString();

    // A word beyond Windows-1252 makes the list UTF-8, every word kept.
    EXPECT_EQ(hc::writePracticeList({"caf\xC3\xA9", "\xCE\xB1\xCE\xB2"},
                                    QString::fromStdString(path("GREEK.TXT"))),
              QString::fromStdString("The word list " + path("GREEK.TXT") +
                                     " was written with 2 words to practise. To use it, choose "
                                     "it as the Word List file on the Directories page."));
    EXPECT_EQ(readFile(path("GREEK.TXT")), "caf\xC3\xA9\r\n\xCE\xB1\xCE\xB2\r\n");

    // Cancel in the save dialog writes nothing; a folder that is not there is reported.
    m_listPath.clear();
    view->MakeListBtnClick();
    m_listPath = QString::fromStdString(path("missing/LIST.TXT"));
    EXPECT_THROW(view->MakeListBtnClick(), hc::Error);
    EXPECT_FALSE(std::filesystem::exists(path("missing")));
}

TEST_F(ProgressViewTest, ClassListCoversThePeriodChosen) {
    writeFile(path("HISTORY.CSV"), kHistory);
    // Each row: the period, and the words of the list written.
    const struct {
        hc::PracticePeriod period;
        const char* words;
    } rows[] = {
        {hc::PracticePeriod::ThisWeek, "they\r\nwas\r\n"}, // both missed once that day
        {hc::PracticePeriod::LastFourWeeks, "was\r\nthey\r\ncaf\xE9\r\nsaid\r\n"},
        {hc::PracticePeriod::All, "was\r\nthey\r\ncaf\xE9\r\nsaid\r\n"},
    };
    for (const auto& row : rows) {
        std::filesystem::remove(path("CLASS.TXT"));
        hc::makeClassWordList(
            application(), nullptr, "USERS.ERF",
            [&](QWidget*, hc::PracticePeriod& period) {
                period = row.period;
                return true;
            },
            [this](QWidget*, const QString&, const QString&) {
                return QString::fromStdString(path("CLASS.TXT"));
            },
            "2026-03-04");
        EXPECT_EQ(readFile(path("CLASS.TXT")), row.words);
    }
    EXPECT_EQ(hc::periodStart(hc::PracticePeriod::LastFourWeeks, "2026-03-04"), "2026-02-09");
}

TEST_F(ProgressViewTest, AHistoryThatCannotBeReadIsReported) {
    std::filesystem::create_directory(path("HISTORY.CSV"));
    hc::TProgressView view(application(), "USERS.ERF", "Ann");
    try {
        view.FormCreate();
        ADD_FAILURE() << "no error";
    } catch (const hc::Error& error) {
        EXPECT_NE(std::string(error.what()).find("Can't read the results history"),
                  std::string::npos)
            << error.what();
    }
}

} // namespace
