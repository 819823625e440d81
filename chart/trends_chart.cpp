#include "chart/trends_chart.h"

#include <algorithm>
#include <chrono>

#include <QFileInfo>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

namespace tallomer {

TrendsChart::TrendsChart()
    : day_(new QLineSeries),
      mean7_(new QLineSeries),
      mean30_(new QLineSeries),
      dates_(new QCategoryAxis),
      values_(new QValueAxis) {
    day_->setName(QStringLiteral("Day"));
    mean7_->setName(QStringLiteral("7-day mean"));
    mean30_->setName(QStringLiteral("30-day mean"));
    day_->setPen(QPen(QColor(150, 170, 200), 1));
    mean7_->setPen(QPen(QColor(30, 90, 200), 1.5));
    mean30_->setPen(QPen(QColor(210, 80, 20), 2));
    addAxis(dates_, Qt::AlignBottom);
    addAxis(values_, Qt::AlignLeft);
    for (QLineSeries* series : {day_, mean7_, mean30_}) {
        addSeries(series);
        series->attachAxis(dates_);
        series->attachAxis(values_);
    }
    dates_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    values_->setLabelFormat(QStringLiteral("%.4g"));
    legend()->setAlignment(Qt::AlignTop);
    setMargins(QMargins(4, 4, 12, 4));
}

namespace {

// A line of more points than the chart has pixels across draws as a smear of overlapping
// segments at great cost; each run of `run` points is drawn as its lowest and its highest point
// (in their order), which draws the same band.
QList<QPointF> drawable(const QList<QPointF>& line, qsizetype most = 1600) {
    if (line.size() <= most) return line;
    const qsizetype run = (line.size() + most / 2 - 1) / (most / 2);
    QList<QPointF> kept;
    kept.reserve(most + 2);
    for (qsizetype first = 0; first < line.size(); first += run) {
        const qsizetype end = std::min(first + run, line.size());
        qsizetype low = first, high = first;
        for (qsizetype i = first + 1; i < end; ++i) {
            if (line[i].y() < line[low].y()) low = i;
            if (line[i].y() > line[high].y()) high = i;
        }
        kept.append(line[std::min(low, high)]);
        if (low != high) kept.append(line[std::max(low, high)]);
    }
    return kept;
}

}  // namespace

void TrendsChart::draw(const std::vector<DayFigures>& daily, SeriesKind kind, std::int32_t from, std::int32_t to) {
    points_ = tallomer::daySeries(daily, kind, from, to);
    QList<QPointF> day, mean7, mean30;
    day.reserve(static_cast<qsizetype>(points_.size()));
    mean7.reserve(day.capacity());
    mean30.reserve(day.capacity());
    double low = 0, high = 0;
    bool any = false;
    const auto widen = [&](double v) {
        low = any ? std::min(low, v) : v;
        high = any ? std::max(high, v) : v;
        any = true;
    };
    for (const SeriesPoint& p : points_) {
        if (p.hasValue) {
            day.append(QPointF(p.day, p.value));
            widen(p.value);
        }
        if (p.hasMean7) mean7.append(QPointF(p.day, p.mean7));
        if (p.hasMean30) mean30.append(QPointF(p.day, p.mean30));
    }
    day_->replace(drawable(day));
    mean7_->replace(drawable(mean7));
    mean30_->replace(drawable(mean30));
    setTitle(QString::fromUtf8(seriesTitle(kind)));
    if (!points_.empty()) {
        from = std::max(from, points_.front().day);
        to = std::min(to, points_.back().day);
    } else {
        // Nothing to draw: an empty week ending today rather than the whole calendar.
        to = static_cast<std::int32_t>(
            std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()).time_since_epoch().count());
        from = to - 6;
    }
    if (from > to) to = from;
    setDateTicks(from, to);
    if (!any) {
        low = 0;
        high = 1;
    }
    if (low == high) {
        low -= 1;
        high += 1;
    }
    values_->setRange(low, high);
    values_->applyNiceNumbers();
}

void TrendsChart::setDateTicks(std::int32_t from, std::int32_t to) {
    for (const QString& label : dates_->categoriesLabels()) dates_->remove(label);
    const double first = from - 0.5, last = to + 0.5;
    dates_->setRange(first, last);
    dates_->setStartValue(first);
    for (const DateTick& tick : dateTicks(from, to)) dates_->append(tick.label, tick.day);
}

bool TrendsChart::save(const QString& path, QSize size, QString* error) {
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension != QLatin1String("png") && extension != QLatin1String("svg")) {
        if (error) *error = QStringLiteral("the picture's name must end in .png or .svg: %1").arg(path);
        return false;
    }
    QGraphicsScene ownScene;
    QGraphicsScene* scene = this->scene();
    const QSizeF shownSize = this->size();
    if (!scene) {
        scene = &ownScene;
        scene->addItem(this);
    }
    resize(size);
    const QRectF source(pos(), QSizeF(size));
    bool written = false;
    if (extension == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(title());
        QPainter painter;
        if (painter.begin(&svg)) {
            scene->render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), source);
            written = painter.end();
        }
    } else {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            scene->render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), source);
        }
        written = image.save(path, "PNG");
    }
    if (scene == &ownScene)
        scene->removeItem(this);
    else
        resize(shownSize);
    if (!written && error) *error = QStringLiteral("cannot write %1").arg(path);
    return written;
}

}  // namespace tallomer
