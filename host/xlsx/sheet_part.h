#pragma once
// One worksheet part of an .xlsx package, read into the import interface: its cells with their
// formats, formulas with their cached results (shared formulas included), column widths and
// the active cell.
#include <optional>
#include <string_view>

#include "host/address.h"
#include "host/workbook_import.h"
#include "xlsx/package_parts.h"

namespace host::xlsx {

void readSheetPart(ZipPackage& package, const std::string& partName, const SharedStrings& strings, bool date1904,
                   WorkbookImport& sink);

// A cell of type "d" holds an ISO 8601 date ("2001-02-01", "2001-02-01T10:30:00"): its serial
// number in the workbook's date system; nullopt when the text is no such date.
std::optional<double> isoDateSerial(std::string_view text, bool date1904);

// "B7" into a cell; nullopt when it is no reference. HostError when it is past XFD1048576,
// the last cell an .xlsx sheet has, or past the last cell a sheet of this program holds.
std::optional<CellAddress> parseCellReference(std::string_view text);

}  // namespace host::xlsx
