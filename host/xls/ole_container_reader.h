#pragma once
// Finds the workbook stream of an Excel 97-2003 file in its OLE2 compound-file container.
#include <cstdint>
#include <span>
#include <vector>

namespace host::xls {

// The bytes of the "Workbook" stream (any case). Throws HostError saying why a file is not
// one: not a compound file, no workbook stream, a BIFF5 "Book" stream, or a bare BIFF2-4 file.
std::vector<std::uint8_t> readWorkbookStream(std::span<const std::uint8_t> file);

}  // namespace host::xls
