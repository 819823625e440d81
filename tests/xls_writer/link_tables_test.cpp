// Formulas the engine cannot compute (3-D references, defined names) keep their tokens, and
// the workbook keeps the link tables those tokens point into; saved, LibreOffice (which
// recomputes every formula it loads) must still find what they refer to.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "host/workbook.h"
#include "host/workbook_files.h"
#include "test_clients.h"
#include "xls/opaque_formulas.h"

namespace fs = std::filesystem;
using namespace writer_test;
using Bytes = std::vector<std::uint8_t>;

namespace {

// An opaque formula in Sheet1 at `at`, its tokens kept by the .xls filter as a file read would.
void putOpaque(host::Workbook& book, host::xls::OpaqueFormulas& kept, host::CellAddress at, Bytes tokens,
               const char* text, Bytes extra = {}) {
    auto code = std::make_shared<host::FormulaCode>();
    code->opaque = true;
    code->text = text;
    kept.keep(0, at, code, {std::move(tokens), std::move(extra)});
    book.sheet(0).setFormula(at, code, host::Value::fromNumber(0));
}

}  // namespace

TEST(LinkTables, ThreeDReferencesAndNamesStillResolveAfterSaving) {
    auto book = host::Workbook::createDefault();
    book->sheet(1).setValue({0, 0}, host::Value::fromNumber(42));
    // Sheet2!A1 through EXTERNSHEET entry 0 (tRef3dV), and the name Answer (tNameV, name 1);
    // the stored results are stale on purpose: LibreOffice recomputes.
    auto kept = std::make_shared<host::xls::OpaqueFormulas>();
    putOpaque(*book, *kept, {0, 0}, {0x5A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, "=Sheet2!$A$1");
    putOpaque(*book, *kept, {1, 0}, {0x43, 0x01, 0x00, 0x00, 0x00}, "=Answer");
    // SUM({1,2}): tArray, whose values follow the tokens in the record.
    putOpaque(*book, *kept, {2, 0}, {0x60, 0, 0, 0, 0, 0, 0, 0, 0x42, 0x01, 0x04, 0x00}, "=SUM({1,2})",
              {1, 0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0x01, 0, 0, 0, 0, 0, 0, 0, 0x40});
    book->xlsFilterData = kept;
    book->xlsLinkRecords = {
        {0xAE, 0x01, 0x04, 0x00, 0x03, 0x00, 0x01, 0x04},  // SUPBOOK: this workbook, 3 sheets
        {0x17, 0x00, 0x08, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00},  // EXTERNSHEET: Sheet2
        {0x18, 0x00, 0x1C, 0x00, 0x00, 0x00, 0x00, 0x06, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00,  // NAME Answer
         0x00, 0x00, 0x00, 0x00, 0x00, 'A',  'n',  's',  'w',  'e',  'r',  0x3A, 0x00, 0x00,
         0x00, 0x00, 0x00, 0x00},  // = tRef3dR Sheet2!$A$1
        {0x18, 0x00, 0xFF, 0x00, 0x01},  // damaged: left out
    };
    char tmpl[] = "/tmp/tallomer-links-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    const std::string path = dir + "/links.xls";
    host::saveWorkbookFile(*book, path);

    const auto sheets = libreOfficeSheets({path}, dir);
    ASSERT_EQ(sheets.count(path), 1u) << "LibreOffice wrote nothing (is soffice installed?)";
    const Csv& csv = sheets.at(path).at("Sheet1");
    ASSERT_GE(csv.size(), 3u);
    EXPECT_EQ(csv[0][0], "42");
    EXPECT_EQ(csv[1][0], "42");
    EXPECT_EQ(csv[2][0], "3");

    const auto r = runCommand(systemPython() + " -c " +
                              quote("import xlrd, sys; b = xlrd.open_workbook(sys.argv[1]); "
                                    "print(b.name_obj_list[0].name, b.sheet_by_index(0).cell_value(0, 0))") +
                              " " + quote(path));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "Answer 0.0\n");
    fs::remove_all(dir);
}
