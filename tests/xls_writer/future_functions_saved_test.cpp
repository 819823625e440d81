// Typed IFERROR and AVERAGEIF, which BIFF8's function table lacks, saved as LibreOffice saves
// them: calls of the hidden names "_xlfn.IFERROR" and "_xlfn.AVERAGEIF". Read back by xlrd (the
// names and the stored results), LibreOffice (which computes them from those names), Gnumeric
// and ourselves; beside formulas kept with their 3-D references and names, which must go on
// working.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <sstream>

#include "host/workbook.h"
#include "host/workbook_files.h"
#include "kept_link_formulas.h"
#include "test_clients.h"
#include "xls/biff_constants.h"
#include "xls/future_functions.h"
#include "xls/opaque_formulas.h"

namespace fs = std::filesystem;
using namespace writer_test;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Typed {
    const char* cell;
    const char* formula;
};

// Cells D1:D4 hold one shape moved down: saved as a shared formula.
const Typed kFormulas[] = {
    {"B1", "=IFERROR(1/A1,\"none\")"},
    {"B2", "=IFERROR(12/A2,-1)"},
    {"B3", "=AVERAGEIF(A1:A4,\">1\")"},
    {"B4", "=AVERAGEIF(C1:C4,\"Y\",A1:A4)"},
    {"B5", "=IFERROR(IFERROR(1/A1,NA()),7)+IFERROR(AVERAGEIF(A1:A4,\">100\"),1)"},
    {"D1", "=IFERROR(10/A1,0)"},
    {"D2", "=IFERROR(10/A2,0)"},
    {"D3", "=IFERROR(10/A3,0)"},
    {"D4", "=IFERROR(10/A4,0)"},
};

host::CellAddress cellAt(const char* a1) { return *host::parseAddress(a1); }

std::string tempDir() {
    char tmpl[] = "/tmp/tallomer-xlfn-XXXXXX";
    return mkdtemp(tmpl);
}

// The cell's value as the readers print it in csv.
std::string shown(const host::Value& v) {
    if (v.isText()) return v.text;
    std::ostringstream s;
    s.precision(15);
    s << v.number;
    return s.str();
}

}  // namespace

TEST(FutureFunctionsSaved, TypedIferrorAndAverageifAreReadBackByXlrdLibreOfficeGnumericAndOurReader) {
    auto book = host::Workbook::createDefault();
    host::Worksheet& sheet = book->sheet(0);
    const char* const marks[] = {"Y", "N", "Y", "Y"};
    const char* const numbers[] = {"0", "4", "6", "10"};
    for (int r = 0; r < 4; ++r) {
        sheet.setTyped({r, 0}, numbers[r]);
        sheet.setTyped({r, 2}, marks[r]);
    }
    for (const Typed& t : kFormulas) sheet.setTyped(cellAt(t.cell), t.formula);
    ASSERT_EQ(host::Value::fromText("none"), sheet.value(cellAt("B1")));
    ASSERT_EQ(8, sheet.value(cellAt("B5")).number);

    const std::string dir = tempDir();
    const std::string path = dir + "/future.xls";
    host::saveWorkbookFile(*book, path);

    // Our reader: the same formulas, computed again to the same values.
    const auto again = host::loadWorkbookFile(path);
    for (const Typed& t : kFormulas) {
        const host::CellAddress at = cellAt(t.cell);
        ASSERT_NE(nullptr, again->sheet(0).formulaAt(at)) << t.cell;
        EXPECT_FALSE(again->sheet(0).formulaAt(at)->opaque) << t.cell;
        EXPECT_EQ(t.formula, again->sheet(0).formulaText(at));
        EXPECT_EQ(sheet.value(at), again->sheet(0).value(at)) << t.formula;
    }

    // xlrd: the names (hidden, of macro functions), and each formula's stored result.
    std::string script =
        "import xlrd, sys\nb = xlrd.open_workbook(sys.argv[1], formatting_info=True)\n"
        "print([(n.name, n.hidden, n.func, n.macro) for n in b.name_obj_list])\ns = b.sheet_by_index(0)\n";
    std::string expected = "[('_xlfn.IFERROR', 1, 1, 1), ('_xlfn.AVERAGEIF', 1, 1, 1)]\n";
    for (const Typed& t : kFormulas) {
        const host::CellAddress at = cellAt(t.cell);
        script += "print(repr(s.cell_value(" + std::to_string(at.row) + ", " + std::to_string(at.col) + ")))\n";
        const host::Value v = sheet.value(at);
        expected += v.isText() ? "'" + v.text + "'\n" : [&] {
            std::ostringstream s;
            s.precision(17);
            s << v.number;
            std::string n = s.str();
            if (n.find('.') == std::string::npos && n.find('e') == std::string::npos) n += ".0";
            return n + "\n";
        }();
    }
    const auto r = runCommand(systemPython() + " -c " + quote(script) + " " + quote(path));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(expected, r.output);

    // LibreOffice computes every formula from the names; Gnumeric shows the stored results.
    const auto sheets = libreOfficeSheets({path}, dir);
    ASSERT_EQ(sheets.count(path), 1u) << "LibreOffice wrote nothing (is soffice installed?)";
    std::string messages;
    const auto gnumeric = gnumericSheets(path, dir, &messages);
    ASSERT_FALSE(gnumeric.empty()) << "ssconvert wrote nothing: " << messages;
    EXPECT_EQ("", messages);
    for (const auto* csv : {&sheets.at(path).at("Sheet1"), &gnumeric.front()}) {
        for (const Typed& t : kFormulas) {
            const host::CellAddress at = cellAt(t.cell);
            ASSERT_GT(csv->size(), std::size_t(at.row)) << t.cell;
            ASSERT_GT((*csv)[at.row].size(), std::size_t(at.col)) << t.cell;
            EXPECT_TRUE(sameField(shown(sheet.value(at)), (*csv)[at.row][at.col]))
                << t.formula << ": " << (*csv)[at.row][at.col] << (csv == &gnumeric.front() ? " (Gnumeric)" : "");
        }
    }
    fs::remove_all(dir);
}

TEST(FutureFunctionsSaved, KeptThreeDReferencesAndNamesWorkBesideATypedIferror) {
    auto book = host::Workbook::createDefault();
    keepLinkedFormulas(*book, host::Value::fromNumber(42));
    book->sheet(0).setTyped({2, 0}, "=IFERROR(84/A1,0)");
    book->sheet(0).setTyped({3, 0}, "=IFERROR(A2/0,-1)");

    const std::string dir = tempDir();
    const std::string path = dir + "/kept.xls";
    host::saveWorkbookFile(*book, path);

    const auto sheets = libreOfficeSheets({path}, dir);
    ASSERT_EQ(sheets.count(path), 1u) << "LibreOffice wrote nothing (is soffice installed?)";
    const Csv& csv = sheets.at(path).at("Sheet1");
    ASSERT_GE(csv.size(), 4u);
    EXPECT_EQ(csv[0][0], "42");
    EXPECT_EQ(csv[1][0], "42");
    EXPECT_EQ(csv[2][0], "2");
    EXPECT_EQ(csv[3][0], "-1");

    const auto again = host::loadWorkbookFile(path);
    const host::Worksheet& s = again->sheet(0);
    EXPECT_EQ("=Sheet2!$A$1", s.formulaText({0, 0}));
    EXPECT_EQ("=Answer", s.formulaText({1, 0}));
    EXPECT_EQ("=IFERROR(84/A1,0)", s.formulaText({2, 0}));
    EXPECT_FALSE(s.formulaAt({2, 0})->opaque);
    EXPECT_EQ(2, s.value({2, 0}).number);
    EXPECT_EQ(-1, s.value({3, 0}).number);

    const auto r = runCommand(systemPython() + " -c " +
                              quote("import xlrd, sys; b = xlrd.open_workbook(sys.argv[1]); "
                                    "print([n.name for n in b.name_obj_list])") +
                              " " + quote(path));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "['Answer', '_xlfn.IFERROR']\n");
    fs::remove_all(dir);
}

TEST(FutureFunctionsSaved, TheNewNamesFollowTheKeptOnesAndAKeptNameServesAgain) {
    using host::xls::FutureFunctionNames;
    const Bytes own = {0xAE, 0x01, 0x04, 0x00, 0x02, 0x00, 0x01, 0x04};
    const Bytes externSheet = {0x17, 0x00, 0x08, 0x00, 0x01, 0x00, 0, 0, 1, 0, 1, 0};
    // NAME "Answer" = Sheet2!$A$1, and the hidden "_xlfn.STDEV.S" a file from Excel may have
    const Bytes answer = {0x18, 0x00, 0x1C, 0x00, 0x00, 0x00, 0x00, 0x06, 0x07, 0x00, 0x00,
                          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 'A',  'n',  's',
                          'w',  'e',  'r',  0x3A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    const auto hidden = [](const std::string& name) {
        Bytes r = {0x18,
                   0x00,
                   std::uint8_t(17 + name.size()),
                   0x00,
                   0x0B,
                   0x00,
                   0x00,
                   std::uint8_t(name.size()),
                   0x02,
                   0x00,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0};
        r.insert(r.end(), name.begin(), name.end());
        r.insert(r.end(), {0x1C, 0x1D});  // #NAME?
        return r;
    };
    {
        const std::vector<Bytes> kept = {own, externSheet, answer, hidden("_xlfn.STDEV.S")};
        FutureFunctionNames names(kept);
        EXPECT_EQ(kept, names.records()) << "nothing called: nothing added";
        EXPECT_EQ(3, names.nameOf(host::FunctionId::IfError));  // after the two kept names
        EXPECT_EQ(4, names.nameOf(host::FunctionId::AverageIf));
        EXPECT_EQ(3, names.nameOf(host::FunctionId::IfError));
        EXPECT_EQ(names.records(), (std::vector<Bytes>{own, externSheet, answer, hidden("_xlfn.STDEV.S"),
                                                       hidden("_xlfn.IFERROR"), hidden("_xlfn.AVERAGEIF")}));
    }
    {
        // A name the file has already serves: nothing is added.
        const std::vector<Bytes> kept = {answer, hidden("_xlfn.IFERROR")};
        FutureFunctionNames names(kept);
        EXPECT_EQ(2, names.nameOf(host::FunctionId::IfError));
        EXPECT_EQ(kept, names.records());
    }
}
