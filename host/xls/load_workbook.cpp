#include <sys/stat.h>

#include "host/host_error.h"
#include "host/memory_reuse.h"
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

std::unique_ptr<Workbook> loadXlsFile(const std::string& path) {
    // The workbook stream (about the file's size), then the cells, then the records of a save,
    // take about three times the file's size in all; the stream comes first and is filled by
    // the reader itself.
    struct stat file {};
    const std::size_t fileSize = stat(path.c_str(), &file) == 0 && S_ISREG(file.st_mode) ? std::size_t(file.st_size) : 0;
    const HeapRoom room(fileSize * 3, fileSize);
    const xls::WorkbookStreamBytes stream = xls::readWorkbookStreamFromFile(path);
    auto workbook = xls::workbookFromStream(stream.bytes());
    workbook->setPath(path);
    return workbook;
}

}  // namespace xls

}  // namespace host
