#include "workbook/day_series.h"

#include <cstdio>

namespace tallomer {

namespace {

struct Share {
    double over = 0;  // the figure, or a ratio's numerator
    double under = 0;  // 1 per day, or a ratio's denominator (visitors)
};

Share shareOf(const DayFigures& d, SeriesKind kind) {
    switch (kind) {
        case SeriesKind::NetValue: return {d.netValue, 1};
        case SeriesKind::NetOrders: return {d.netOrders, 1};
        case SeriesKind::Visitors: return {d.visitors, 1};
        case SeriesKind::Orders: return {d.orders, 1};
        case SeriesKind::NetOrdersPerVisitor: return {d.netOrders, d.visitors};
        case SeriesKind::NetValuePerVisitor: return {d.netValue, d.visitors};
    }
    return {};
}

// The sums over the days of a sliding window of calendar days.
class Window {
public:
    Window(const std::vector<DayFigures>& daily, SeriesKind kind, int length)
        : daily_(daily), kind_(kind), length_(length) {}
    // Moves the window to end at daily[i] and gives the window's mean.
    std::optional<double> meanEndingAt(std::size_t i) {
        for (; next_ <= i; ++next_) add(shareOf(daily_[next_], kind_), +1);
        while (daily_[first_].day <= daily_[i].day - length_) add(shareOf(daily_[first_++], kind_), -1);
        if (under_ == 0) return std::nullopt;
        return over_ / under_;
    }

private:
    void add(Share s, int sign) {
        over_ += sign * s.over;
        under_ += sign * s.under;
    }
    const std::vector<DayFigures>& daily_;
    SeriesKind kind_;
    int length_;
    std::size_t first_ = 0, next_ = 0;
    double over_ = 0, under_ = 0;
};

}  // namespace

const char* seriesName(SeriesKind kind) {
    switch (kind) {
        case SeriesKind::NetValue: return "net_value";
        case SeriesKind::NetOrders: return "net_orders";
        case SeriesKind::Visitors: return "visitors";
        case SeriesKind::Orders: return "orders";
        case SeriesKind::NetOrdersPerVisitor: return "net_orders_per_visitor";
        case SeriesKind::NetValuePerVisitor: return "net_value_per_visitor";
    }
    return "";
}

const char* seriesTitle(SeriesKind kind) {
    switch (kind) {
        case SeriesKind::NetValue: return "Net value ($)";
        case SeriesKind::NetOrders: return "Net orders";
        case SeriesKind::Visitors: return "Unique visitors";
        case SeriesKind::Orders: return "Orders";
        case SeriesKind::NetOrdersPerVisitor: return "Net orders per visitor";
        case SeriesKind::NetValuePerVisitor: return "Net value per visitor ($)";
    }
    return "";
}

std::optional<SeriesKind> seriesKindFromName(const std::string& name) {
    for (SeriesKind kind : kAllSeries) {
        if (name == seriesName(kind)) return kind;
    }
    return std::nullopt;
}

std::vector<DayFigures> dailyTotals(const TradeDays& days) {
    std::vector<DayFigures> daily;
    daily.reserve(days.days.size());
    for (const DayFigures& d : days.days) {
        if (daily.empty() || daily.back().day != d.day) {
            daily.push_back(d);
            continue;
        }
        DayFigures& same = daily.back();
        same.orders += d.orders;
        same.orderValue += d.orderValue;
        same.refunds += d.refunds;
        same.refundValue += d.refundValue;
        same.netValue += d.netValue;
        same.netOrders += d.netOrders;
        same.visitors += d.visitors;
    }
    return daily;
}

std::vector<SeriesPoint> daySeries(const std::vector<DayFigures>& daily, SeriesKind kind, std::int32_t from,
                                   std::int32_t to) {
    std::vector<SeriesPoint> points;
    Window week(daily, kind, 7), month(daily, kind, 30);
    for (std::size_t i = 0; i < daily.size(); ++i) {
        // Days before `from` still count in the means of the first days shown.
        if (daily[i].day < from - 30) continue;
        if (daily[i].day > to) break;
        const std::optional<double> mean7 = week.meanEndingAt(i);
        const std::optional<double> mean30 = month.meanEndingAt(i);
        if (daily[i].day < from) continue;
        const Share s = shareOf(daily[i], kind);
        SeriesPoint& p = points.emplace_back();
        p.day = daily[i].day;
        p.hasValue = s.under != 0;
        p.value = p.hasValue ? s.over / s.under : 0;
        p.hasMean7 = mean7.has_value();
        p.mean7 = mean7.value_or(0);
        p.hasMean30 = mean30.has_value();
        p.mean30 = mean30.value_or(0);
    }
    return points;
}

std::optional<std::int32_t> dayFromIsoText(const std::string& text) {
    int year = 0, month = 0, day = 0;
    char end = 0;
    if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &end) != 3) {
        return std::nullopt;
    }
    const std::int32_t days = daysFromCivil(year, month, day);
    const CivilDate back = civilFromDays(days);
    if (back.year != year || back.month != month || back.day != day) return std::nullopt;
    return days;
}

std::string isoText(std::int32_t day) {
    const CivilDate d = civilFromDays(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

}  // namespace tallomer
