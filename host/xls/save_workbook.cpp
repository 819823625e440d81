#include "host/host_error.h"
#include "xls/atomic_file_writer.h"
#include "xls/load_workbook_bytes.h"
#include "xls/ole_container_writer.h"
#include "xls/workbook_writer.h"

namespace host::xls {

void saveXlsFile(const Workbook& workbook, const std::string& path) {
    // The stream is built before any file is touched: content the format cannot hold fails
    // the save without leaving anything behind.
    const xls::WorkbookStream stream = xls::buildWorkbookStream(workbook);
    const auto parts = stream.spans();
    xls::writeFileAtomically(path, [&](int fd) { return xls::writeCompoundFile(fd, parts); });
}

}  // namespace host::xls
