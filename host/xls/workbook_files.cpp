#include "host/workbook_files.h"

#include "host/host_error.h"

namespace host {

std::unique_ptr<Workbook> loadWorkbookFile(const std::string&) {
    throw HostError("Opening workbook files is not supported yet.");
}

void saveWorkbookFile(const Workbook&, const std::string&) {
    throw HostError("Saving workbook files is not supported yet.");
}

}  // namespace host
