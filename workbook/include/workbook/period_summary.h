#pragma once
#include <optional>
#include <string>
#include <vector>

#include "workbook/trade_days.h"

namespace tallomer {

enum class PeriodKind { Week, Month, Year };

// One week (Monday to Sunday), month or year of entries: counts and sums, and the per-visitor
// ratios as ratios of the sums (empty over zero visitors).
struct PeriodTotals {
    std::int32_t firstDay = 0;  // days since 1970-01-01 of the period's first day
    int entries = 0;
    double orders = 0, orderValue = 0, refunds = 0, refundValue = 0;
    double netValue = 0, netOrders = 0, visitors = 0;

    std::optional<double> netOrdersPerVisitor() const;
    std::optional<double> netValuePerVisitor() const;
    void add(const DayFigures& day);
};

// Change in per cent from an earlier period; empty when the earlier figure is 0.
struct PeriodChange {
    std::optional<double> orders, netValue, visitors;
};

struct PeriodRow {
    PeriodTotals totals;
    // Against the period just before it in the calendar, when the sheet holds it.
    std::optional<PeriodChange> sincePrevious;
    // Months only: against the same month a year earlier, when the sheet holds it.
    std::optional<PeriodChange> sinceYearBefore;
};

struct PeriodSummary {
    PeriodKind kind = PeriodKind::Month;
    std::vector<PeriodRow> periods;  // in date order
    int undated = 0;
    int notNumbers = 0;
};

// The first day of the period that holds `day`.
std::int32_t periodStart(PeriodKind kind, std::int32_t day);
// The first day of the period before the one starting at `start`.
std::int32_t previousPeriodStart(PeriodKind kind, std::int32_t start);

PeriodSummary summarise(const TradeDays& days, PeriodKind kind);

// "2001-02-05" for a week, "2001-02" for a month, "2001" for a year.
std::string periodLabel(PeriodKind kind, std::int32_t firstDay);
// "week", "month", "year" and back.
std::optional<PeriodKind> periodKindFromName(const std::string& name);

// The summary as tab-separated lines: a header, one line per period, then "undated" and
// "not numbers" lines for left-out rows. Numbers in the general number form.
std::string summaryTable(const PeriodSummary& summary, bool withChanges = false);

}  // namespace tallomer
