// Formulas the engine cannot compute (3-D references, defined names) keep their tokens, and
// the workbook keeps the link tables those tokens point into; saved, LibreOffice (which
// recomputes every formula it loads) must still find what they refer to.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "host/workbook.h"
#include "host/workbook_files.h"
#include "kept_link_formulas.h"
#include "test_clients.h"

namespace fs = std::filesystem;
using namespace writer_test;
using Bytes = std::vector<std::uint8_t>;

TEST(LinkTables, ThreeDReferencesAndNamesStillResolveAfterSaving) {
    auto book = host::Workbook::createDefault();
    // The kept formulas' stored results are stale on purpose: LibreOffice recomputes.
    const auto kept = keepLinkedFormulas(*book, host::Value::fromNumber(0));
    // SUM({1,2}): tArray, whose values follow the tokens in the record.
    putOpaque(*book, *kept, {2, 0}, {0x60, 0, 0, 0, 0, 0, 0, 0, 0x42, 0x01, 0x04, 0x00}, "=SUM({1,2})",
              host::Value::fromNumber(0),
              {1, 0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0x01, 0, 0, 0, 0, 0, 0, 0, 0x40});
    book->xlsLinkRecords.push_back({0x18, 0x00, 0xFF, 0x00, 0x01});  // damaged: left out
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
