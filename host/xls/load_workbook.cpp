#include "host/host_error.h"
#include "host/memory_reuse.h"
#include "host/workbook_files.h"
#include "xls/host_importer.h"
#include "xls/load_workbook_bytes.h"
#include "xls/ole_container_reader.h"
#include "xls/workbook_reader.h"

namespace host {

namespace xls {

namespace {
std::unique_ptr<Workbook> workbookFromStream(std::span<const std::uint8_t> stream) {
    auto workbook = std::make_unique<Workbook>();
    HostImporter importer(*workbook);
    readWorkbook(stream, importer);
    return workbook;
}
}  // namespace

std::unique_ptr<Workbook> loadWorkbookBytes(std::span<const std::uint8_t> file) {
    return workbookFromStream(readWorkbookStream(file).bytes());
}

}  // namespace xls

std::unique_ptr<Workbook> loadWorkbookFile(const std::string& path) {
    const xls::WorkbookStreamBytes stream = xls::readWorkbookStreamFromFile(path);
    // The cells, and after them the records of a save, take about twice the stream's size.
    const HeapRoom room(stream.bytes().size() * 2);
    auto workbook = xls::workbookFromStream(stream.bytes());
    workbook->setPath(path);
    return workbook;
}

}  // namespace host
