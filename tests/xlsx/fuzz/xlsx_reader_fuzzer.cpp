// libFuzzer target: any bytes, read as an .xlsx package into a host workbook. Every outcome
// but a HostError is a bug.
#include <cstddef>
#include <cstdint>
#include <span>

#include "host/host_error.h"
#include "xlsx/xlsx_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        host::xlsx::loadXlsxBytes(std::span<const std::uint8_t>(data, size));
    } catch (const host::HostError&) {}
    return 0;
}
