#include "chart/trends_chart.h"

namespace tallomer {

namespace {

enum class Unit { Day, Month, Year };
struct Step {
    Unit unit;
    int count;
};
constexpr Step kSteps[] = {{Unit::Day, 1},   {Unit::Day, 2},   {Unit::Day, 7},    {Unit::Day, 14},
                           {Unit::Month, 1}, {Unit::Month, 2}, {Unit::Month, 3},  {Unit::Month, 6},
                           {Unit::Year, 1},  {Unit::Year, 2},  {Unit::Year, 5},   {Unit::Year, 10},
                           {Unit::Year, 20}, {Unit::Year, 50}, {Unit::Year, 100}, {Unit::Year, 1000}};

// How many ticks a step gives over from..to, roughly (an upper bound).
double tickEstimate(Step step, std::int32_t from, std::int32_t to) {
    const double span = to - from + 1;
    switch (step.unit) {
        case Unit::Day: return span / step.count + 1;
        case Unit::Month: return span / (30.4 * step.count) + 1;
        case Unit::Year: return span / (365.2 * step.count) + 1;
    }
    return 0;
}

// The first round date of the step on or after `day`.
std::int32_t firstTick(Step step, std::int32_t day) {
    const CivilDate d = civilFromDays(day);
    switch (step.unit) {
        case Unit::Day:
            if (step.count % 7 == 0) return day + ((7 - ((day + 3) % 7 + 7) % 7) % 7);  // next Monday
            return day;
        case Unit::Month: {
            int month0 = d.year * 12 + d.month - 1;
            if (d.day > 1) ++month0;
            month0 = (month0 + step.count - 1) / step.count * step.count;
            return daysFromCivil(month0 / 12, month0 % 12 + 1, 1);
        }
        case Unit::Year: {
            int year = d.year + ((d.month > 1 || d.day > 1) ? 1 : 0);
            year = (year + step.count - 1) / step.count * step.count;
            return daysFromCivil(year, 1, 1);
        }
    }
    return day;
}

std::int32_t nextTick(Step step, std::int32_t day) {
    const CivilDate d = civilFromDays(day);
    switch (step.unit) {
        case Unit::Day: return day + step.count;
        case Unit::Month: {
            const int month0 = d.year * 12 + d.month - 1 + step.count;
            return daysFromCivil(month0 / 12, month0 % 12 + 1, 1);
        }
        case Unit::Year: return daysFromCivil(d.year + step.count, 1, 1);
    }
    return day + 1;
}

QString tickLabel(Step step, std::int32_t day) {
    const CivilDate d = civilFromDays(day);
    switch (step.unit) {
        case Unit::Day: return QString::fromStdString(isoText(day));
        case Unit::Month: return QStringLiteral("%1-%2").arg(d.year, 4, 10, QChar('0')).arg(d.month, 2, 10, QChar('0'));
        case Unit::Year: return QString::number(d.year);
    }
    return {};
}

}  // namespace

std::vector<DateTick> dateTicks(std::int32_t from, std::int32_t to, int most) {
    Step step = kSteps[std::size(kSteps) - 1];
    for (Step s : kSteps) {
        if (tickEstimate(s, from, to) <= most) {
            step = s;
            break;
        }
    }
    std::vector<DateTick> ticks;
    for (std::int32_t day = firstTick(step, from); day <= to; day = nextTick(step, day)) {
        ticks.push_back({day, tickLabel(step, day)});
    }
    return ticks;
}

}  // namespace tallomer
