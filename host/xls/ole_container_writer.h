#pragma once
// The OLE2 compound file around a BIFF8 workbook stream.
#include <cstdint>
#include <cstdio>
#include <vector>

namespace host::xls {

// Streams shorter than this land in the compound file's mini stream, which some readers
// handle badly; the workbook stream is padded up to it.
inline constexpr std::size_t kMinWorkbookStreamSize = 4096;

struct ByteSpan {
    const std::uint8_t* data;
    std::size_t size;
};

// Writes a compound file to `file` (left open) whose "Workbook" stream is the concatenation
// of `workbookStream`. Returns false when it cannot be written (the disk is full ...).
bool writeCompoundFile(std::FILE* file, const std::vector<ByteSpan>& workbookStream);

}  // namespace host::xls
