#pragma once
// A whole workbook as a BIFF8 Workbook stream: the globals substream, then one substream per
// sheet.
#include <cstdint>
#include <vector>

#include "host/workbook.h"

namespace host::xls {

// Throws HostError for content the format cannot hold.
std::vector<std::uint8_t> buildWorkbookStream(const Workbook& workbook);

}  // namespace host::xls
