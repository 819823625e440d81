#include <exception>
#include <iostream>

#include "commands.h"
#include "host/host_error.h"
#include "host/workbook_files.h"

namespace cli {
int copy(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::cerr << "usage: tallomer-cli copy FILE NEWFILE\n";
        return 1;
    }
    try {
        auto workbook = host::loadWorkbookFile(args[0]);
        host::saveWorkbookFile(*workbook, args[1]);
        // The process ends here: taking a large workbook apart cell by cell would only cost
        // time, the system reclaims its memory at once.
        (void)workbook.release();
    } catch (const std::exception& e) {
        std::cerr << "tallomer-cli: " << e.what() << "\n";
        return 2;
    }
    return 0;
}
}  // namespace cli
