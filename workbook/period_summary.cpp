#include "workbook/period_summary.h"

#include <cstdio>
#include <unordered_map>

#include "host/locale.h"

namespace tallomer {

namespace {

std::optional<double> ratio(double over, double under) {
    if (under == 0) return std::nullopt;
    return over / under;
}

std::optional<double> percentChange(double now, double before) {
    if (before == 0) return std::nullopt;
    return (now - before) / before * 100;
}

PeriodChange change(const PeriodTotals& now, const PeriodTotals& before) {
    return {percentChange(now.orders, before.orders), percentChange(now.netValue, before.netValue),
            percentChange(now.visitors, before.visitors)};
}

std::string optionalNumber(const std::optional<double>& value) {
    return value ? host::generalNumber(*value) : std::string();
}

}  // namespace

std::optional<double> PeriodTotals::netOrdersPerVisitor() const { return ratio(netOrders, visitors); }
std::optional<double> PeriodTotals::netValuePerVisitor() const { return ratio(netValue, visitors); }

void PeriodTotals::add(const DayFigures& day) {
    ++entries;
    orders += day.orders;
    orderValue += day.orderValue;
    refunds += day.refunds;
    refundValue += day.refundValue;
    netValue += day.netValue;
    netOrders += day.netOrders;
    visitors += day.visitors;
}

std::int32_t periodStart(PeriodKind kind, std::int32_t day) {
    switch (kind) {
        case PeriodKind::Week: {
            // 1970-01-01 was a Thursday: Monday is 3 days before it.
            const std::int32_t sinceMonday = ((day + 3) % 7 + 7) % 7;
            return day - sinceMonday;
        }
        case PeriodKind::Month: {
            const CivilDate d = civilFromDays(day);
            return daysFromCivil(d.year, d.month, 1);
        }
        case PeriodKind::Year: return daysFromCivil(civilFromDays(day).year, 1, 1);
    }
    return day;
}

std::int32_t previousPeriodStart(PeriodKind kind, std::int32_t start) {
    if (kind == PeriodKind::Week) return start - 7;
    return periodStart(kind, start - 1);
}

PeriodSummary summarise(const TradeDays& days, PeriodKind kind) {
    PeriodSummary summary;
    summary.kind = kind;
    summary.undated = days.undated;
    summary.notNumbers = days.notNumbers;
    // The days are in date order, so each period's days follow one another.
    for (const DayFigures& day : days.days) {
        const std::int32_t start = periodStart(kind, day.day);
        if (summary.periods.empty() || summary.periods.back().totals.firstDay != start) {
            summary.periods.emplace_back().totals.firstDay = start;
        }
        summary.periods.back().totals.add(day);
    }
    std::unordered_map<std::int32_t, std::size_t> byStart;
    byStart.reserve(summary.periods.size());
    for (std::size_t i = 0; i < summary.periods.size(); ++i) byStart.emplace(summary.periods[i].totals.firstDay, i);
    for (std::size_t i = 0; i < summary.periods.size(); ++i) {
        PeriodRow& row = summary.periods[i];
        const std::int32_t start = row.totals.firstDay;
        // The calendar period just before is the previous row when the sheet holds it.
        if (i > 0 && summary.periods[i - 1].totals.firstDay == previousPeriodStart(kind, start)) {
            row.sincePrevious = change(row.totals, summary.periods[i - 1].totals);
        }
        if (kind == PeriodKind::Month) {
            const CivilDate d = civilFromDays(start);
            const auto yearBefore = byStart.find(daysFromCivil(d.year - 1, d.month, 1));
            if (yearBefore != byStart.end()) {
                row.sinceYearBefore = change(row.totals, summary.periods[yearBefore->second].totals);
            }
        }
    }
    return summary;
}

std::string periodLabel(PeriodKind kind, std::int32_t firstDay) {
    const CivilDate d = civilFromDays(firstDay);
    char text[16];
    switch (kind) {
        case PeriodKind::Week: std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day); break;
        case PeriodKind::Month: std::snprintf(text, sizeof text, "%04d-%02d", d.year, d.month); break;
        case PeriodKind::Year: std::snprintf(text, sizeof text, "%04d", d.year); break;
    }
    return text;
}

std::optional<PeriodKind> periodKindFromName(const std::string& name) {
    if (name == "week") return PeriodKind::Week;
    if (name == "month") return PeriodKind::Month;
    if (name == "year") return PeriodKind::Year;
    return std::nullopt;
}

std::string summaryTable(const PeriodSummary& summary, bool withChanges) {
    std::string out =
        "period\tentries\torders\torder_value\trefunds\trefund_value\tnet_value\tnet_orders\tvisitors"
        "\tnet_orders_per_visitor\tnet_value_per_visitor";
    if (withChanges) {
        out += "\torders_change_pct\tnet_value_change_pct\tvisitors_change_pct";
        if (summary.kind == PeriodKind::Month) {
            out += "\torders_change_pct_year\tnet_value_change_pct_year\tvisitors_change_pct_year";
        }
    }
    out += '\n';
    const auto field = [&out](const std::string& text) {
        out += '\t';
        out += text;
    };
    const auto changes = [&](const std::optional<PeriodChange>& c) {
        field(c ? optionalNumber(c->orders) : "");
        field(c ? optionalNumber(c->netValue) : "");
        field(c ? optionalNumber(c->visitors) : "");
    };
    for (const PeriodRow& row : summary.periods) {
        const PeriodTotals& t = row.totals;
        out += periodLabel(summary.kind, t.firstDay);
        field(std::to_string(t.entries));
        for (double sum : {t.orders, t.orderValue, t.refunds, t.refundValue, t.netValue, t.netOrders, t.visitors}) {
            field(host::generalNumber(sum));
        }
        field(optionalNumber(t.netOrdersPerVisitor()));
        field(optionalNumber(t.netValuePerVisitor()));
        if (withChanges) {
            changes(row.sincePrevious);
            if (summary.kind == PeriodKind::Month) changes(row.sinceYearBefore);
        }
        out += '\n';
    }
    const int columns = withChanges ? (summary.kind == PeriodKind::Month ? 16 : 13) : 10;
    const auto leftOut = [&](const char* name, int count) {
        if (count == 0) return;
        out += name;
        field(std::to_string(count));
        out.append(static_cast<std::size_t>(columns - 1), '\t');
        out += '\n';
    };
    leftOut("undated", summary.undated);
    leftOut("not numbers", summary.notNumbers);
    return out;
}

}  // namespace tallomer
