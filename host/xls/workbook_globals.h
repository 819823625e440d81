#pragma once
// The workbook-wide records that come before the sheets.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "host/style.h"
#include "xls/formula_tokens.h"
#include "xls/record_stream.h"

namespace host::xls {

// More sheets than any real workbook has; past it a file is taken to be hostile.
inline constexpr std::size_t kMaxSheets = 4096;

struct SheetEntry {
    std::uint32_t offset = 0;  // of the sheet's BOF record in the stream
    std::uint8_t type = 0;  // 0 worksheet, 1 macro sheet, 2 chart, 6 VB module
    std::string name;
};

// A NAME record: the name as formulas show it, and its own formula.
struct NameRecord {
    std::string name;  // built-in names by Excel's name for them ("Print_Area")
    bool builtin = false;
    bool macro = false;  // a function or command of a macro sheet or VB, no range or value
    int sheet = -1;  // the file's sheet the name belongs to, from 0; -1 for the whole workbook
    std::span<const std::uint8_t> formula;  // its tokens
};

struct WorkbookGlobals {
    bool date1904 = false;
    std::vector<Style> xfStyles;  // by XF index
    std::vector<SheetEntry> sheets;  // BOUNDSHEET order
    std::vector<std::string> sharedStrings;
    FormulaNames names;
    std::vector<NameRecord> nameRecords;  // in file order; `names.definedNames` shows them
    std::vector<std::span<const std::uint8_t>> linkRecords;  // whole records, in the stream
    int activeSheet = 0;  // among `sheets`
};

// Reads from the globals BOF (already checked by the caller) through its EOF.
WorkbookGlobals readGlobals(RecordStream& records);

}  // namespace host::xls
