#pragma once
#include <optional>
#include <string>
#include <vector>

#include "workbook/trade_days.h"

namespace tallomer {

// The figures the Trends chart can draw.
enum class SeriesKind { NetValue, NetOrders, Visitors, Orders, NetOrdersPerVisitor, NetValuePerVisitor };

// "net_value", "net_orders", "visitors", "orders", "net_orders_per_visitor",
// "net_value_per_visitor", and back.
const char* seriesName(SeriesKind kind);
std::optional<SeriesKind> seriesKindFromName(const std::string& name);
// "Net value ($)" and so on, for the chart's title and the window's choice.
const char* seriesTitle(SeriesKind kind);
inline constexpr SeriesKind kAllSeries[] = {
    SeriesKind::NetValue, SeriesKind::NetOrders,           SeriesKind::Visitors,
    SeriesKind::Orders,   SeriesKind::NetOrdersPerVisitor, SeriesKind::NetValuePerVisitor};

// One entry per calendar day that has any, in date order: the figures of entries with the same
// date summed (`row` is the first of their rows).
std::vector<DayFigures> dailyTotals(const TradeDays& days);

// A series over days from..to (days since 1970-01-01, both included): each day's value and the
// means over the 7 and the 30 calendar days ending on it (days without entries left out of a
// mean; a ratio's mean is the ratio of the window's sums). A value that cannot be computed (a
// ratio over zero visitors) is left out: `has` false.
struct SeriesPoint {
    std::int32_t day = 0;
    double value = 0, mean7 = 0, mean30 = 0;
    bool hasValue = false, hasMean7 = false, hasMean30 = false;
};
std::vector<SeriesPoint> daySeries(const std::vector<DayFigures>& daily, SeriesKind kind, std::int32_t from,
                                   std::int32_t to);

// "yyyy-mm-dd" to days since 1970-01-01; nullopt when it is not a valid date in that form.
std::optional<std::int32_t> dayFromIsoText(const std::string& text);
std::string isoText(std::int32_t day);

}  // namespace tallomer
