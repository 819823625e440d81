#include "host/host_error.h"
#include "host/workbook_importer.h"
#include "xls/load_workbook_bytes.h"
#include "xls/ole_container_reader.h"
#include "xls/opaque_formulas.h"
#include "xls/workbook_reader.h"

namespace host {

namespace xls {

std::unique_ptr<Workbook> loadWorkbookStreamBytes(std::span<const std::uint8_t> stream) {
    auto workbook = std::make_unique<Workbook>();
    WorkbookImporter importer(*workbook);
    auto opaque = std::make_shared<OpaqueFormulas>();
    readWorkbook(stream, importer, &workbook->xlsLinkRecords, opaque.get());
    if (!opaque->empty()) workbook->xlsFilterData = std::move(opaque);
    return workbook;
}

std::unique_ptr<Workbook> loadWorkbookBytes(std::span<const std::uint8_t> file) {
    return loadWorkbookStreamBytes(readWorkbookStream(file).bytes());
}

std::unique_ptr<Workbook> loadXlsFile(const std::string& path) {
    const WorkbookStreamBytes stream = readWorkbookStreamFromFile(path);
    auto workbook = loadWorkbookStreamBytes(stream.bytes());
    workbook->setPath(path);
    return workbook;
}

}  // namespace xls

}  // namespace host
