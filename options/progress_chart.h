#pragma once

// The chart of a child's progress from the results history, its points, and the Users page's
// tool button pictures drawn in the chart's colours.

#include "datafiles/history.h"

#include <QDateTime>
#include <QIcon>
#include <QString>
#include <QWidget>

#include <vector>

namespace hc {

// The activity's name as the chart's legend and its table give it.
QString activityName(HistoryActivity activity);

// One point of the chart as drawn: when, which activity, its per cent and the moving average of
// its activity at that point.
struct ChartPoint {
    QDateTime when;
    QString date; // the local date the history gives, "YYYY-MM-DD"
    HistoryActivity activity = HistoryActivity::Spelling;
    int percent = 0;
    double average = 0;
};

// The chart points of a child's progress, averaged over the last kAverageOf of each activity.
inline constexpr int kAverageOf = 5;
std::vector<ChartPoint> chartPoints(const std::vector<ProgressPoint>& points);

// The line chart of a child's per cent by date: spelling tests and puzzles each in their own
// colour and marker (blue circles, orange squares, so that the two differ without colour too),
// each with its moving average as a broader line. Drawn with QPainter in logical pixels, so it is
// as sharp at any scale and prints as drawn.
class TProgressChart : public QWidget {
public:
    explicit TProgressChart(QWidget* parent = nullptr);
    void setPoints(std::vector<ChartPoint> points);
    const std::vector<ChartPoint>& points() const { return m_points; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<ChartPoint> m_points;
};

// The Users page's tool button pictures, drawn here: a small line chart, and a page of lines.
QIcon progressIcon();
QIcon wordListIcon();

} // namespace hc
