// .xlsx files written by openpyxl, LibreOffice and Gnumeric at test time, read by us; ours
// read by openpyxl, LibreOffice and ssconvert; and the statistics layout across both formats.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "host/application.h"
#include "host/host_error.h"
#include "host/workbook_files.h"
#include "xlsx/sheet_part.h"
#include "xlsx_test_support.h"

using namespace xlsx_test;
using host::CellAddress;

namespace {

constexpr const char* kOpenpyxlBook = R"PY(
import sys, datetime, openpyxl
from openpyxl.styles import Font, Alignment
wb = openpyxl.Workbook()
ws = wb.active
ws.title = 'Stats'
ws['A1'] = 'Entries'; ws['A1'].font = Font(bold=True)
ws['B1'] = 2; ws['B1'].alignment = Alignment(horizontal='right')
ws['A3'] = datetime.date(2001, 2, 1)
ws['B3'] = 10; ws['C3'] = 250.5; ws['D3'] = True; ws['E3'] = 'a text'
ws['F3'] = '=C3-B3'; ws['F4'] = '=SUM(B3:C3)/2'; ws['F5'] = '=IF(B3>1,"big","small")'
ws.column_dimensions['C'].width = 20
other = wb.create_sheet('Other'); other['A1'] = 5
if len(sys.argv) > 2:
    ws['G3'] = '=Other!A1+1'
    wb.active = 1
    other['C7'] = 1
    other.sheet_view.selection[0].activeCell = 'C7'
    other.sheet_view.selection[0].sqref = 'C7'
wb.save(sys.argv[1])
)PY";

void expectStatsValues(const host::Workbook& wb, const std::string& who) {
    SCOPED_TRACE(who);
    const host::Worksheet& ws = wb.sheet(0);
    EXPECT_EQ(ws.name(), "Stats");
    EXPECT_EQ(ws.value({0, 0}), host::Value::fromText("Entries"));
    EXPECT_TRUE(ws.style({0, 0}).bold);
    EXPECT_EQ(ws.value({0, 1}), host::Value::fromNumber(2));
    const host::CellValue date = ws.read({2, 0});
    EXPECT_TRUE(date.isDate);
    EXPECT_EQ(date.value, host::Value::fromNumber(36923));  // 1 February 2001
    EXPECT_EQ(ws.value({2, 1}), host::Value::fromNumber(10));
    EXPECT_EQ(ws.value({2, 2}), host::Value::fromNumber(250.5));
    EXPECT_EQ(ws.value({2, 3}), host::Value::fromBoolean(true));
    EXPECT_EQ(ws.value({2, 4}), host::Value::fromText("a text"));
    EXPECT_EQ(ws.value({2, 5}), host::Value::fromNumber(240.5));
    EXPECT_EQ(ws.formulaText({2, 5}), "=C3-B3");
    EXPECT_EQ(ws.value({3, 5}), host::Value::fromNumber(130.25));
    EXPECT_EQ(ws.value({4, 5}), host::Value::fromText("big"));
    EXPECT_NEAR(ws.columnWidth(2), 19.29, 0.2);
    EXPECT_EQ(wb.sheet(1).value({0, 0}), host::Value::fromNumber(5));
}

std::vector<char> bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

TEST(XlsxInterop, FilesOpenpyxlLibreOfficeAndGnumericWriteReadWithTheirValues) {
    Folder f;
    const std::string book = f.file("book.xlsx");
    python(kOpenpyxlBook, quote(book));
    expectStatsValues(*host::loadWorkbookFile(book), "openpyxl");

    // LibreOffice writes shared strings and cached results; Gnumeric its own styles and parts.
    expectStatsValues(*host::loadWorkbookFile(sofficeConvert(f, book, "xlsx")), "LibreOffice");
    std::string out;
    const std::string gnumeric = f.file("gnumeric.xlsx");
    ASSERT_EQ(run("ssconvert " + quote(book) + " " + quote(gnumeric), &out), 0) << out;
    expectStatsValues(*host::loadWorkbookFile(gnumeric), "Gnumeric");
}

TEST(XlsxInterop, FormulaTheEngineCannotComputeKeepsItsTextAndTheActiveSheetAndCellAreRead) {
    Folder f;
    const std::string book = f.file("book.xlsx");
    python(kOpenpyxlBook, quote(book) + " more");
    // LibreOffice stores the cached result of the formula that reads another sheet.
    const auto wb = host::loadWorkbookFile(sofficeConvert(f, book, "xlsx"));
    EXPECT_EQ(wb->sheet(0).formulaText({2, 6}), "=Other!A1+1");
    EXPECT_EQ(wb->sheet(0).value({2, 6}), host::Value::fromNumber(6));
    EXPECT_EQ(wb->activeSheetIndex(), 1);
    EXPECT_EQ(wb->fileFormat, host::Workbook::FileFormat::Xlsx);
    const auto written = host::loadWorkbookFile(book);
    EXPECT_EQ(written->activeSheetIndex(), 1);
    EXPECT_EQ(written->sheet(1).activeCell(), (CellAddress{6, 2}));
}

TEST(XlsxInterop, FormulasSpeltOutInEveryCellOfAColumnReadAsTheirOwnText) {
    // Each cell's formula in full, no shared formulas, as LibreOffice writes a column: runs of
    // one formula, a formula that only looks like the one above, other spellings, gaps.
    Folder f;
    const std::string book = f.file("column.xlsx");
    python(R"PY(
import sys, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
for r in range(1, 13):
    ws.cell(r, 1, r * 10)
    ws.cell(r, 2, r)
texts = {1: '=A1-B1', 2: '=A2-B2', 3: '=A3-B3', 4: '=A4*4', 5: '=A5*5', 6: '=a6-b6',
         7: '=A7 - B7', 8: '=A8-B8', 10: '=A10-B10', 11: '=$A$1-B11'}
for r, t in texts.items():
    ws.cell(r, 3, t)
ws['C12'] = '=$A$1-B12'
ws['C13'] = '=SUM(C1:C12)'
wb.save(sys.argv[1])
)PY",
           quote(book));
    const auto wb = host::loadWorkbookFile(book);
    const host::Worksheet& ws = wb->sheet(0);
    const std::vector<std::pair<int, std::string>> expected = {
        {1, "=A1-B1"}, {2, "=A2-B2"}, {3, "=A3-B3"},    {4, "=A4*4"},      {5, "=A5*5"},
        {6, "=A6-B6"}, {8, "=A8-B8"}, {10, "=A10-B10"}, {11, "=$A$1-B11"}, {12, "=$A$1-B12"}};
    for (const auto& [row, text] : expected) {
        EXPECT_EQ(ws.formulaText({row - 1, 2}), text) << row;
    }
    EXPECT_EQ(ws.value({3, 2}), host::Value::fromNumber(160));  // A4*4, not A4-B4
    EXPECT_EQ(ws.value({4, 2}), host::Value::fromNumber(250));
    EXPECT_EQ(ws.value({5, 2}), host::Value::fromNumber(54));
    EXPECT_EQ(ws.value({6, 2}), host::Value::fromNumber(63));
    EXPECT_EQ(ws.value({10, 2}), host::Value::fromNumber(-1));  // $A$1 stays A1
    EXPECT_EQ(ws.value({11, 2}), host::Value::fromNumber(-2));
}

TEST(XlsxInterop, WhatWeWriteReadsInOpenpyxlLibreOfficeAndGnumeric) {
    Folder f;
    auto wb = host::Workbook::createDefault();
    host::Worksheet& ws = wb->sheet(0);
    ws.setTyped({0, 0}, "Entries");
    ws.setBold({{0, 0}, {0, 0}}, true);
    ws.setTyped({0, 1}, "1");
    ws.setAlignment({{0, 1}, {0, 1}}, host::HAlign::Right);
    ws.setTyped({2, 0}, "02/01/2001");
    ws.setTyped({2, 1}, "12");
    ws.setTyped({2, 2}, "300.25");
    ws.setTyped({2, 3}, "=C3-B3");
    ws.setTyped({2, 4}, "=IF(B3>1,\"big\",\"small\")");
    ws.setTyped({2, 5}, "=1/0");
    ws.setValue({2, 6}, host::Value::fromBoolean(false));
    ws.setColumnWidth(2, 15);
    ws.selectCell({3, 0});
    const std::string ours = f.file("ours.XLSX");  // the ending in any case gives the format
    host::saveWorkbookFile(*wb, ours);
    ASSERT_EQ(bytesOf(ours).at(0), 'P');

    const std::string seen = python(R"PY(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
for a in ['A1', 'B1', 'A3', 'B3', 'C3', 'D3', 'E3', 'F3', 'G3']:
    c = ws[a]
    print(a, repr(c.value), c.number_format, c.font.b, c.alignment.horizontal)
print('width', round(ws.column_dimensions['C'].width, 2), ws.sheet_view.selection[0].activeCell)
)PY",
                                    quote(ours));
    EXPECT_NE(seen.find("A1 'Entries' General True None"), std::string::npos) << seen;
    EXPECT_NE(seen.find("B1 1 General False right"), std::string::npos) << seen;
    EXPECT_NE(seen.find("A3 datetime.datetime(2001, 2, 1, 0, 0)"), std::string::npos) << seen;
    EXPECT_NE(seen.find("D3 '=C3-B3'"), std::string::npos) << seen;
    EXPECT_NE(seen.find("E3 '=IF(B3>1,\"big\",\"small\")'"), std::string::npos) << seen;
    EXPECT_NE(seen.find("G3 False"), std::string::npos) << seen;
    EXPECT_NE(seen.find("width 15.71 A4"), std::string::npos) << seen;

    // LibreOffice recomputes; ssconvert reads the cached results.
    const std::string csv = sofficeConvert(f, ours, "csv");
    const auto loText = bytesOf(csv);
    const std::string lo(loText.begin(), loText.end());
    EXPECT_NE(lo.find(",12,300.25,288.25,big,#DIV/0!,FALSE"), std::string::npos) << lo;
    std::string out;
    ASSERT_EQ(run("ssconvert " + quote(ours) + " " + quote(f.file("g.csv")), &out), 0) << out;
    const auto gText = bytesOf(f.file("g.csv"));
    const std::string g(gText.begin(), gText.end());
    EXPECT_NE(g.find(",12,300.25,288.25,big,#DIV/0!,FALSE"), std::string::npos) << g;
}

TEST(XlsxInterop, StatsWorkbookSubmittedInOneFormatAndSavedInTheOtherKeepsEveryCell) {
    Folder f;
    const std::string book = f.file("book.xlsx");
    python(kOpenpyxlBook, quote(book));
    auto app = std::make_unique<host::Application>();
    host::Workbook& wb = app->openWorkbook(sofficeConvert(f, book, "xlsx"));
    wb.sheet(0).setTyped({5, 1}, "=B3*2");  // a change after opening, as Submit makes
    app->saveActiveWorkbookAs(f.file("as.xls"));
    EXPECT_EQ(wb.fileFormat, host::Workbook::FileFormat::Xls);
    const auto back = host::loadWorkbookFile(f.file("as.xls"));
    auto compare = [](const host::Workbook& a, const host::Workbook& b) {
        ASSERT_EQ(a.sheetCount(), b.sheetCount());
        for (int s = 0; s < a.sheetCount(); ++s) {
            a.sheet(s).forEachCell([&](const host::CellView& c) {
                EXPECT_EQ(b.sheet(s).value(c.at), c.value) << s << " " << host::formatAddress(c.at, false);
                EXPECT_EQ(b.sheet(s).formulaText(c.at), a.sheet(s).formulaText(c.at));
                EXPECT_EQ(b.sheet(s).style(c.at), a.sheet(s).style(c.at));
            });
        }
    };
    compare(wb, *back);
    // And back the other way: the .xls file opened, saved as .xlsx under a name without the
    // ending, then Save keeps .xlsx.
    host::Workbook& fromXls = app->openWorkbook(f.file("as.xls"));
    app->saveActiveWorkbookAs(f.file("again.xlsx"));
    compare(fromXls, *host::loadWorkbookFile(f.file("again.xlsx")));
    std::filesystem::rename(f.file("again.xlsx"), f.file("noext"));
    host::Workbook& noExt = app->openWorkbook(f.file("noext"));
    EXPECT_EQ(noExt.fileFormat, host::Workbook::FileFormat::Xlsx);  // told by its bytes
    noExt.sheet(0).setTyped({6, 1}, "7");
    app->saveActiveWorkbook();
    EXPECT_EQ(bytesOf(f.file("noext"))[0], 'P');
    compare(noExt, *host::loadWorkbookFile(f.file("noext")));
}

TEST(XlsxInterop, TextsWithControlCharactersAndUnderscoresComeBackAsTyped) {
    // XML carries no control characters: writers spell them "_x0001_". LibreOffice spells a
    // typed "_x0041_" "_x005F_x0041_"; libxlsxwriter leaves it as typed.
    Folder f;
    const std::vector<std::string> texts = {
        "a\x01"
        "b\x1f"
        "c",
        "tab\tline\nbreak", "typed _x0041_ and _x005F_", "_x", "x_"};
    auto wb = host::Workbook::createDefault();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        wb->sheet(0).setValue({static_cast<int>(i), 0}, host::Value::fromText(texts[i]));
        wb->sheet(0).setTyped({static_cast<int>(i), 1},
                              "=A" + std::to_string(i + 1) + "&\"\"");  // the same as a result
    }
    host::saveWorkbookFile(*wb, f.file("ours.xls"));
    host::saveWorkbookFile(*wb, f.file("ours.xlsx"));
    const auto ours = host::loadWorkbookFile(f.file("ours.xlsx"));
    const auto libreOffice = host::loadWorkbookFile(sofficeConvert(f, f.file("ours.xls"), "xlsx"));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(ours->sheet(0).value({static_cast<int>(i), 0}), host::Value::fromText(texts[i])) << i;
        EXPECT_EQ(libreOffice->sheet(0).value({static_cast<int>(i), 0}), host::Value::fromText(texts[i])) << i;
        EXPECT_EQ(ours->sheet(0).value({static_cast<int>(i), 1}), host::Value::fromText(texts[i])) << i;
    }
}

TEST(XlsxInterop, ControlCharactersWhereXmlHasNoSpellingForThemNeverMakeAnUnreadableFile) {
    Folder f;
    auto wb = host::Workbook::createDefault();
    host::Worksheet& ws = wb->sheet(0);
    ws.setTyped({0, 0}, "2");
    ws.setNumberFormat({{0, 0}, {0, 0}}, "0.00\"\x02 units\"");  // the character is left out
    ws.setTyped({1, 0}, "=\"a\x01\"&A1");  // saved as its result
    const std::string path = f.file("ctl.xlsx");
    host::saveWorkbookFile(*wb, path);
    const auto back = host::loadWorkbookFile(path);
    EXPECT_EQ(back->sheet(0).style({0, 0}).numberFormat, "0.00\" units\"");
    EXPECT_EQ(back->sheet(0).value({1, 0}), host::Value::fromText("a\x01"
                                                                  "2"));
    // A sheet name no .xlsx workbook can hold is refused, saying why, and the file stays.
    wb->addSheet("a\x01name");
    try {
        host::saveWorkbookFile(*wb, path);
        ADD_FAILURE() << "saved";
    } catch (const host::HostError& e) {
        EXPECT_NE(std::string(e.what()).find("control character"), std::string::npos) << e.what();
    }
    EXPECT_EQ(host::loadWorkbookFile(path)->sheetCount(), back->sheetCount());
}

TEST(XlsxInterop, CellsOfTypeDateHoldTheirDaysAsSerialNumbers) {
    // openpyxl with iso_dates writes t="d" cells, "2001-02-01T12:00:00".
    Folder f;
    const std::string book = f.file("iso.xlsx");
    python(R"PY(
import sys, datetime, openpyxl
wb = openpyxl.Workbook()
wb.iso_dates = True
ws = wb.active
ws['A1'] = datetime.date(2001, 2, 1)
ws['A2'] = datetime.datetime(2001, 2, 1, 12, 0, 0)
ws['A3'] = datetime.date(1900, 2, 28)
ws['A4'] = datetime.date(1900, 3, 1)
wb.save(sys.argv[1])
)PY",
           quote(book));
    const auto wb = host::loadWorkbookFile(book);
    const host::Worksheet& ws = wb->sheet(0);
    EXPECT_EQ(ws.value({0, 0}), host::Value::fromNumber(36923));
    EXPECT_TRUE(ws.read({0, 0}).isDate);
    EXPECT_EQ(ws.value({1, 0}), host::Value::fromNumber(36923.5));
    EXPECT_EQ(ws.value({2, 0}), host::Value::fromNumber(59));
    EXPECT_EQ(ws.value({3, 0}), host::Value::fromNumber(61));

    EXPECT_EQ(host::xlsx::isoDateSerial("1904-01-02", true), 1.0);
    EXPECT_EQ(host::xlsx::isoDateSerial("2001-02-01T06:00:00.5Z", false), 36923.25 + 0.5 / 86400);
    for (const char* junk : {"2001-02-30", "2001-13-01", "2001-02-01T25:00", "01/02/2001", "2001-02-01x", "1899-12-31"})
        EXPECT_EQ(host::xlsx::isoDateSerial(junk, false), std::nullopt) << junk;
}

TEST(XlsxInterop, FailedSaveLeavesTheOldFileByteForByte) {
    Folder f;
    auto wb = host::Workbook::createDefault();
    wb->sheet(0).setTyped({0, 0}, "1");
    const std::string target = f.file("keep.xlsx");
    host::saveWorkbookFile(*wb, target);
    const auto before = bytesOf(target);
    // A sheet name libxlsxwriter refuses fails the save before anything is replaced.
    wb->addSheet("bad[name]");
    EXPECT_THROW(host::saveWorkbookFile(*wb, target), host::HostError);
    EXPECT_EQ(bytesOf(target), before);
    std::string left;
    run("ls -A " + quote(f.path), &left);
    EXPECT_EQ(left, "keep.xlsx\n");
}
