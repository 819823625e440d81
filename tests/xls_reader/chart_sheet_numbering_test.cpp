// A chart sheet between worksheets is not kept, and the sheets after it move up one place:
// the references to them (3-D references, names local to a sheet) move with them, so a saved
// copy refers to the same sheets as the file did.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "biff_builder.h"
#include "host/workbook_files.h"
#include "writer_clients.h"
#include "xls/load_workbook_bytes.h"

namespace {

using xls_test::Bytes;
using xls_test::StreamBuilder;

// Sheets "A", "Chart1" (a chart sheet) and "B"; EXTERNSHEET entry 0 is B, entry 1 is A:B.
// A1 of A: =B!A1+1, stored as 8. A2 of A: =SUM('A:B'!B1:B1), stored as 30. A name "Local" on B.
Bytes workbookWithChartSheet() {
    StreamBuilder s;
    s.bof(0x0005);
    const std::size_t a = s.boundSheet("A");
    const std::size_t chart = s.boundSheet("Chart1", 2);
    const std::size_t b = s.boundSheet("B");
    s.record(0x01AE, {3, 0, 0x01, 0x04});  // SUPBOOK: this workbook, 3 sheets
    s.record(0x0017, {2, 0, 0, 0, 2, 0, 2, 0, 0, 0, 0, 0, 2, 0});  // EXTERNSHEET: B; A:B
    Bytes name = {0, 0, 0, 5, 7, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 'L', 'o', 'c', 'a', 'l'};
    name.insert(name.end(), {0x3A, 0, 0, 0, 0, 0, 0});  // =B!$A$1
    s.record(0x0018, name);
    s.eof();
    s.sheetStartsHere(a);
    s.bof(0x0010);
    s.formula(0, 0, {0x5A, 0, 0, 0, 0, 0, 0xC0, 0x1E, 1, 0, 0x03}, 8);  // =B!A1+1
    s.formula(1, 0, {0x3B, 1, 0, 0, 0, 0, 0, 1, 0xC0, 1, 0xC0, 0x42, 1, 4, 0}, 30);  // =SUM('A:B'!B1:B1)
    s.number(0, 1, 3);
    s.eof();
    s.sheetStartsHere(chart);
    s.bof(0x0020).eof();
    s.sheetStartsHere(b);
    s.bof(0x0010).number(0, 0, 7).number(0, 1, 27).eof();
    return s.bytes;
}

std::string run(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    if (!pipe) return out;
    char buf[4096];
    while (const std::size_t n = fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
    EXPECT_EQ(0, pclose(pipe)) << command << "\n" << out;
    return out;
}

TEST(ChartSheets, ReferencesToTheSheetsAfterOneStillNameThemWhenSaved) {
    xls_test::TempDir dir;
    const auto book = host::xls::loadWorkbookBytes(xls_test::compoundFile(workbookWithChartSheet()));
    ASSERT_EQ(2, book->sheetCount());
    EXPECT_EQ("B", book->sheet(1).name());
    EXPECT_EQ("=B!A1+1", book->sheet(0).formulaText({0, 0}));
    EXPECT_EQ("=SUM('A:B'!B1:B1)", book->sheet(0).formulaText({1, 0}));

    const auto saved = dir / "saved.xls";
    host::saveWorkbookFile(*book, saved.string());
    const auto again = host::loadWorkbookFile(saved.string());
    EXPECT_EQ("=B!A1+1", again->sheet(0).formulaText({0, 0}));
    EXPECT_EQ("=SUM('A:B'!B1:B1)", again->sheet(0).formulaText({1, 0}));
    EXPECT_EQ(host::Value::fromNumber(8), again->sheet(0).value({0, 0}));

    // xlrd sees the name local to B, the second sheet now; LibreOffice computes the formulas
    // from the sheets they name.
    const std::string names =
        run("/usr/bin/python3 -c 'import sys, xlrd\n"
            "b = xlrd.open_workbook(sys.argv[1])\n"
            "print(b.sheet_names(), [(n.name, n.scope) for n in b.name_obj_list])' '" +
            saved.string() + "' 2>&1");
    EXPECT_EQ("['A', 'B'] [('Local', 1)]\n", names);
    run("cd '" + dir.path().string() + "' && HOME='" + dir.path().string() +
        "' soffice --headless -env:UserInstallation=file://" + (dir / "lo").string() +
        " --convert-to fods saved.xls >/dev/null 2>&1");
    std::ifstream in(dir / "saved.fods");
    std::stringstream fods;
    fods << in.rdbuf();
    EXPECT_NE(fods.str().find("of:=[$B.A1]+1"), std::string::npos) << "LibreOffice reads another formula";
    EXPECT_NE(fods.str().find("of:=SUM([$A.B1:$B.B1])"), std::string::npos) << "LibreOffice reads another formula";
}

}  // namespace
