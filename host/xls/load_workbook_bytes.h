#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "host/workbook.h"

namespace host::xls {

// Reads an Excel 97-2003 file held in memory; throws HostError as loadWorkbookFile does.
std::unique_ptr<Workbook> loadWorkbookBytes(std::span<const std::uint8_t> file);
// The same from a bare workbook stream, as a compound file holds it under "Workbook".
std::unique_ptr<Workbook> loadWorkbookStreamBytes(std::span<const std::uint8_t> stream);

// The .xls file at `path`, and the .xls save (atomic); both throw HostError saying why.
std::unique_ptr<Workbook> loadXlsFile(const std::string& path);
void saveXlsFile(const Workbook& workbook, const std::string& path);

}  // namespace host::xls
