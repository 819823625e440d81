#pragma once
// One worksheet as a BIFF8 substream. Cells are encoded first (they fill the workbook's shared
// string table, which the globals hold ahead of every sheet); the substream around them is
// written once the globals are out.
#include <cstdint>
#include <optional>
#include <vector>

#include "host/address.h"
#include "host/worksheet.h"
#include "xls/biff_record_writer.h"
#include "xls/opaque_formulas.h"

namespace host::xls {

class SstWriter;
class FutureFunctionNames;

struct SheetCells {
    // ROW, cell and STRING records in row blocks, in consecutive parts.
    std::vector<BiffRecordWriter> records;
    std::optional<CellRange> used;  // what DIMENSIONS reports

    std::size_t size() const;
};

// Throws HostError for a cell the format cannot hold (a formula too long for its record).
// `opaque`, when given, holds the bytes of formulas the engine does not compute, as read from
// the file; `sheetIndex` is the sheet's place in the workbook, which they are kept under.
// `futureFunctions`, the workbook's defined names, names the functions BIFF8 has no number for;
// without it a formula calling one is refused.
SheetCells writeSheetCells(const Worksheet& sheet, SstWriter& sst, const OpaqueFormulas* opaque = nullptr,
                           int sheetIndex = 0, FutureFunctionNames* futureFunctions = nullptr);

// What goes before the cells: BOF, sheet settings, column widths, DIMENSIONS.
void writeSheetHeader(BiffRecordWriter& out, const Worksheet& sheet, const SheetCells& cells);
// What follows them: the window, the selection that keeps the sheet's active cell, EOF.
// `active` marks the workbook's active sheet.
void writeSheetTrailer(BiffRecordWriter& out, const Worksheet& sheet, bool active);

}  // namespace host::xls
