#pragma once
#include <QString>
#include <QtCharts/QChart>
#include <vector>

#include "workbook/day_series.h"

QT_BEGIN_NAMESPACE
class QLineSeries;
class QValueAxis;
class QCategoryAxis;
QT_END_NAMESPACE

namespace tallomer {

// The Trends chart: one series of the statistics sheet over days, a point per day with its
// 7-day and 30-day means, dates along the bottom at round days, months or years. The Trends
// window shows it and tallomer-chart draws it into a file.
class TrendsChart : public QChart {
    Q_OBJECT
public:
    TrendsChart();

    // Draws `kind` for the days from..to (days since 1970-01-01) of `daily` (dailyTotals).
    void draw(const std::vector<DayFigures>& daily, SeriesKind kind, std::int32_t from, std::int32_t to);

    QLineSeries* dayLine() const { return day_; }
    const std::vector<SeriesPoint>& points() const { return points_; }

    // The chart drawn at `size` pixels into a PNG or SVG file, by the path's extension. False
    // with `error` saying why when the file cannot be written.
    bool save(const QString& path, QSize size, QString* error);

private:
    void setDateTicks(std::int32_t from, std::int32_t to);

    QLineSeries* day_;
    QLineSeries* mean7_;
    QLineSeries* mean30_;
    QCategoryAxis* dates_;
    QValueAxis* values_;
    std::vector<SeriesPoint> points_;
};

// Tick days for a range: the smallest of a day, 2 days, a week, 2 weeks, 1, 2, 3 or 6 months,
// 1, 2, 5, 10, 20, 50 or 100 years that gives at most `most` ticks, each on a round date
// (a Monday, the first of a month, the first of January), with its label.
struct DateTick {
    std::int32_t day;
    QString label;
};
std::vector<DateTick> dateTicks(std::int32_t from, std::int32_t to, int most = 10);

}  // namespace tallomer
