// Typed IFERROR and AVERAGEIF, which BIFF8's function table lacks, saved as Excel 2007 saves
// them: calls of the add-in names "_xlfn.IFERROR" and "_xlfn.AVERAGEIF". Read back by xlrd (the
// stored results), LibreOffice (which computes them from those names), Gnumeric and ourselves;
// beside formulas kept with their 3-D references and names, which must go on working.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <sstream>

#include "host/workbook.h"
#include "host/workbook_files.h"
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

    // xlrd: the add-in names, and each formula's stored result.
    std::string script =
        "import xlrd, sys\nb = xlrd.open_workbook(sys.argv[1], formatting_info=True)\n"
        "print(b.addin_func_names)\ns = b.sheet_by_index(0)\n";
    std::string expected = "['_xlfn.IFERROR', '_xlfn.AVERAGEIF']\n";
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
    book->sheet(1).setValue({0, 0}, host::Value::fromNumber(42));
    // A1 =Sheet2!$A$1 through EXTERNSHEET entry 0, A2 =Answer (the file's NAME), kept as read.
    auto kept = std::make_shared<host::xls::OpaqueFormulas>();
    const auto putOpaque = [&](host::CellAddress at, Bytes tokens, const char* text) {
        auto code = std::make_shared<host::FormulaCode>();
        code->opaque = true;
        code->text = text;
        kept->keep(0, at, code, {std::move(tokens), {}});
        book->sheet(0).setFormula(at, code, host::Value::fromNumber(42));
    };
    putOpaque({0, 0}, {0x5A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, "=Sheet2!$A$1");
    putOpaque({1, 0}, {0x43, 0x01, 0x00, 0x00, 0x00}, "=Answer");
    book->xlsFilterData = kept;
    book->xlsLinkRecords = {
        {0xAE, 0x01, 0x04, 0x00, 0x03, 0x00, 0x01, 0x04},  // SUPBOOK: this workbook, 3 sheets
        {0x17, 0x00, 0x08, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00},  // EXTERNSHEET: Sheet2
        {0x18, 0x00, 0x1C, 0x00, 0x00, 0x00, 0x00, 0x06, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00,  // NAME Answer
         0x00, 0x00, 0x00, 0x00, 0x00, 'A',  'n',  's',  'w',  'e',  'r',  0x3A, 0x00, 0x00,
         0x00, 0x00, 0x00, 0x00},  // = tRef3dR Sheet2!$A$1
    };
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
                                    "print(b.name_obj_list[0].name, b.addin_func_names)") +
                              " " + quote(path));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "Answer ['_xlfn.IFERROR']\n");
    fs::remove_all(dir);
}

TEST(FutureFunctionsSaved, TheLinkTablesGrowWithoutMovingWhatKeptTokensPointAt) {
    using host::xls::FutureFunctionLinks;
    const Bytes own = {0xAE, 0x01, 0x04, 0x00, 0x02, 0x00, 0x01, 0x04};
    const Bytes addIn = {0xAE, 0x01, 0x04, 0x00, 0x01, 0x00, 0x01, 0x3A};
    const auto externName = [](const std::string& name) {
        Bytes r = {0x23, 0x00, std::uint8_t(12 + name.size()), 0x00, 0, 0, 0, 0, 0, 0, std::uint8_t(name.size()), 0};
        r.insert(r.end(), name.begin(), name.end());
        r.insert(r.end(), {2, 0, 0x1C, 0x17});
        return r;
    };
    // An external workbook's SUPBOOK with a name of its own: the add-in SUPBOOK goes after both.
    const Bytes external = {0xAE, 0x01, 0x0A, 0x00, 0x01, 0x00, 0x05, 0x00, 0x00, 'a', '.', 'x', 'l', 's'};
    const Bytes externalName = externName("Rate");
    const Bytes externSheet = {0x17, 0x00, 0x0E, 0x00, 0x02, 0x00, 0, 0, 1, 0, 1, 0, 1, 0, 0xFE, 0xFF, 0xFE, 0xFF};
    const Bytes name = {0x18, 0x00, 0x0F, 0x00, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'X'};
    {
        const std::vector<Bytes> kept = {own, external, externalName, externSheet, name};
        FutureFunctionLinks links(kept, 2);
        EXPECT_EQ(kept, links.records()) << "nothing called: nothing added";
        const auto iferror = links.nameOf(host::FunctionId::IfError);
        const auto averageif = links.nameOf(host::FunctionId::AverageIf);
        EXPECT_EQ(2, iferror.ixti);  // after the two kept entries
        EXPECT_EQ(1, iferror.index);
        EXPECT_EQ(2, averageif.ixti);
        EXPECT_EQ(2, averageif.index);
        EXPECT_EQ(1, links.nameOf(host::FunctionId::IfError).index);
        const Bytes grown = {0x17, 0x00, 0x14, 0x00, 0x03, 0x00, 0, 0, 1,    0,    1,    0,
                             1,    0,    0xFE, 0xFF, 0xFE, 0xFF, 2, 0, 0xFE, 0xFF, 0xFE, 0xFF};
        EXPECT_EQ(links.records(), (std::vector<Bytes>{own, external, externalName, addIn, externName("_xlfn.IFERROR"),
                                                       externName("_xlfn.AVERAGEIF"), grown, name}));
    }
    {
        // The file's own add-in SUPBOOK is used: its names keep their numbers, new ones follow.
        const Bytes entries = {0x17, 0x00, 0x0E, 0x00, 0x02, 0x00, 0, 0, 1, 0, 1, 0, 1, 0, 0xFE, 0xFF, 0xFE, 0xFF};
        const std::vector<Bytes> kept = {own, addIn, externName("_xlfn.STDEV.S"), externName("_xlfn.AVERAGEIF"),
                                         entries};
        FutureFunctionLinks links(kept, 2);
        EXPECT_EQ(2, links.nameOf(host::FunctionId::AverageIf).index);
        EXPECT_EQ(kept, links.records()) << "a kept name and entry serve: nothing added";
        const auto iferror = links.nameOf(host::FunctionId::IfError);
        EXPECT_EQ(1, iferror.ixti);
        EXPECT_EQ(3, iferror.index);
        EXPECT_EQ(links.records(),
                  (std::vector<Bytes>{own, addIn, externName("_xlfn.STDEV.S"), externName("_xlfn.AVERAGEIF"),
                                      externName("_xlfn.IFERROR"), entries}));
    }
    {
        // A workbook made here: its own SUPBOOK, the add-in SUPBOOK, the name, one entry.
        const std::vector<Bytes> kept;
        FutureFunctionLinks links(kept, 3);
        EXPECT_EQ(0, links.nameOf(host::FunctionId::IfError).ixti);
        EXPECT_EQ(links.records(),
                  (std::vector<Bytes>{{0xAE, 0x01, 0x04, 0x00, 0x03, 0x00, 0x01, 0x04},
                                      addIn,
                                      externName("_xlfn.IFERROR"),
                                      {0x17, 0x00, 0x08, 0x00, 0x01, 0x00, 1, 0, 0xFE, 0xFF, 0xFE, 0xFF}}));
    }
}
