// Functions newer than BIFF8 in .xls files: a call of the name "_xlfn.IFERROR", either an
// EXTERNNAME of the add-in SUPBOOK (tNameX, as [MS-XLS] gives add-in functions) or a hidden NAME
// of the workbook (tName, as LibreOffice and the writer store them), then tFuncVar 255. Those the engine computes are read as its own calls; other "_xlfn." names stay
// the file's. And TODAY, volatile, is computed on open as Excel computes it then.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "biff_builder.h"
#include "host/engine_clock.h"
#include "host/locale.h"
#include "host/workbook_files.h"
#include "writer_clients.h"
#include "xls/load_workbook_bytes.h"

namespace {

using xls_test::Bytes;
using xls_test::StreamBuilder;

host::CellAddress cellAt(const char* a1) { return *host::parseAddress(a1); }

Bytes externName(const std::string& name) {
    Bytes b = {0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(name.size()), 0};
    b.insert(b.end(), name.begin(), name.end());
    b.insert(b.end(), {2, 0, 0x1C, 0x17});  // its definition: #REF!
    return b;
}

// tNameX through EXTERNSHEET entry `ixti` to the add-in SUPBOOK's name `index`.
Bytes nameX(std::uint8_t ixti, std::uint8_t index) { return {0x39, ixti, 0, index, 0, 0, 0}; }

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Bytes kOneOverA1 = {0x1E, 1, 0, 0x44, 0, 0, 0, 0xC0, 0x06};  // 1/A1
const Bytes kCall2 = {0x42, 3, 0xFF, 0};  // tFuncVar 255: the name and two arguments

// The globals of a workbook calling IFERROR, STDEV.S and AVERAGEIF through add-in names: its
// own SUPBOOK, the add-in SUPBOOK with the three names, EXTERNSHEET entry 0 to Sheet1 and entry 1
// to the add-in SUPBOOK.
void excelGlobals(StreamBuilder& s) {
    s.record(0x01AE, {1, 0, 0x01, 0x04});
    s.record(0x01AE, {1, 0, 0x01, 0x3A});
    s.record(0x0023, externName("_xlfn.IFERROR"));
    s.record(0x0023, externName("_xlfn.STDEV.S"));
    s.record(0x0023, externName("_xlfn.AVERAGEIF"));
    s.record(0x0017, {2, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0xFE, 0xFF, 0xFE, 0xFF});
}

Bytes workbook() {
    return xls_test::workbookStream(excelGlobals, [](StreamBuilder& s) {
        s.number(0, 0, 0);  // A1
        s.number(1, 0, 4);  // A2
        // IFERROR(1/A1, 7), with the result the file stored
        s.formula(0, 1, concat({nameX(1, 1), kOneOverA1, {0x1E, 7, 0}, kCall2}), 7);
        // IFERROR(IFERROR(1/A1, NA()), 5): one call inside another
        s.formula(1, 1, concat({nameX(1, 1), nameX(1, 1), kOneOverA1, {0x41, 10, 0}, kCall2, {0x1E, 5, 0}, kCall2}), 5);
        // AVERAGEIF(A1:A2, ">1"), a stale result the engine replaces
        s.formula(2, 1, concat({nameX(1, 3), {0x25, 0, 0, 1, 0, 0, 0xC0, 0, 0xC0}, {0x17, 2, 0, '>', '1'}, kCall2}),
                  99);
        // STDEV.S(1, 3): the engine lacks it; the result stays
        s.formula(3, 1, concat({nameX(1, 2), {0x1E, 1, 0, 0x1E, 3, 0}, kCall2}), 1.41421356);
        // A name the call does not end: left to the file
        s.formula(4, 1, concat({nameX(1, 1), {0x1E, 1, 0}, {0x03}}), 11);
        // TODAY()+1, and A7 reading it, with the results of the day the file was saved
        s.formula(5, 1, {0x41, 221, 0, 0x1E, 1, 0, 0x03}, 40001);
        s.formula(6, 1, {0x44, 5, 0, 1, 0xC0, 0x1E, 1, 0, 0x03}, 40002);
    });
}

void expectRead(const host::Worksheet& sheet, const char* when) {
    EXPECT_EQ("=IFERROR(1/A1,7)", sheet.formulaText(cellAt("B1"))) << when;
    EXPECT_FALSE(sheet.formulaAt(cellAt("B1"))->opaque) << when;
    EXPECT_EQ(7, sheet.value(cellAt("B1")).number) << when;
    EXPECT_EQ("=IFERROR(IFERROR(1/A1,NA()),5)", sheet.formulaText(cellAt("B2"))) << when;
    EXPECT_EQ(5, sheet.value(cellAt("B2")).number) << when;
    EXPECT_EQ("=AVERAGEIF(A1:A2,\">1\")", sheet.formulaText(cellAt("B3"))) << when;
    EXPECT_EQ(4, sheet.value(cellAt("B3")).number) << when;
    EXPECT_TRUE(sheet.formulaAt(cellAt("B4"))->opaque) << when;
    EXPECT_EQ("=_xlfn.STDEV.S(1,3)", sheet.formulaText(cellAt("B4"))) << when;
    EXPECT_EQ(1.41421356, sheet.value(cellAt("B4")).number) << when;
    EXPECT_TRUE(sheet.formulaAt(cellAt("B5"))->opaque) << when;
    EXPECT_EQ(11, sheet.value(cellAt("B5")).number) << when;
    const double today = *host::serialFromDate({2026, 12, 9});
    EXPECT_EQ(today + 1, sheet.value(cellAt("B6")).number) << when;
    EXPECT_EQ(today + 2, sheet.value(cellAt("B7")).number) << when;
}

TEST(FutureFunctions, CallsThroughAddInXlfnNamesAreTheEnginesFunctionsAndSaveTheSameWay) {
    host::setEngineToday(host::Date{2026, 12, 9});
    const auto book = host::xls::loadWorkbookBytes(xls_test::compoundFile(workbook()));
    expectRead(book->sheet(0), "opened");

    // Saved, the calls go through hidden names "_xlfn.IFERROR" and "_xlfn.AVERAGEIF" after the
    // file's link records, which stay as they were; saved again, those names serve again.
    char tmpl[] = "/tmp/tallomer-xlfn-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    const std::string copy = dir + "/copy.xls";
    host::saveWorkbookFile(*book, copy);
    const auto again = host::loadWorkbookFile(copy);
    expectRead(again->sheet(0), "saved and opened again");
    ASSERT_EQ(book->xlsLinkRecords.size() + 2, again->xlsLinkRecords.size());
    EXPECT_TRUE(std::equal(book->xlsLinkRecords.begin(), book->xlsLinkRecords.end(), again->xlsLinkRecords.begin()));
    const std::string twice = dir + "/twice.xls";
    host::saveWorkbookFile(*again, twice);
    const auto third = host::loadWorkbookFile(twice);
    expectRead(third->sheet(0), "saved twice");
    EXPECT_EQ(again->xlsLinkRecords, third->xlsLinkRecords);
    host::setEngineToday(std::nullopt);
    std::filesystem::remove_all(dir);
}

std::string fodsCell(const std::string& attributes, const std::string& text = "") {
    if (text.empty()) return "<table:table-cell " + attributes + "/>";
    return "<table:table-cell " + attributes + "><text:p>" + text + "</text:p></table:table-cell>";
}

void expectLibreOfficesSheet(const host::Worksheet& sheet) {
    const char* const texts[] = {"=IFERROR(1/A1,\"none\")", "=IFERROR(12/A2,-1)", "=AVERAGEIF(A1:A4,\">1\")",
                                 "=AVERAGEIF(C1:C4,\"Y\",A1:A4)", "=IFERROR(AVERAGEIF(A1:A4,\">100\"),1)+1"};
    const host::Value values[] = {host::Value::fromText("none"), host::Value::fromNumber(3),
                                  host::Value::fromNumber(20.0 / 3), host::Value::fromNumber(16.0 / 3),
                                  host::Value::fromNumber(2)};
    for (int r = 0; r < 5; ++r) {
        const host::CellAddress at{r, 1};
        ASSERT_NE(nullptr, sheet.formulaAt(at)) << r;
        EXPECT_FALSE(sheet.formulaAt(at)->opaque) << r;
        EXPECT_EQ(texts[r], sheet.formulaText(at));
        const host::Value v = sheet.value(at);
        if (values[r].isNumber() && v.isNumber()) {
            EXPECT_NEAR(values[r].number, v.number, 1e-12) << texts[r];
        } else {
            EXPECT_EQ(values[r], v) << texts[r];
        }
    }
}

TEST(FutureFunctions, LibreOfficesXlsCallingIferrorAndAverageifOpensWithTheSameValues) {
    // LibreOffice computes the sheet as it loads it and writes IFERROR and AVERAGEIF as
    // "_xlfn." names in the .xls, with its results; the engine computes them again.
    xls_test::TempDir dir;
    const auto num = [](int v) {
        return fodsCell("office:value-type=\"float\" office:value=\"" + std::to_string(v) + "\"");
    };
    const auto str = [](const char* t) { return fodsCell("office:value-type=\"string\"", t); };
    const auto formula = [](const std::string& f) { return fodsCell("table:formula=\"of:=" + f + "\""); };
    const char* const formulas[] = {
        "IFERROR(1/[.A1];&quot;none&quot;)", "IFERROR(12/[.A2];-1)", "AVERAGEIF([.A1:.A4];&quot;&gt;1&quot;)",
        "AVERAGEIF([.C1:.C4];&quot;Y&quot;;[.A1:.A4])", "IFERROR(AVERAGEIF([.A1:.A4];&quot;&gt;100&quot;);1)+1"};
    const int numbers[] = {0, 4, 6, 10};
    const char* const marks[] = {"Y", "N", "Y", "Y"};
    std::string rows;
    for (int r = 0; r < 5; ++r) {
        rows += "<table:table-row>" + (r < 4 ? num(numbers[r]) : fodsCell("")) + formula(formulas[r]) +
                (r < 4 ? str(marks[r]) : fodsCell("")) + "</table:table-row>";
    }
    xls_test::writeText(
        dir / "future.fods",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
        "xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\" office:version=\"1.2\" "
        "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\"><office:body><office:spreadsheet>"
        "<table:table table:name=\"Sheet1\">" +
            rows + "</table:table></office:spreadsheet></office:body></office:document>\n");
    const auto xls = xls_test::libreOfficeToXls(dir / "future.fods");
    ASSERT_FALSE(xls.empty());
    // LibreOffice's own results, as it stored them, are those the engine computes.
    const std::string stored = xls_test::xlrdFirstSheet(xls);
    for (const char* line :
         {"0 1 1 'none'", "1 1 2 3.0", "2 1 2 6.666666666666667", "3 1 2 5.333333333333333", "4 1 2 2.0"}) {
        EXPECT_NE(std::string::npos, stored.find(std::string(line) + "\n")) << line << " in\n" << stored;
    }
    const auto book = host::loadWorkbookFile(xls.string());
    const auto copy = dir / "copy.xls";
    host::saveWorkbookFile(*book, copy.string());
    const auto again = host::loadWorkbookFile(copy.string());
    for (const auto* opened : {book.get(), again.get()}) expectLibreOfficesSheet(opened->sheet(0));
    EXPECT_EQ(book->xlsLinkRecords, again->xlsLinkRecords) << "LibreOffice's own names serve the calls";
}

}  // namespace
