#pragma once
// Reads a BIFF8 workbook stream record by record and hands what it finds to an XlsImport.
#include <cstdint>
#include <span>

#include "xls/xls_import.h"

namespace host::xls {

// Reads the globals (fonts, formats, XFs, the sheet list, the shared strings, names) and then
// every worksheet; chart and macro sheets are skipped. Throws HostError for a file it cannot
// read: an older BIFF version, an encrypted workbook, damaged records.
void readWorkbook(std::span<const std::uint8_t> stream, XlsImport& sink);

}  // namespace host::xls
