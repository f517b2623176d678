#include "student/progress/report_card.h"

#include "content/pictures.h"
#include "datafiles/text_codec.h"
#include "datafiles/user_file.h"
#include "platform/desktop/print_job.h"
#include "platform/desktop/printing.h"
#include "student/shell/program_state.h"
#include "student/shell/screen_kit.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <array>

namespace hc::student {
namespace {

// The card's rectangles, in drawing order; the labels lie on top of them.
struct Shape {
    const char* name;
    QRect rect;
    bool filled; // white, or silver for the card itself
    bool outlined;
    QColor fill;
};

const std::array<Shape, 7> kShapes = {{
    {"Shape1", QRect(8, 8, 385, 209), true, true, kSilver},
    {"Shape4", QRect(312, 64, 73, 145), true, false, Qt::white},
    {"Shape3", QRect(16, 64, 369, 121), true, false, Qt::white},
    {"Shape6", QRect(16, 88, 369, 25), false, true, {}},
    {"Shape2", QRect(16, 32, 369, 1), true, false, Qt::black},
    {"Shape5", QRect(16, 136, 369, 25), false, true, {}},
    {"Shape7", QRect(312, 64, 73, 145), false, true, {}},
}};

// Panel1: the card drawn with its rectangles.
class CardPanel final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        for (const Shape& shape : kShapes) {
            // A rectangle of w x h pixels with a 1-pixel outline covers exactly w x h pixels.
            if (shape.filled) {
                painter.fillRect(shape.rect, shape.fill);
            }
            if (shape.outlined) {
                painter.setPen(QPen(Qt::black, 0));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(shape.rect.adjusted(0, 0, -1, -1));
            }
        }
    }
};

QLabel* cardLabel(QWidget* parent, const char* name, QRect rect, Qt::Alignment alignment,
                  bool whiteBackground) {
    auto* label = place(new QLabel(parent), name, rect);
    label->setFont(arialFont(15, true));
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setTextFormat(Qt::PlainText);
    if (whiteBackground) {
        label->setAutoFillBackground(true);
        QPalette white = label->palette();
        white.setColor(QPalette::Window, Qt::white);
        label->setPalette(white);
    }
    return label;
}

QString percentText(float value) {
    return QString::asprintf("%.2f%%", static_cast<double>(hc::shownScore(value)));
}

// The score column is wide enough for every score from "0.00%" to "100.00%" in the card's
// bold 15-pixel Arial (about 60 pixels for the widest), with room to spare at any scale.
constexpr int kScoreLeft = 316;
constexpr int kScoreWidth = 65;
constexpr int kCaptionWidth = 285; // the captions end before the score column

// Shows `value` in a score box; its accessible name says what the score is and the score.
void showScore(QLabel& box, const QString& caption, float value) {
    box.setText(percentText(value));
    box.setAccessibleName(caption + QStringLiteral(": ") + box.text());
}

} // namespace

TReportCard::TReportCard(ProgramState& program, QWidget* parent)
    : QDialog(parent), m_program(program) {
    setObjectName(QStringLiteral("ReportCard"));
    setUpWindow(*this, QStringLiteral("Report Card"), QSize(401, 257), WindowKind::Frameless);
    setModal(true);
    setFont(systemFont());

    auto* panel = place(new CardPanel(this), "Panel1", QRect(0, 0, 401, 257));
    m_titleLbl = cardLabel(panel, "TitleLbl", QRect(16, 16, 369, 15), Qt::AlignLeft, false);
    m_titleLbl->setText(QStringLiteral("Report Card for %s"));
    m_progRunsLbl = cardLabel(panel, "ProgRunsLbl", QRect(16, 40, 369, 15), Qt::AlignLeft, false);
    m_progRunsLbl->setText(QStringLiteral("You have played %d times"));
    cardLabel(panel, "Label1", QRect(24, 69, kCaptionWidth, 15), Qt::AlignLeft, true)
        ->setText(QStringLiteral("Spelling Test"));
    cardLabel(panel, "Label2", QRect(24, 93, kCaptionWidth, 15), Qt::AlignLeft, true)
        ->setText(QStringLiteral("Phonogram Puzzle"));
    cardLabel(panel, "Label3", QRect(24, 189, kCaptionWidth, 15), Qt::AlignRight, false)
        ->setText(QStringLiteral("Weighted Average:"));
    m_scoreBox = cardLabel(panel, "ScoreBox", QRect(kScoreLeft, 189, kScoreWidth, 15),
                           Qt::AlignHCenter, true);
    m_spellTestBox = cardLabel(panel, "SpellTestBox", QRect(kScoreLeft, 69, kScoreWidth, 15),
                               Qt::AlignHCenter, true);
    m_phonoPuzBox = cardLabel(panel, "PhonoPuzBox", QRect(kScoreLeft, 93, kScoreWidth, 15),
                              Qt::AlignHCenter, true);

    m_printBtn = place(new QPushButton(QStringLiteral("Print"), panel), "PrintBtn",
                       QRect(230, 224, 75, 25));
    m_printBtn->setIcon(QIcon(QString::fromLatin1(hc::pictures::kPrint)));
    m_printBtn->setAutoDefault(false);
    m_okBtn = place(new QPushButton(QStringLiteral("OK"), panel), "OkBtn", QRect(318, 224, 75, 25));
    m_okBtn->setDefault(true);
    m_okBtn->setFocus();
    connect(m_printBtn, &QPushButton::clicked, this, &TReportCard::PrintBtnClick);
    connect(m_okBtn, &QPushButton::clicked, this, &QDialog::accept);
}

TReportCard::~TReportCard() = default;

void TReportCard::FormCreate() {
    // Whatever the reload gives: after a failure the card shows what the program last held.
    UserFileFind(m_program.currentUserFile(), m_program.currentUserName());

    // A long name is cut with an ellipsis to the label's width, never past it.
    const QString title =
        QStringLiteral("Report Card for ") +
        QString::fromStdString(hc::cp1252ToUtf8(m_program.currentUserName()));
    m_titleLbl->setText(
        m_titleLbl->fontMetrics().elidedText(title, Qt::ElideRight, m_titleLbl->width()));
    m_titleLbl->setAccessibleName(title);
    m_progRunsLbl->setText(QStringLiteral("You have played %1 times").arg(CurrentUser.ProgramRuns));
    showScore(*m_spellTestBox, QStringLiteral("Spelling Test average"), CurrentUser.SpellAverage);
    showScore(*m_phonoPuzBox, QStringLiteral("Phonogram Puzzle average"),
              CurrentUser.PhonoAverage);
    showScore(*m_scoreBox, QStringLiteral("Weighted Average"), CurrentUser.Score);
}

void TReportCard::PrintBtnClick() {
    const QString name = QString::fromStdString(hc::cp1252ToUtf8(m_program.currentUserName()));
    const QString title = QStringLiteral("Report Card for ") + name;
    // A name is no folder: a slash in it does not end up in the suggested file name.
    QString fileName = title + QStringLiteral(".pdf");
    fileName.replace(QLatin1Char('/'), QLatin1Char('-'));
    hc::printOrSavePdf(this, title, fileName,
                       [this, &title](QPrinter& printer) { hc::printWidget(*this, title, printer); });
}

} // namespace hc::student
