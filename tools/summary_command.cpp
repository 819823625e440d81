// tallomer-cli summary FILE [--by week|month|year]: the statistics sheet's entries summed by
// week, month or year, tab-separated, in date order.
#include <iostream>

#include "commands.h"
#include "host/host_error.h"
#include "host/workbook_files.h"
#include "workbook/period_summary.h"

namespace cli {

const char* const kSummaryUsage =
    "usage: tallomer-cli summary FILE [--by week|month|year]\n"
    "  The statistics sheet's entries summed by week (Monday to Sunday), month (the default) or\n"
    "  year, one tab-separated line per period in date order, then the rows left out as\n"
    "  \"undated\" or \"not numbers\".\n";

int summary(const std::vector<std::string>& args) {
    std::string path;
    tallomer::PeriodKind kind = tallomer::PeriodKind::Month;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--by" && i + 1 < args.size()) {
            const auto named = tallomer::periodKindFromName(args[++i]);
            if (!named) {
                std::cerr << "tallomer-cli: --by takes week, month or year, not " << args[i] << '\n' << kSummaryUsage;
                return 1;
            }
            kind = *named;
        } else if (path.empty() && !args[i].starts_with("--")) {
            path = args[i];
        } else {
            std::cerr << kSummaryUsage;
            return 1;
        }
    }
    if (path.empty()) {
        std::cerr << kSummaryUsage;
        return 1;
    }
    std::unique_ptr<host::Workbook> workbook;
    try {
        workbook = host::loadWorkbookFile(path);
    } catch (const host::HostError& e) {
        std::cerr << "tallomer-cli: " << path << ": " << e.what() << "\n";
        return 2;
    }
    std::cout << tallomer::summaryTable(tallomer::summarise(tallomer::readTradeDays(*workbook), kind));
    return 0;
}

}  // namespace cli
