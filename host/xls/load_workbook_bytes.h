#pragma once
#include <cstdint>
#include <memory>
#include <span>

#include "host/workbook.h"

namespace host::xls {

// Reads an Excel 97-2003 file held in memory; throws HostError as loadWorkbookFile does.
std::unique_ptr<Workbook> loadWorkbookBytes(std::span<const std::uint8_t> file);

}  // namespace host::xls
