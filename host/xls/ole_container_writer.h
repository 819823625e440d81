#pragma once
// The OLE2 compound file around a BIFF8 workbook stream.
#include <cstdint>
#include <cstdio>
#include <vector>

namespace host::xls {

// Streams shorter than this land in the compound file's mini stream, which some readers
// handle badly; the workbook stream is padded up to it.
inline constexpr std::size_t kMinWorkbookStreamSize = 4096;

// Writes a compound file holding `workbookStream` as its "Workbook" stream to `file` (left
// open). Returns false when the container cannot be written (the disk is full ...).
bool writeCompoundFile(std::FILE* file, const std::vector<std::uint8_t>& workbookStream);

}  // namespace host::xls
