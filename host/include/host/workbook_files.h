#pragma once
#include <memory>
#include <string>

#include "host/workbook.h"

namespace host {

// Reads an Excel 97-2003 workbook (BIFF8 in an OLE2 compound file) or an Office Open XML one
// (.xlsx), told apart by the file's first bytes, not its name. Throws HostError with a
// message that says why a file cannot be read.
std::unique_ptr<Workbook> loadWorkbookFile(const std::string& path);

// The format a name gives: .xlsx (any case) Office Open XML, every other name .xls.
Workbook::FileFormat fileFormatForName(const std::string& path);

// Writes the workbook in the format its name gives (fileFormatForName), or in `format`.
// Atomic: written beside `path` and renamed over it only when complete; on failure throws
// HostError and leaves any existing file as it was.
void saveWorkbookFile(const Workbook& workbook, const std::string& path);
void saveWorkbookFile(const Workbook& workbook, const std::string& path, Workbook::FileFormat format);

}  // namespace host
