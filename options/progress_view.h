#pragma once

// The teacher's view of one child's progress from the results history, and the practice word
// lists made from the words missed (one child's, or the whole class's).

#include "datafiles/history.h"
#include "options/progress_chart.h"

#include <QDialog>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace hc {

class Application;

// Asks where a new word list goes: the parent, the dialog's title and the suggested path;
// returns the chosen path or an empty text for Cancel. The view uses the real save dialog;
// tests put their own answer in its place.
using SaveListDialog =
    std::function<QString(QWidget* parent, const QString& title, const QString& suggested)>;

// The periods a class's practice list can cover.
enum class PracticePeriod { ThisWeek, LastFourWeeks, All };
// Asks for the period of a class's list; false for Cancel. Tests answer in its place.
using PeriodDialog = std::function<bool(QWidget* parent, PracticePeriod& period)>;

// The first local date a period keeps ("YYYY-MM-DD"; empty for all), for the day `today`.
std::string periodStart(PracticePeriod period, std::string_view today);

// Writes `words` (UTF-8) to a word list at `path` (native) in the word list's own format
// (Windows-1252, or UTF-8 when a word has a character beyond it), and returns the sentence that
// tells the teacher what was written and how to use it. Raises the word list's message when the
// file cannot be written.
QString writePracticeList(const std::vector<std::string>& words, const QString& path);

// The progress view of one child: the chart, its text alternative (the table of its points),
// the totals and the words to practise, with Print and "Make word list…". Opened from the Users
// page for the selected child, over the history beside the user file the page shows.
//
// Construction builds the controls; FormCreate() reads the history and raises its message when
// it cannot be read (a history not there yet is an empty view, not an error).
class TProgressView : public QDialog {
public:
    static constexpr const char* kJobTitle = "Honeycombwordsmiths Progress";
    static constexpr const char* kPdfFileName = "Honeycombwordsmiths Progress.pdf";

    // `storedUserFile`: the user file's path as the settings store it; `storedName`: the child's
    // name as the user file stores it. `today` ("YYYY-MM-DD", empty for the real day) sets the
    // week the totals compare.
    TProgressView(Application& application, const std::string& storedUserFile,
                  const std::string& storedName, QWidget* parent = nullptr, std::string today = {});

    void FormCreate();

    void PrintBtnClick();
    void MakeListBtnClick();

    void setSaveDialog(SaveListDialog dialog);

    const std::vector<PractiseWord>& words() const { return m_words; }
    TProgressChart& chart() const { return *m_chart; }
    // The page Print prints: a white form, laid out but never on the screen, with the title,
    // the chart, the totals and as many words to practise as fit (then how many more there are).
    std::unique_ptr<QWidget> makePrintPage() const;

private:
    void traceView(std::chrono::steady_clock::time_point started) const;

    Application& m_application;
    std::string m_userFile; // native
    std::string m_user;     // UTF-8
    std::string m_today;
    SaveListDialog m_saveDialog;
    std::vector<PractiseWord> m_words;
    ProgressTotals m_totals;
    int m_damaged = 0;

    QLabel* m_titleLbl = nullptr;
    TProgressChart* m_chart = nullptr;
    QLabel* m_totalsLbl = nullptr;
    QTreeWidget* m_practiseList = nullptr;
    QTreeWidget* m_pointsList = nullptr;
    QPushButton* m_printBtn = nullptr;
    QPushButton* m_makeListBtn = nullptr;
    QPushButton* m_closeBtn = nullptr;
};

// "Make word list…" of the Users page: asks the period, reads the class's history beside
// `storedUserFile`, asks where the list goes and writes the words no child has mastered yet.
// Tells the teacher what was written; raises a file's message when it cannot be read or written.
void makeClassWordList(Application& application, QWidget* parent, const std::string& storedUserFile,
                       const PeriodDialog& askPeriod, const SaveListDialog& askFile,
                       std::string today = {});

// The real dialogs.
QString askListFile(QWidget* parent, const QString& title, const QString& suggested);
bool askPeriod(QWidget* parent, PracticePeriod& period);

} // namespace hc
