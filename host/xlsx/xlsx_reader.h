#pragma once
// Reads an Office Open XML workbook (.xlsx) into the same import interface the .xls reader
// fills (host/workbook_import.h), so the host, the dump tool and the fuzz target share one reader.
#include <cstdint>
#include <memory>
#include <span>

#include "host/workbook.h"
#include "host/workbook_import.h"

namespace host::xlsx {

// True when the bytes start as a zip file does (an .xlsx package is one).
bool looksLikeXlsx(std::span<const std::uint8_t> bytes);

// HostError, saying why, when the package cannot be read.
void readXlsx(std::span<const std::uint8_t> bytes, WorkbookImport& sink);

// A host workbook from an .xlsx file held in memory.
std::unique_ptr<Workbook> loadXlsxBytes(std::span<const std::uint8_t> bytes);

}  // namespace host::xlsx
