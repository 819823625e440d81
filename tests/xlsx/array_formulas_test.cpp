// Array formulas in .xlsx files (<f t="array" ref="C1:C3"> in the first cell, the results in
// the others): written by openpyxl (no results) and by LibreOffice (with them), read and
// computed element by element; ours read back by us, openpyxl and LibreOffice as the same
// array formulas with the same results.
#include <gtest/gtest.h>

#include "host/workbook.h"
#include "host/workbook_files.h"
#include "host/worksheet.h"
#include "xlsx_test_support.h"

using namespace xlsx_test;

namespace {

constexpr const char* kOpenpyxlArrays = R"PY(
import sys, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
for r, (flag, n) in enumerate([('Y', 10), ('N', 20), ('y', 30), ('Y', 'text'), (None, 50)], 1):
    ws.cell(r, 11, flag)
    ws.cell(r, 14, n)
for r in range(1, 4):
    ws.cell(r, 1, r)
for cell, ref, text in [('C1', 'C1:C3', '=A1:A3*2'), ('D1', 'D1', '=SUM(IF(K1:K5="Y",N1:N5,0))'),
                        ('E1', 'E1', '=SUM(1*NOT(ISBLANK(K1:K6)))')]:
    ws[cell] = text
    ws.formula_attributes[cell] = {'t': 'array', 'ref': ref}
wb.save(sys.argv[1])
)PY";

host::CellAddress at(const char* a1) { return *host::parseAddress(a1); }

void expectArrays(const host::Worksheet& ws, const std::string& who) {
    SCOPED_TRACE(who);
    EXPECT_EQ(ws.value(at("C1")), host::Value::fromNumber(2));
    EXPECT_EQ(ws.value(at("C2")), host::Value::fromNumber(4));
    EXPECT_EQ(ws.value(at("C3")), host::Value::fromNumber(6));
    EXPECT_EQ(ws.value(at("D1")), host::Value::fromNumber(40));
    EXPECT_EQ(ws.value(at("E1")), host::Value::fromNumber(4));
    EXPECT_EQ(ws.formulaText(at("C3")), "=A1:A3*2");
    EXPECT_EQ(ws.formulaText(at("D1")), "=SUM(IF(K1:K5=\"Y\",N1:N5,0))");
    for (const char* cell : {"C1", "C2", "C3"}) {
        const host::FormulaCode* code = ws.formulaAt(at(cell));
        ASSERT_NE(code, nullptr) << cell;
        EXPECT_TRUE(code->array && !code->opaque) << cell;
        EXPECT_EQ(code->arrayRange, (host::CellRange{at("C1"), at("C3")})) << cell;
    }
}

TEST(XlsxArrayFormulas, ReadFromOpenpyxlAndLibreOfficeAndWrittenBackAsArrayFormulas) {
    Folder f;
    const std::string book = f.file("arrays.xlsx");
    python(kOpenpyxlArrays, quote(book));
    expectArrays(host::loadWorkbookFile(book)->sheet(0), "openpyxl, no results stored");
    const auto fromLibreOffice = host::loadWorkbookFile(sofficeConvert(f, book, "xlsx"));
    expectArrays(fromLibreOffice->sheet(0), "LibreOffice, results stored");

    const std::string ours = f.file("ours.xlsx");
    host::saveWorkbookFile(*fromLibreOffice, ours);
    expectArrays(host::loadWorkbookFile(ours)->sheet(0), "ours");

    // openpyxl sees the array formulas over their ranges.
    const std::string seen = python(R"PY(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
for cell in ('C1', 'D1', 'E1'):
    a = ws.formula_attributes.get(cell, {})
    print(cell, a.get('ref') if a.get('t') == 'array' else 'plain', ws[cell].value)
)PY",
                                    quote(ours));
    EXPECT_NE(seen.find("C1 C1:C3 =A1:A3*2"), std::string::npos) << seen;
    EXPECT_NE(seen.find("D1 D1 =SUM(IF(K1:K5=\"Y\",N1:N5,0))"), std::string::npos) << seen;
    EXPECT_NE(seen.find("E1 E1 =SUM(1*NOT(ISBLANK(K1:K6)))"), std::string::npos) << seen;

    // LibreOffice reads our copy with the same results.
    const auto again = host::loadWorkbookFile(sofficeConvert(f, ours, "xlsx"));
    expectArrays(again->sheet(0), "ours through LibreOffice");
}

}  // namespace
