#pragma once
// A whole workbook as a BIFF8 Workbook stream: the globals substream, then one substream per
// sheet.
#include <cstdint>
#include <vector>

#include "host/workbook.h"
#include "xls/biff_record_writer.h"
#include "xls/ole_container_writer.h"

namespace host::xls {

// The stream in consecutive parts, so a large sheet's cells are never copied into one buffer.
struct WorkbookStream {
    std::vector<BiffRecordWriter> parts;

    std::vector<ByteSpan> spans() const;
    std::size_t size() const;
    std::vector<std::uint8_t> joined() const;
};

// Throws HostError for content the format cannot hold.
WorkbookStream buildWorkbookStream(const Workbook& workbook);

}  // namespace host::xls
