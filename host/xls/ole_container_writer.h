#pragma once
// The OLE2 compound file around a BIFF8 workbook stream.
#include <cstdint>
#include <vector>

namespace host::xls {

// Streams shorter than this land in the compound file's mini stream, which some readers
// handle badly; the workbook stream is padded up to it.
inline constexpr std::size_t kMinWorkbookStreamSize = 4096;

struct ByteSpan {
    const std::uint8_t* data;
    std::size_t size;
};

// Writes a compound file to the descriptor `fd` (left open, at its start) whose "Workbook"
// stream is the concatenation of `workbookStream`, taken from the caller's memory as it is.
// Returns false, errno saying why, when it cannot be written (the disk is full ...).
bool writeCompoundFile(int fd, const std::vector<ByteSpan>& workbookStream);

}  // namespace host::xls
