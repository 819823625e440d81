#pragma once
#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/csv_reader.h"
#include "workbook/entry_texts.h"
#include "workbook/import_cleaning.h"

namespace tallomer {

// From a CSV table to the entries Submit is to be given: columns found by their header names,
// each row's fields cleaned into the six texts, and the rows Submit would refuse (or that
// repeat a date) set aside with the reason.

struct ImportOptions {
    DateOrder dates = DateOrder::Default;
    std::array<std::string, kEntryFieldCount> mapped;  // a header named with --map; empty: look it up
    bool allowRepeats = false;
};

struct ImportRow {
    int line = 0;
    EntryTexts texts;
};

struct BadRow {
    int line = 0;
    std::string fault;  // "visitors: not a number ("abc")"
};
std::string describe(const BadRow& bad);  // "line 7: visitors: not a number ("abc")"

struct ImportPlan {
    std::array<int, kEntryFieldCount> columns{};  // the CSV column of each field
    std::vector<ImportRow> rows;  // to add, in file order
    std::vector<BadRow> bad;
};

// A CSV that cannot be imported at all: a column missing, a --map that names no header.
class ImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads --map's text, "visitors=Sessions,order_value=\"Net sales\"", into `options`.
void ParseColumnMap(std::string_view text, ImportOptions& options);

// `datesInSheet`: the serial days already entered, for the repeat check.
ImportPlan PlanImport(const CsvTable& csv, const ImportOptions& options, const std::vector<double>& datesInSheet);

}  // namespace tallomer
