#include "options/progress_view.h"

#include "archive/error.h"
#include "datafiles/file_ops.h"
#include "datafiles/text_codec.h"
#include "datafiles/word_list.h"
#include "options/form_support.h"
#include "platform/desktop/application.h"
#include "platform/desktop/message_box.h"
#include "platform/desktop/print_job.h"
#include "platform/desktop/printing.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>

namespace hc {

namespace {

constexpr const char* kCaption = kOptionsFormCaption;

// The layout of the view, in logical pixels.
constexpr QSize kViewSize(640, 600);
constexpr QRect kTitleRect(10, 8, 620, 20);
constexpr QRect kChartRect(10, 32, 620, 230);
constexpr QRect kTotalsRect(10, 266, 620, 36);
constexpr QRect kPractiseLblRect(10, 306, 300, 18);
constexpr QRect kPractiseRect(10, 324, 300, 232);
constexpr QRect kPointsLblRect(320, 306, 310, 18);
constexpr QRect kPointsRect(320, 324, 310, 232);
constexpr QRect kPrintBtnRect(10, 566, 81, 25);
constexpr QRect kMakeListBtnRect(100, 566, 121, 25);
constexpr QRect kCloseBtnRect(549, 566, 81, 25);

// The printed page: the title, the chart, the totals and as many words as fit.
constexpr QSize kPageSize(560, 790);

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

std::string todayText() {
    return historyTimeNow().substr(0, 10);
}

QString rightSinceText(const PractiseWord& word) {
    if (word.rightSince == 0) {
        return QStringLiteral("No");
    }
    const QString times =
        word.rightSince == 1 ? QStringLiteral("Once") : QString("%1 times").arg(word.rightSince);
    return word.mastered() ? times + QStringLiteral(", mastered") : times;
}

QString percentText(int percent) {
    return percent < 0 ? QStringLiteral("no words") : QString("%1 %").arg(percent);
}

QString totalsText(const ProgressTotals& totals, int damaged) {
    QString text = QString("Spelling tests: %1     Puzzles: %2     Words answered: %3, %4 right")
                       .arg(totals.tests)
                       .arg(totals.puzzles)
                       .arg(totals.wordsAnswered)
                       .arg(totals.wordsRight);
    text += QString("\nRight this week: %1     In the four weeks before: %2")
                .arg(percentText(totals.percentThisWeek), percentText(totals.percentPreviousFour));
    if (damaged > 0) {
        text += QString("     (%1 damaged lines of the history skipped)").arg(damaged);
    }
    return text;
}

QTreeWidget* makeList(QWidget* parent, const char* name, const QString& accessibleName,
                      const QStringList& captions, const std::vector<int>& widths) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setAccessibleName(accessibleName);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setAllColumnsShowFocus(true);
    list->header()->setSectionsClickable(false);
    list->header()->setStretchLastSection(false);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setHeaderLabels(captions);
    for (std::size_t c = 0; c < widths.size(); ++c) {
        list->setColumnWidth(static_cast<int>(c), widths[c]);
    }
    return list;
}

void fillPractiseList(QTreeWidget& list, const std::vector<PractiseWord>& words, int limit) {
    list.clear();
    QList<QTreeWidgetItem*> items;
    for (const PractiseWord& word : words) {
        if (items.size() == limit) {
            break;
        }
        auto* item =
            new QTreeWidgetItem({fromUtf8(word.word), QString::number(word.missed),
                                 fromUtf8(word.lastMissed.substr(0, 10)), rightSinceText(word)});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        items.append(item);
    }
    list.addTopLevelItems(items);
}

// A white label on the print page whose text wraps.
QLabel* pageLabel(QWidget& page, const QString& text, QRect geometry, bool bold = false) {
    auto* label = new QLabel(text, &page);
    label->setGeometry(geometry);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QString suggestedListPath(const std::string& userFile, const QString& fileName) {
    const std::string folder = historyPathFor(userFile);
    const std::size_t slash = folder.find_last_of('/');
    return fromUtf8(slash == std::string::npos ? std::string() : folder.substr(0, slash + 1)) +
           fileName;
}

} // namespace

std::string periodStart(PracticePeriod period, std::string_view today) {
    switch (period) {
    case PracticePeriod::ThisWeek:
        return weekStart(today);
    case PracticePeriod::LastFourWeeks:
        return addDays(weekStart(today), -21);
    case PracticePeriod::All:
        return {};
    }
    return {};
}

QString writePracticeList(const std::vector<std::string>& words, const QString& path) {
    // The program's own format when every word fits it; a word beyond Windows-1252 (from a list
    // an editor wrote in UTF-8) makes the whole list UTF-8, which the programs read as well.
    std::vector<std::string> stored;
    WordListEncoding encoding = WordListEncoding::Windows1252;
    for (const std::string& word : words) {
        const Cp1252Encoding encoded = utf8ToCp1252(word);
        if (!encoded.ok()) {
            encoding = WordListEncoding::Utf8;
            stored = words;
            break;
        }
        stored.push_back(encoded.bytes);
    }
    const std::string native = path.toStdString();
    const WordListSaveResult saved = saveWordList(FileOps::system(), native, stored, encoding);
    if (saved != WordListSaveResult::Ok) {
        throw Error(wordListSaveMessage(saved, native));
    }
    return QString("The word list %1 was written with %2 words to practise. To use it, choose it "
                   "as the Word List file on the Directories page.")
        .arg(path)
        .arg(stored.size());
}

TProgressView::TProgressView(Application& application, const std::string& storedUserFile,
                             const std::string& storedName, QWidget* parent, std::string today)
    : QDialog(parent), m_application(application), m_userFile(nativePath(storedUserFile)),
      m_user(cp1252ToUtf8(storedName)), m_today(today.empty() ? todayText() : std::move(today)),
      m_saveDialog(askListFile) {
    setObjectName("ProgressView");
    setWindowTitle(QString("Progress of %1").arg(fromUtf8(m_user)));
    setFont(systemFont());
    setFixedSize(kViewSize);

    m_titleLbl = place(new QLabel(QString("Progress of %1").arg(fromUtf8(m_user)), this),
                       "TitleLbl", kTitleRect);
    QFont bold = m_titleLbl->font();
    bold.setBold(true);
    m_titleLbl->setFont(bold);
    m_chart = new TProgressChart(this);
    m_chart->setGeometry(kChartRect);
    m_totalsLbl = place(new QLabel(this), "TotalsLbl", kTotalsRect, QStringLiteral("Totals"));
    auto* practiseLbl = place(new QLabel(QStringLiteral("Words to practise"), this), "PractiseLbl",
                              kPractiseLblRect);
    m_practiseList = makeList(this, "PractiseList", QStringLiteral("Words to practise"),
                              {QStringLiteral("Word"), QStringLiteral("Missed"),
                               QStringLiteral("Last missed"), QStringLiteral("Right since")},
                              {80, 46, 78, 94});
    m_practiseList->setGeometry(kPractiseRect);
    practiseLbl->setBuddy(m_practiseList);
    auto* pointsLbl =
        place(new QLabel(QStringLiteral("Chart as a table"), this), "PointsLbl", kPointsLblRect);
    m_pointsList = makeList(this, "PointsList", QStringLiteral("Chart as a table"),
                            {QStringLiteral("Date"), QStringLiteral("Activity"),
                             QStringLiteral("Per cent"), QStringLiteral("Average")},
                            {76, 104, 56, 62});
    m_pointsList->setGeometry(kPointsRect);
    pointsLbl->setBuddy(m_pointsList);

    m_printBtn = place(new QPushButton(QStringLiteral("Print"), this), "PrintBtn", kPrintBtnRect);
    m_makeListBtn = place(new QPushButton(QStringLiteral("Make word list…"), this), "MakeListBtn",
                          kMakeListBtnRect);
    m_closeBtn = place(new QPushButton(QStringLiteral("Close"), this), "CloseBtn", kCloseBtnRect);
    m_closeBtn->setDefault(true);
    connect(m_printBtn, &QPushButton::clicked, this,
            [this] { m_application.guard([this] { PrintBtnClick(); }); });
    connect(m_makeListBtn, &QPushButton::clicked, this,
            [this] { m_application.guard([this] { MakeListBtnClick(); }); });
    connect(m_closeBtn, &QPushButton::clicked, this, &QDialog::accept);
}

void TProgressView::setSaveDialog(SaveListDialog dialog) {
    m_saveDialog = dialog ? std::move(dialog) : SaveListDialog(askListFile);
}

void TProgressView::FormCreate() {
    const auto started = std::chrono::steady_clock::now();
    History history(FileOps::system(), historyPathFor(m_userFile));
    HistoryContents contents;
    const HistoryStatus status = history.read({m_user, ""}, contents);
    if (status != HistoryStatus::Ok && status != HistoryStatus::NoFile) {
        throw Error(historyMessage(status, history.path()));
    }
    m_damaged = contents.damaged;
    m_words = wordsToPractise(contents.entries);
    m_totals = progressTotals(contents.entries, m_today);
    m_chart->setPoints(chartPoints(progressPoints(contents.entries)));
    m_totalsLbl->setText(totalsText(m_totals, m_damaged));
    fillPractiseList(*m_practiseList, m_words, -1);
    m_pointsList->clear();
    // Added in one step: a child's years of tests are thousands of rows.
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(m_chart->points().size()));
    for (const ChartPoint& point : m_chart->points()) {
        auto* item = new QTreeWidgetItem({point.date, activityName(point.activity),
                                          QString("%1 %").arg(point.percent),
                                          QString("%1 %").arg(point.average, 0, 'f', 0)});
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        items.append(item);
    }
    m_pointsList->addTopLevelItems(items);
    m_makeListBtn->setEnabled(!practiceList(m_words).empty());
    traceView(started);
}

void TProgressView::traceView(std::chrono::steady_clock::time_point started) const {
    // A measuring and driving aid, on with HC_TRACE=1 as the student program's: what the view
    // shows, for the end-to-end run that cannot read the screen, and how long it took to fill.
    if (!traceRequested()) {
        return;
    }
    for (const ChartPoint& point : m_chart->points()) {
        std::fprintf(stderr, "trace progress point %s %s %d\n", point.date.toUtf8().constData(),
                     point.activity == HistoryActivity::Spelling ? "spelling" : "phonogram",
                     point.percent);
    }
    for (const PractiseWord& word : m_words) {
        std::fprintf(stderr, "trace progress word %s %d %d\n", word.word.c_str(), word.missed,
                     word.rightSince);
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    std::fprintf(stderr, "trace progress ready %lld ms\n", static_cast<long long>(took.count()));
}

std::unique_ptr<QWidget> TProgressView::makePrintPage() const {
    auto made = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint);
    QWidget& page = *made;
    setUpPrintPage(page, "ProgressPrintForm", "Progress", kPageSize);
    page.setAttribute(Qt::WA_DontShowOnScreen);
    const int width = page.width() - 40;
    pageLabel(page, m_titleLbl->text() + QString(" (%1)").arg(fromUtf8(m_today)),
              QRect(20, 20, width, 20), true);
    auto* chart = new TProgressChart(&page);
    chart->setFont(page.font());
    chart->setGeometry(20, 46, width, 250);
    chart->setPoints(m_chart->points());
    pageLabel(page, m_totalsLbl->text(), QRect(20, 304, width, 44));
    pageLabel(page, QStringLiteral("Words to practise"), QRect(20, 352, width, 18), true);
    auto* list = makeList(&page, "PractiseList", QStringLiteral("Words to practise"),
                          {QStringLiteral("Word"), QStringLiteral("Missed"),
                           QStringLiteral("Last missed"), QStringLiteral("Right since")},
                          {200, 70, 110, 140});
    list->setFrameShape(QFrame::NoFrame);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setGeometry(20, 372, width, page.height() - 372 - 40);
    // One page: as many words as fit, the most urgent first, and how many more there are. The
    // page is shown (off the screen) first, so that the list has its rows' real height.
    fillPractiseList(*list, m_words, -1);
    page.show();
    const int rowHeight =
        list->topLevelItemCount() > 0 ? list->visualItemRect(list->topLevelItem(0)).height() : 1;
    const int fit = std::max(1, list->viewport()->height() / std::max(1, rowHeight));
    const int total = static_cast<int>(m_words.size());
    if (total > fit) {
        fillPractiseList(*list, m_words, fit - 1);
        pageLabel(page, QString("… and %1 more words").arg(total - (fit - 1)),
                  QRect(20, page.height() - 36, width, 18))
            ->show();
    }
    return made;
}

void TProgressView::PrintBtnClick() {
    const std::unique_ptr<QWidget> page = makePrintPage();
    printOrSavePdf(this, kJobTitle, kPdfFileName, [&page](QPrinter& printer) {
        PicturePages job(printer, kJobTitle);
        job.add(printablePicture(*page), page->size());
        job.finish();
    });
}

void TProgressView::MakeListBtnClick() {
    const std::vector<std::string> words = practiceList(m_words);
    if (words.empty()) {
        showMessage(m_application.messageBoxes(), QStringLiteral("There are no words to practise"),
                    kCaption, MessageIcon::Information);
        return;
    }
    const QString path = m_saveDialog(
        this, QStringLiteral("Make word list"),
        suggestedListPath(m_userFile, QString("PRACTICE %1.TXT").arg(fromUtf8(m_user))));
    if (path.isEmpty()) {
        return;
    }
    showMessage(m_application.messageBoxes(), writePracticeList(words, path), kCaption,
                MessageIcon::Information);
}

void makeClassWordList(Application& application, QWidget* parent, const std::string& storedUserFile,
                       const PeriodDialog& askPeriod, const SaveListDialog& askFile,
                       std::string today) {
    PracticePeriod period = PracticePeriod::ThisWeek;
    if (!askPeriod(parent, period)) {
        return;
    }
    if (today.empty()) {
        today = todayText();
    }
    const std::string userFile = nativePath(storedUserFile);
    History history(FileOps::system(), historyPathFor(userFile));
    HistoryContents contents;
    const HistoryStatus status = history.read({"", periodStart(period, today)}, contents);
    if (status != HistoryStatus::Ok && status != HistoryStatus::NoFile) {
        throw Error(historyMessage(status, history.path()));
    }
    const std::vector<std::string> words = practiceList(wordsToPractise(contents.entries));
    if (words.empty()) {
        showMessage(application.messageBoxes(),
                    QStringLiteral("There are no words to practise in that period"), kCaption,
                    MessageIcon::Information);
        return;
    }
    const QString path = askFile(parent, QStringLiteral("Make word list"),
                                 suggestedListPath(userFile, QStringLiteral("PRACTICE.TXT")));
    if (path.isEmpty()) {
        return;
    }
    showMessage(application.messageBoxes(), writePracticeList(words, path), kCaption,
                MessageIcon::Information);
}

QString askListFile(QWidget* parent, const QString& title, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, title, suggested,
                                        QStringLiteral("Word lists (*.TXT *.txt);;All files (*)"));
}

bool askPeriod(QWidget* parent, PracticePeriod& period) {
    const QStringList periods = {QStringLiteral("This week"), QStringLiteral("The last four weeks"),
                                 QStringLiteral("All")};
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, QStringLiteral("Make word list"),
                                                 QStringLiteral("The class's missed words of:"),
                                                 periods, 0, false, &ok);
    if (!ok) {
        return false;
    }
    period = static_cast<PracticePeriod>(std::max<qsizetype>(0, periods.indexOf(chosen)));
    return true;
}

} // namespace hc
