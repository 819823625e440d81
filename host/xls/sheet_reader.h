#pragma once
// The records of one worksheet: cells, shared and array formulas, column widths, selection.
#include <cstddef>

#include "xls/record_stream.h"
#include "xls/workbook_globals.h"
#include "host/workbook_import.h"

namespace host::xls {

// Reads from just after the sheet's BOF through its EOF (charts embedded in the sheet are
// skipped). `budget` counts the bytes any sheet may still read: overlapping sheets in a
// hostile file cannot make reading take longer than a few passes over the stream.
void readSheet(RecordStream& records, const WorkbookGlobals& globals, WorkbookImport& sink, std::size_t& budget);

}  // namespace host::xls
