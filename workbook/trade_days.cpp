#include "workbook/trade_days.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#include "host/workbook.h"
#include "host/worksheet.h"

namespace tallomer {

namespace {

constexpr int kFirstDataRow = 2;  // zero-based: row 3
constexpr int kColumnA = 0;
constexpr int kColumnH = 7;
// Serial day numbers (1900 system) of 1970-01-01, of 1900-03-01 and of 10000-01-01.
constexpr double kSerial1970 = 25569;
constexpr double kSerialMarch1900 = 61;
constexpr double kSerialPast9999 = 2958466;
// Days from 1904-01-01 (serial 0 of the 1904 system) to the same day's 1900 serial.
constexpr double k1904Offset = 1462;

// The calendar day of a serial day number, nullopt for one that names none: below 1, past
// 9999, or 60, the 29 February 1900 that the 1900 system counts but the calendar lacks.
std::optional<std::int32_t> dayOfSerial(double serial) {
    serial = std::floor(serial);
    if (!(serial >= 1 && serial < kSerialPast9999) || serial == 60) return std::nullopt;
    // Before March 1900 the serials are one ahead of the real days: serial 1 is 1900-01-01.
    const double sinceEpoch = serial - kSerial1970 + (serial < kSerialMarch1900 ? 1 : 0);
    return static_cast<std::int32_t>(sinceEpoch);
}

}  // namespace

// Howard Hinnant's algorithms for the proleptic Gregorian calendar.
std::int32_t daysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yoe = year - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDate civilFromDays(std::int32_t days) {
    days += 719468;
    const int era = (days >= 0 ? days : days - 146096) / 146097;
    const int doe = days - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int day = doy - (153 * mp + 2) / 5 + 1;
    const int month = mp < 10 ? mp + 3 : mp - 9;
    return {yoe + era * 400 + (month <= 2), month, day};
}

TradeDays readTradeDays(const host::Workbook& workbook) {
    TradeDays result;
    if (workbook.sheetCount() == 0) return result;
    const host::Worksheet& sheet = workbook.sheet(0);
    const double serialShift = workbook.date1904 ? k1904Offset : 0;
    result.days.reserve(static_cast<std::size_t>(std::max(sheet.rowExtent() - kFirstDataRow, 0)));
    bool pastTotals = false;
    sheet.forEachRowOfCells(
        [&](int row, std::span<const host::CellFields> cells) {
            if (pastTotals) return;
            std::array<const host::CellFields*, kColumnH + 1> at{};
            bool any = false;
            for (const host::CellFields& cell : cells) {
                if (cell.col > kColumnH) break;
                if (cell.valueKind == host::Value::Kind::Empty) continue;
                at[static_cast<std::size_t>(cell.col)] = &cell;
                any = true;
            }
            if (!any) return;
            const host::CellFields* date = at[kColumnA];
            if (date && date->valueKind == host::Value::Kind::Text && date->text == "Total") {
                pastTotals = true;
                return;
            }
            std::optional<std::int32_t> day;
            if (date && date->valueKind == host::Value::Kind::Number) day = dayOfSerial(date->number + serialShift);
            if (!day) {
                ++result.undated;
                return;
            }
            std::array<double, kColumnH + 1> figure{};
            for (int col = 1; col <= kColumnH; ++col) {
                const host::CellFields* cell = at[static_cast<std::size_t>(col)];
                if (!cell || cell->valueKind != host::Value::Kind::Number) {
                    ++result.notNumbers;
                    return;
                }
                figure[static_cast<std::size_t>(col)] = cell->number;
            }
            result.days.push_back(
                {*day, row + 1, figure[1], figure[2], figure[3], figure[4], figure[5], figure[6], figure[7]});
        },
        kFirstDataRow);
    const auto byDay = [](const DayFigures& a, const DayFigures& b) { return a.day < b.day; };
    if (!std::is_sorted(result.days.begin(), result.days.end(), byDay)) {
        std::stable_sort(result.days.begin(), result.days.end(), byDay);
    }
    return result;
}

}  // namespace tallomer
