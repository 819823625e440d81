#pragma once
#include <cstdint>
#include <span>

#include "recording_sink.h"
#include "xls/ole_container_reader.h"
#include "xls/workbook_reader.h"

namespace xls_test {

// Reads a whole .xls file (container included) into a recording sink.
inline RecordingSink readIntoSink(std::span<const std::uint8_t> file) {
    RecordingSink sink;
    const auto stream = host::xls::readWorkbookStream(file);
    host::xls::readWorkbook(stream.bytes(), sink);
    return sink;
}

}  // namespace xls_test
