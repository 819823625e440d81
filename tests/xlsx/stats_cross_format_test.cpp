// A statistics workbook kept in both formats by turns: days added by Submit's own code
// (tallomer-cli add) to an .xlsx workbook, saved as .xls, more days added there, saved as .xlsx
// again; every cell, its formula and its format the same as in the workbook kept in .xls all
// along, and the days read by openpyxl.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "host/workbook_files.h"
#include "xlsx_test_support.h"

using namespace xlsx_test;

namespace {

std::string firstBytes(const std::string& path, std::size_t n) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(n, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(n));
    return bytes;
}

}  // namespace

TEST(XlsxStatsAcrossFormats, DaysSubmittedInEachFormatByTurnsKeepEveryCell) {
    Folder f;
    const std::string cli = std::string(TALLOMER_BINARY_DIR) + "/tools/tallomer-cli";
    const std::string env = "HOME=" + quote(f.path) + " XDG_STATE_HOME=" + quote(f.path) + " ";
    auto cmd = [&](const std::string& args) {
        std::string out;
        EXPECT_EQ(run(env + quote(cli) + " " + args, &out), 0) << args << "\n" << out;
        return out;
    };
    const char* days[] = {"01/02/2001 10 250 0 0 100", "02/02/2001 12 300.5 1 20 110", "03/02/2001 9 100 0 0 90",
                          "04/02/2001 15 420.75 2 35.5 130"};
    const std::string a = f.file("a.xlsx"), b = f.file("b.xls"), c = f.file("c.xlsx"), kept = f.file("kept.xls");
    cmd("add --new " + quote(a) + " " + days[0]);
    cmd("add " + quote(a) + " " + days[1]);
    cmd("copy " + quote(a) + " " + quote(b));
    cmd("add " + quote(b) + " " + days[2]);
    cmd("copy " + quote(b) + " " + quote(c));
    cmd("add " + quote(c) + " " + days[3]);
    cmd("add --new " + quote(kept) + " " + days[0]);
    for (int i = 1; i < 4; ++i) cmd("add " + quote(kept) + " " + days[i]);

    EXPECT_EQ(firstBytes(a, 4), std::string("PK\3\4", 4));  // add saves in the file's own format
    EXPECT_EQ(firstBytes(b, 4), "\xD0\xCF\x11\xE0");
    EXPECT_EQ(firstBytes(c, 4), std::string("PK\3\4", 4));
    EXPECT_EQ(cmd("dump " + quote(c)), cmd("dump " + quote(kept)));
    EXPECT_EQ(cmd("show " + quote(c)), cmd("show " + quote(kept)));

    const auto viaXlsx = host::loadWorkbookFile(c);
    const auto inXls = host::loadWorkbookFile(kept);
    ASSERT_EQ(viaXlsx->sheetCount(), inXls->sheetCount());
    for (int s = 0; s < inXls->sheetCount(); ++s) {
        int cells = 0;
        inXls->sheet(s).forEachCell([&](const host::CellView& cell) {
            ++cells;
            const std::string at = std::to_string(s) + "!" + host::formatAddress(cell.at, false);
            EXPECT_EQ(viaXlsx->sheet(s).value(cell.at), cell.value) << at;
            EXPECT_EQ(viaXlsx->sheet(s).formulaText(cell.at), inXls->sheet(s).formulaText(cell.at)) << at;
            EXPECT_EQ(viaXlsx->sheet(s).style(cell.at), inXls->sheet(s).style(cell.at)) << at;
        });
        int other = 0;
        viaXlsx->sheet(s).forEachCell([&](const host::CellView&) { ++other; });
        EXPECT_EQ(other, cells) << s;
        for (int col = 0; col < 11; ++col)
            EXPECT_EQ(viaXlsx->sheet(s).columnWidth(col), inXls->sheet(s).columnWidth(col));
    }

    const std::string seen = python(R"PY(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1], data_only=True).worksheets[0]
for r in range(3, 8):
    print([ws.cell(r, c).value for c in range(1, 12)][:8])
)PY",
                                    quote(c));
    EXPECT_NE(seen.find("[datetime.datetime(2001, 2, 4, 0, 0), 15, 420.75, 2, 35.5, 385.25, 13, 130]"),
              std::string::npos)
        << seen;
    EXPECT_NE(seen.find("['Total', 46, 1071.25, 3, 55.5, 1015.75, 43, 430]"), std::string::npos) << seen;
}
