#include "host/host_error.h"
#include "host/workbook_files.h"

namespace host {

std::unique_ptr<Workbook> loadWorkbookFile(const std::string&) {
    throw HostError("Opening workbook files is not supported yet.");
}

}  // namespace host
