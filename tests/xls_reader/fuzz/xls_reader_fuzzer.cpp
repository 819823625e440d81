// libFuzzer target: any bytes, read as an .xls file (when they start like a compound file) or
// as a bare workbook stream, into a host workbook. Every outcome but a HostError is a bug.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "host/host_error.h"
#include "host/workbook.h"
#include "host/workbook_importer.h"
#include "xls/load_workbook_bytes.h"
#include "xls/workbook_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static constexpr std::uint8_t kOle[4] = {0xD0, 0xCF, 0x11, 0xE0};
    const std::span<const std::uint8_t> bytes(data, size);
    try {
        if (size >= 4 && std::memcmp(data, kOle, 4) == 0) {
            host::xls::loadWorkbookBytes(bytes);
        } else {
            host::Workbook workbook;
            host::WorkbookImporter importer(workbook);
            host::xls::readWorkbook(bytes, importer);
        }
    } catch (const host::HostError&) {
    }
    return 0;
}
