#include "options/progress_chart.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>

namespace hc {

namespace {

const QColor kSpellingColour(31, 95, 191); // blue
const QColor kPuzzleColour(217, 115, 13);  // orange
const QColor kGridColour(215, 215, 215);

} // namespace

QString activityName(HistoryActivity activity) {
    return activity == HistoryActivity::Spelling ? QStringLiteral("Spelling test")
                                                 : QStringLiteral("Phonogram puzzle");
}

std::vector<ChartPoint> chartPoints(const std::vector<ProgressPoint>& points) {
    std::vector<ChartPoint> chart;
    chart.reserve(points.size());
    for (const HistoryActivity activity : {HistoryActivity::Spelling, HistoryActivity::Phonogram}) {
        std::vector<int> values;
        std::vector<const ProgressPoint*> ofActivity;
        for (const ProgressPoint& point : points) {
            if (point.activity == activity) {
                values.push_back(point.percent);
                ofActivity.push_back(&point);
            }
        }
        const std::vector<double> averages = movingAverage(values, kAverageOf);
        for (std::size_t i = 0; i < ofActivity.size(); ++i) {
            ChartPoint point;
            point.when =
                QDateTime::fromString(QString::fromStdString(ofActivity[i]->time), Qt::ISODate);
            point.date = QString::fromStdString(ofActivity[i]->time.substr(0, 10));
            point.activity = activity;
            point.percent = ofActivity[i]->percent;
            point.average = averages[i];
            chart.push_back(point);
        }
    }
    // In time order for the table; a time the history could not give keeps its place last.
    std::stable_sort(chart.begin(), chart.end(), [](const ChartPoint& a, const ChartPoint& b) {
        return a.when.isValid() && (!b.when.isValid() || a.when < b.when);
    });
    return chart;
}

TProgressChart::TProgressChart(QWidget* parent) : QWidget(parent) {
    setObjectName("ProgressChart");
    setAccessibleName(QStringLiteral("Progress chart"));
    setAccessibleDescription(
        QStringLiteral("Per cent right by date; the table Chart as a table lists every point"));
    setAutoFillBackground(false);
}

void TProgressChart::setPoints(std::vector<ChartPoint> points) {
    m_points = std::move(points);
    update();
}

void TProgressChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QColor(160, 160, 160));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    const QRectF plot(QPointF(44, 30), QPointF(width() - 14, height() - 26));
    const QFontMetrics metrics(font());

    // The legend: the two activities and what the broad lines are.
    qreal x = plot.left();
    const qreal legendY = 15;
    for (const HistoryActivity activity : {HistoryActivity::Spelling, HistoryActivity::Phonogram}) {
        const QColor colour =
            activity == HistoryActivity::Spelling ? kSpellingColour : kPuzzleColour;
        painter.setPen(QPen(colour, 1.5));
        painter.setBrush(colour);
        if (activity == HistoryActivity::Spelling) {
            painter.drawEllipse(QPointF(x + 4, legendY), 3.5, 3.5);
        } else {
            painter.drawRect(QRectF(x + 0.5, legendY - 3.5, 7, 7));
        }
        painter.setPen(Qt::black);
        const QString name = activityName(activity);
        painter.drawText(QPointF(x + 12, legendY + metrics.ascent() / 2.0 - 1), name);
        x += 12 + metrics.horizontalAdvance(name) + 18;
    }
    painter.setPen(QPen(QColor(90, 90, 90), 3));
    painter.drawLine(QPointF(x, legendY), QPointF(x + 18, legendY));
    painter.setPen(Qt::black);
    painter.drawText(QPointF(x + 24, legendY + metrics.ascent() / 2.0 - 1),
                     QString("Average of the last %1").arg(kAverageOf));

    // The per cent axis and its grid.
    for (int percent = 0; percent <= 100; percent += 25) {
        const qreal y = plot.bottom() - plot.height() * percent / 100.0;
        painter.setPen(QPen(kGridColour, 1));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        const QString label = QString("%1 %").arg(percent);
        painter.drawText(QRectF(0, y - 8, plot.left() - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                         label);
    }

    std::vector<const ChartPoint*> drawn;
    for (const ChartPoint& point : m_points) {
        if (point.when.isValid()) {
            drawn.push_back(&point);
        }
    }
    if (drawn.empty()) {
        painter.setPen(Qt::black);
        painter.drawText(plot, Qt::AlignCenter,
                         QStringLiteral("No spelling test or puzzle recorded yet"));
        return;
    }
    const qint64 first = drawn.front()->when.toSecsSinceEpoch();
    const qint64 last = drawn.back()->when.toSecsSinceEpoch();
    const auto xOf = [&](const ChartPoint& point) {
        if (last == first) {
            return plot.center().x();
        }
        return plot.left() + 6 +
               (plot.width() - 12) * static_cast<double>(point.when.toSecsSinceEpoch() - first) /
                   static_cast<double>(last - first);
    };
    const auto yOf = [&](double percent) {
        return plot.bottom() - plot.height() * percent / 100.0;
    };

    // The dates under the axis: the first, the last, and the middle when there is room.
    painter.setPen(Qt::black);
    const QRectF dateBand(plot.left(), plot.bottom() + 4, plot.width(), 18);
    painter.drawText(dateBand, Qt::AlignLeft | Qt::AlignTop, drawn.front()->date);
    if (last != first) {
        painter.drawText(dateBand, Qt::AlignRight | Qt::AlignTop, drawn.back()->date);
        const ChartPoint* middle = drawn[drawn.size() / 2];
        if (middle->date != drawn.front()->date && middle->date != drawn.back()->date) {
            const qreal middleX = xOf(*middle);
            painter.drawText(QRectF(middleX - 40, dateBand.top(), 80, 18), Qt::AlignHCenter,
                             middle->date);
        }
    }

    for (const HistoryActivity activity : {HistoryActivity::Spelling, HistoryActivity::Phonogram}) {
        const QColor colour =
            activity == HistoryActivity::Spelling ? kSpellingColour : kPuzzleColour;
        QPainterPath values;
        QPainterPath averages;
        std::vector<QPointF> markers;
        for (const ChartPoint* point : drawn) {
            if (point->activity != activity) {
                continue;
            }
            const QPointF at(xOf(*point), yOf(point->percent));
            const QPointF mean(at.x(), yOf(point->average));
            if (markers.empty()) {
                values.moveTo(at);
                averages.moveTo(mean);
            } else {
                values.lineTo(at);
                averages.lineTo(mean);
            }
            markers.push_back(at);
        }
        QColor faint = colour;
        faint.setAlpha(110);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(faint, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(averages);
        painter.setPen(QPen(colour, 1.2));
        painter.drawPath(values);
        painter.setBrush(colour);
        for (const QPointF& at : markers) {
            if (activity == HistoryActivity::Spelling) {
                painter.drawEllipse(at, 3.5, 3.5);
            } else {
                painter.drawRect(QRectF(at.x() - 3.5, at.y() - 3.5, 7, 7));
            }
        }
    }
}

namespace {

QPixmap iconCanvas() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QIcon progressIcon() {
    QPixmap pixmap = iconCanvas();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 4));
    painter.drawLine(8, 6, 8, 56);
    painter.drawLine(8, 56, 58, 56);
    painter.setPen(QPen(kSpellingColour, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF line[] = {{14, 44}, {26, 32}, {38, 38}, {54, 14}};
    painter.drawPolyline(line, 4);
    return QIcon(pixmap);
}

QIcon wordListIcon() {
    QPixmap pixmap = iconCanvas();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 3));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(12, 4, 40, 56));
    painter.setPen(QPen(kSpellingColour, 4, Qt::SolidLine, Qt::RoundCap));
    for (int y = 16; y <= 48; y += 10) {
        painter.drawLine(20, y, 44, y);
    }
    return QIcon(pixmap);
}

} // namespace hc
