#include <cstdio>
#include <filesystem>
#include <iostream>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "commands.h"
#include "host/application.h"
#include "stats_file.h"
#include "workbook/csv_export.h"
#include "workbook/stats_layout_check.h"
#include "workbook/text_file_writer.h"

namespace cli {

const char* const kExportUsage =
    "tallomer-cli export FILE CSV\n"
    "    Writes the entries of FILE to CSV (\"-\": standard output): a header line with the\n"
    "    sheet's column headers, then the eleven columns' values of each data row, dates as\n"
    "    yyyy-mm-dd.\n";

namespace {}  // namespace

int exportCsv(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::cerr << "usage: " << kExportUsage;
        return 1;
    }
    const std::string& path = args[0];
    const std::string& csvPath = args[1];
    try {
        std::error_code error;
        if (std::filesystem::equivalent(path, csvPath, error)) {
            throw Refusal(csvPath + " is the workbook itself; not replaced");
        }
        host::Application xl;
        xl.setVisible(false);
        xl.setDisplayAlerts(false);
        try {
            xl.openWorkbook(path);
            xl.selectSheet(1);
        } catch (const std::exception& failure) {
            throw Refusal("cannot read " + path + ": " + failure.what());
        }
        host::Workbook& book = *xl.activeWorkbook();
        if (const auto fault = tallomer::StatsLayoutFault(book.activeSheet())) {
            throw Refusal(path + " is not a statistics workbook: " + *fault);
        }
        const std::string csv = tallomer::ExportCsv(book.activeSheet(), book.date1904);
        if (csvPath == "-") {
            std::cout << csv << std::flush;
            if (!std::cout) throw Refusal("cannot write to standard output");
        } else {
            try {
                tallomer::WriteTextFileAtomically(csvPath, csv);
            } catch (const std::runtime_error& failure) {
                throw Refusal(failure.what());
            }
        }
    } catch (const Refusal& refusal) {
        std::cerr << "tallomer-cli: " << refusal.what() << '\n';
        return 2;
    }
    return 0;
}

}  // namespace cli
