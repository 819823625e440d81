// Writes statistics workbooks of a few sizes, the way the program fills them (typed dates and
// figures, the derived figures as formulas, a totals row under the data), into a folder: the
// same-bytes test compares their checksums with those of the files an earlier build wrote.
#include <cstdio>
#include <string>

#include "host/host_error.h"
#include "host/workbook.h"
#include "host/workbook_files.h"

namespace {

const char* const kHeaders[] = {"DATE",
                                "# of Orders",
                                "$ of Orders",
                                "# of Refunds",
                                "$ of Refunds",
                                "$Orders - $Refunds",
                                "# Orders - # Refunds",
                                "Number of Unique Visitors",
                                "Total $ Dollars / Unique Visitors",
                                "Total # Orders / Unique Visitors",
                                "Average = $ / Unique Visitors"};

void writeStats(int entries, const std::string& path) {
    auto book = host::Workbook::createDefault();
    host::Worksheet& s = book->sheet(0);
    const double widths[] = {15, 15, 15, 18, 18, 24, 24, 30, 36, 36, 36};
    for (int c = 0; c < 11; ++c) s.setColumnWidth(c, widths[c]);
    s.setTyped({0, 0}, "Entries");
    s.setValue({0, 1}, host::Value::fromNumber(entries));
    for (int c = 0; c < 11; ++c) s.setTyped({1, c}, kHeaders[c]);
    for (int n = 0; n < entries; ++n) {
        const int row = 2 + n;
        const std::string r = std::to_string(row + 1);
        s.setTyped({row, 0}, std::to_string(1 + n % 12) + "/" + std::to_string(1 + n % 28) + "/" +
                                 std::to_string(2001 + n / 336));
        s.setTyped({row, 1}, std::to_string(10 + n % 7));
        s.setTyped({row, 2}, std::to_string(250 + n % 13) + ".25");
        s.setTyped({row, 3}, std::to_string(n % 3));
        s.setTyped({row, 4}, std::to_string((n % 3) * 12.5));
        s.setTyped({row, 7}, std::to_string(n % 17 == 0 ? 0 : 100 + n % 11));  // a zero gives #DIV/0!
        s.setTyped({row, 5}, "=C" + r + "-E" + r);
        s.setTyped({row, 6}, "=B" + r + "-D" + r);
        s.setTyped({row, 8}, "=F" + r + "/H" + r);
        s.setTyped({row, 9}, "=G" + r + "/H" + r);
        s.setTyped({row, 10}, "=I" + r);
    }
    const int totals = 2 + entries;
    const std::string last = std::to_string(totals);
    s.setTyped({totals, 0}, "Total");
    for (int c = 1; c <= 9; ++c) {
        const std::string col(1, char('A' + c));
        s.setTyped({totals, c}, "=sum(" + col + "3:" + col + last + ")");
    }
    s.setTyped({totals, 10}, "=average(K3:K" + last + ")");
    s.setBold({{0, 0}, {1, 10}}, true);
    s.setAlignment({{0, 1}, {1, 10}}, host::HAlign::Right);
    s.setAlignment({{0, 0}, {999, 0}}, host::HAlign::Left);
    s.setNumberFormat({{2, 2}, {totals, 2}}, "0.00");
    s.selectCell({totals, 0});
    host::saveWorkbookFile(*book, path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: stats_workbook_maker FOLDER\n");
        return 1;
    }
    try {
        for (int entries : {0, 1, 2, 300, 5000, 32764})
            writeStats(entries, std::string(argv[1]) + "/stats_" + std::to_string(entries) + ".xls");
    } catch (const host::HostError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    return 0;
}
