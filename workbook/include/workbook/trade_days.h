#pragma once
#include <cstdint>
#include <vector>

namespace host {
class Workbook;
}

namespace tallomer {

// The figures of one data row of the statistics sheet, as the host computes them.
struct DayFigures {
    std::int32_t day = 0;  // days since 1970-01-01 (the calendar day of column A)
    std::int32_t row = 0;  // one-based sheet row it came from
    double orders = 0;  // B
    double orderValue = 0;  // C
    double refunds = 0;  // D
    double refundValue = 0;  // E
    double netValue = 0;  // F
    double netOrders = 0;  // G
    double visitors = 0;  // H
};

// The data rows of a statistics sheet, in date order (rows of one date in sheet order), and
// the rows that could not be used: column A not a date ("undated"), or a figure of B to H not
// a number ("not numbers").
struct TradeDays {
    std::vector<DayFigures> days;
    int undated = 0;
    int notNumbers = 0;
};

// Reads the first sheet: rows 3 down to the row before the totals row ("Total" in column A),
// or to the last row when there is none. Empty rows are skipped.
TradeDays readTradeDays(const host::Workbook& workbook);

// Days since 1970-01-01 to a calendar date and back (proleptic Gregorian).
std::int32_t daysFromCivil(int year, int month, int day);
struct CivilDate {
    int year = 1970;
    int month = 1;
    int day = 1;
};
CivilDate civilFromDays(std::int32_t days);

}  // namespace tallomer
