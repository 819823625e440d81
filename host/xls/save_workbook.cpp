#include "host/host_error.h"
#include "host/workbook_files.h"

namespace host {

void saveWorkbookFile(const Workbook&, const std::string&) {
    throw HostError("Saving workbook files is not supported yet.");
}

}  // namespace host
