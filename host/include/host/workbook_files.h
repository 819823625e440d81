#pragma once
#include <memory>
#include <string>

#include "host/workbook.h"

namespace host {

// Reads an Excel 97-2003 workbook (BIFF8 in an OLE2 compound file). Throws HostError with a
// message that says why a file cannot be read.
std::unique_ptr<Workbook> loadWorkbookFile(const std::string& path);

// Writes the workbook as an Excel 97-2003 file. Atomic: written beside `path` and renamed over
// it only when complete; on failure throws HostError and leaves any existing file as it was.
void saveWorkbookFile(const Workbook& workbook, const std::string& path);

}  // namespace host
