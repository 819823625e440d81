#pragma once
// The records of one worksheet: cells, shared and array formulas, column widths, selection.
#include <cstddef>

#include "host/workbook_import.h"
#include "xls/opaque_formulas.h"
#include "xls/record_stream.h"
#include "xls/workbook_globals.h"

namespace host::xls {

// Reads from just after the sheet's BOF through its EOF (charts embedded in the sheet are
// skipped). `budget` counts the bytes any sheet may still read: overlapping sheets in a
// hostile file cannot make reading take longer than a few passes over the stream. The bytes of
// formulas the engine does not compute go to `opaque`, when given, under `sheet`.
void readSheet(RecordStream& records, const WorkbookGlobals& globals, WorkbookImport& sink, std::size_t& budget,
               OpaqueFormulas* opaque = nullptr, int sheet = 0);

}  // namespace host::xls
