#pragma once
// One worksheet as a BIFF8 substream. Cells are encoded first (they fill the workbook's shared
// string table, which the globals hold ahead of every sheet); the substream around them is
// written once the globals are out.
#include <cstdint>
#include <optional>
#include <vector>

#include "host/address.h"
#include "host/worksheet.h"

namespace host::xls {

class BiffRecordWriter;
class SstWriter;

struct SheetCells {
    std::vector<std::uint8_t> records;   // ROW, cell and STRING records, in row blocks
    std::optional<CellRange> used;       // what DIMENSIONS reports
};

// Throws HostError for a cell the format cannot hold (a formula too long for its record).
SheetCells writeSheetCells(const Worksheet& sheet, SstWriter& sst);

// BOF to EOF: sheet settings, column widths, DIMENSIONS, the cells, the window and the
// selection, which keeps the sheet's active cell. `active` marks the workbook's active sheet.
void writeSheetStream(BiffRecordWriter& out, const Worksheet& sheet, const SheetCells& cells, bool active);

}  // namespace host::xls
