// Array formulas the engine computes as Excel does (every function in them marked so) are
// computed on open, element by element, and saved as array formulas with the results as their
// cached values: xlrd reads those results, LibreOffice reads the copy's array formulas with
// them, and Gnumeric, recomputing the copy, gets them too. An array formula calling a function
// the engine does not compute so keeps the result the file stored.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <regex>
#include <sstream>

#include "biff_builder.h"
#include "host/workbook_files.h"
#include "writer_clients.h"
#include "xls/load_workbook_bytes.h"

namespace {

using xls_test::Bytes;
using xls_test::StreamBuilder;

// Tokens as Excel writes an array formula's: operands in the array class, relative references.
Bytes areaA(int r1, int r2, int col) {
    Bytes b{0x65};
    xls_test::put16(b, r1);
    xls_test::put16(b, r2);
    xls_test::put16(b, col | 0xC000);
    xls_test::put16(b, col | 0xC000);
    return b;
}
Bytes refA(int row, int col) {
    Bytes b{0x64};
    xls_test::put16(b, row);
    xls_test::put16(b, col | 0xC000);
    return b;
}
Bytes str(const std::string& s) {
    Bytes b{0x17, static_cast<std::uint8_t>(s.size()), 0};
    b.insert(b.end(), s.begin(), s.end());
    return b;
}
Bytes integer(int n) { return {0x1E, static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8)}; }
Bytes func(int number) { return {0x41, static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8)}; }
Bytes funcVar(int number, int argc) {
    return {0x42, static_cast<std::uint8_t>(argc), static_cast<std::uint8_t>(number),
            static_cast<std::uint8_t>(number >> 8)};
}
Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes b;
    for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
    return b;
}
constexpr std::uint8_t kMul = 0x05, kEq = 0x0B, kGe = 0x0C;
constexpr int kIf = 1, kSum = 4, kMin = 6, kLen = 32, kValue = 33, kNot = 38, kUpper = 113, kIsBlank = 129;

Bytes arrayRecord(int r1, int r2, int col, const Bytes& tokens, const Bytes& extra = {}) {
    Bytes b;
    xls_test::put16(b, r1);
    xls_test::put16(b, r2);
    b.push_back(static_cast<std::uint8_t>(col));
    b.push_back(static_cast<std::uint8_t>(col));
    xls_test::put16(b, 0);
    xls_test::put32(b, 0);
    xls_test::put16(b, static_cast<unsigned>(tokens.size()));
    b.insert(b.end(), tokens.begin(), tokens.end());
    b.insert(b.end(), extra.begin(), extra.end());
    return b;
}
Bytes pointerTo(int row, int col) { return {0x01, std::uint8_t(row), std::uint8_t(row >> 8), std::uint8_t(col), 0}; }

// An array constant: the tArray token (its class byte and seven unused) and, for after the
// tokens, its data: columns less one, rows less one, each value a type byte and eight bytes.
Bytes arrayToken(std::uint8_t cls) { return {cls, 0, 0, 0, 0, 0, 0, 0}; }
Bytes arrayData(int rows, int cols, const std::vector<double>& numbers) {
    Bytes b{static_cast<std::uint8_t>(cols - 1)};
    xls_test::put16(b, rows - 1);
    for (double n : numbers) {
        b.push_back(0x01);
        xls_test::putF64(b, n);
    }
    return b;
}
Bytes textArrayData(const std::vector<std::string>& texts) {  // one row
    Bytes b{static_cast<std::uint8_t>(texts.size() - 1), 0, 0};
    for (const std::string& t : texts) {
        b.push_back(0x02);
        xls_test::putString16(b, t);
    }
    return b;
}
// A FORMULA record whose tokens are followed by the data of their array constants.
Bytes formulaWithData(int row, int col, const Bytes& tokens, const Bytes& data, double cached) {
    Bytes b;
    xls_test::put16(b, row);
    xls_test::put16(b, col);
    xls_test::put16(b, 15);
    xls_test::putF64(b, cached);
    xls_test::put16(b, 0);
    xls_test::put32(b, 0);
    xls_test::put16(b, static_cast<unsigned>(tokens.size()));
    b.insert(b.end(), tokens.begin(), tokens.end());
    b.insert(b.end(), data.begin(), data.end());
    return b;
}
constexpr int kOr = 37, kIndex = 29;

Bytes label(int row, int col, const std::string& text) {
    Bytes b;
    xls_test::put16(b, row);
    xls_test::put16(b, col);
    xls_test::put16(b, 15);
    xls_test::putString16(b, text);
    return b;
}

// K1:K5 flags Y, N, y, Y and nothing; N1:N5 10, 20, 30, "text", 50; E1:E6 5, 12, 8, 3, 20, 10
// with F1 8; B1:B3 the texts "10" and "2.5" and the number 3. The array formulas' stored
// results are stale (999, 1, 2, 3), as after an edit the writer did not compute, so the test
// sees them computed; the one with UPPER keeps its stored 77.
Bytes workbook() {
    return xls_test::compoundFile(xls_test::workbookStream(nullptr, [](StreamBuilder& s) {
        const char* flags[] = {"Y", "N", "y", "Y"};
        for (int r = 0; r < 4; ++r) s.record(0x0204, label(r, 10, flags[r]));
        s.number(0, 13, 10).number(1, 13, 20).number(2, 13, 30).number(4, 13, 50);
        s.record(0x0204, label(3, 13, "text"));
        const double e[] = {5, 12, 8, 3, 20, 10};
        for (int r = 0; r < 6; ++r) s.number(r, 4, e[r]);
        s.number(0, 5, 8);
        s.record(0x0204, label(0, 1, "10"));
        s.record(0x0204, label(1, 1, "2.5"));
        s.number(2, 1, 3);
        // A1 {=SUM(IF(K1:K5="Y",N1:N5,0))}
        s.formula(0, 0, pointerTo(0, 0), 999);
        s.record(0x0221, arrayRecord(0, 0, 0,
                                     cat({areaA(0, 4, 10),
                                          str("Y"),
                                          {kEq},
                                          areaA(0, 4, 13),
                                          integer(0),
                                          funcVar(kIf, 3),
                                          funcVar(kSum, 1)})));
        // A2 {=MIN(IF(E1:E6>=F1,E1:E6))}
        s.formula(1, 0, pointerTo(1, 0), 999);
        s.record(
            0x0221,
            arrayRecord(1, 1, 0,
                        cat({areaA(0, 5, 4), refA(0, 5), {kGe}, areaA(0, 5, 4), funcVar(kIf, 2), funcVar(kMin, 1)})));
        // A3 {=SUM(1*NOT(ISBLANK(E1:E8)))}
        s.formula(2, 0, pointerTo(2, 0), 999);
        s.record(0x0221,
                 arrayRecord(2, 2, 0,
                             cat({integer(1), areaA(0, 7, 4), func(kIsBlank), func(kNot), {kMul}, funcVar(kSum, 1)})));
        // A4 {=SUM(VALUE(B1:B3))}
        s.formula(3, 0, pointerTo(3, 0), 999);
        s.record(0x0221, arrayRecord(3, 3, 0, cat({areaA(0, 2, 1), func(kValue), funcVar(kSum, 1)})));
        // C1:C3 {=N1:N3*2}
        s.formula(0, 2, pointerTo(0, 2), 1);
        s.record(0x0221, arrayRecord(0, 2, 2, cat({areaA(0, 2, 13), integer(2), {kMul}})));
        s.formula(1, 2, pointerTo(0, 2), 2);
        s.formula(2, 2, pointerTo(0, 2), 3);
        // D1 {=SUM(LEN(UPPER(K1:K5)))}: UPPER is not computed as Excel does, its result is kept.
        s.formula(0, 3, pointerTo(0, 3), 77);
        s.record(0x0221, arrayRecord(0, 0, 3, cat({areaA(0, 4, 10), func(kUpper), func(kLen), funcVar(kSum, 1)})));
        // G1 =SUM({1,2;3,4}), H1 =OR(K1={"x","Y"}), stored stale; I1 =INDEX({5,6,7},2) kept (INDEX
        // meets an array constant, which the engine computes only for what takes arrays whole).
        s.record(0x0006,
                 formulaWithData(0, 6, cat({arrayToken(0x60), funcVar(kSum, 1)}), arrayData(2, 2, {1, 2, 3, 4}), 0));
        s.record(0x0006, formulaWithData(0, 7, cat({refA(0, 10), arrayToken(0x60), {kEq}, funcVar(kOr, 1)}),
                                         textArrayData({"x", "Y"}), 0));
        s.record(0x0006, formulaWithData(0, 8, cat({arrayToken(0x60), integer(2), funcVar(kIndex, 2)}),
                                         arrayData(1, 3, {5, 6, 7}), 66));
        // J1 {=SUM(N1:N3*{1;2;3})}
        s.formula(0, 9, pointerTo(0, 9), 999);
        s.record(0x0221, arrayRecord(0, 0, 9, cat({areaA(0, 2, 13), arrayToken(0x60), {kMul}, funcVar(kSum, 1)}),
                                     arrayData(3, 1, {1, 2, 3})));
    }));
}

host::CellAddress at(const char* a1) { return *host::parseAddress(a1); }

struct Expected {
    const char* cell;
    double value;
};
constexpr Expected kResults[] = {{"A1", 40}, {"A2", 8},  {"A3", 6},  {"A4", 15.5}, {"C1", 20}, {"C2", 40},
                                 {"C3", 60}, {"D1", 77}, {"G1", 10}, {"I1", 66},   {"J1", 140}};

void expectResults(const host::Worksheet& sheet, const std::string& when) {
    for (const Expected& e : kResults) {
        EXPECT_EQ(host::Value::fromNumber(e.value), sheet.value(at(e.cell))) << e.cell << ", " << when;
    }
    EXPECT_EQ("=SUM(IF(K1:K5=\"Y\",N1:N5,0))", sheet.formulaText(at("A1"))) << when;
    EXPECT_EQ("=MIN(IF(E1:E6>=F1,E1:E6))", sheet.formulaText(at("A2"))) << when;
    EXPECT_EQ("=N1:N3*2", sheet.formulaText(at("C3"))) << when;
    EXPECT_EQ("=SUM(LEN(UPPER(K1:K5)))", sheet.formulaText(at("D1"))) << when;
    EXPECT_EQ("=SUM({1,2;3,4})", sheet.formulaText(at("G1"))) << when;
    EXPECT_EQ(host::Value::fromBoolean(true), sheet.value(at("H1"))) << when;
    EXPECT_EQ("=OR(K1={\"x\",\"Y\"})", sheet.formulaText(at("H1"))) << when;
    EXPECT_EQ("=SUM(N1:N3*{1;2;3})", sheet.formulaText(at("J1"))) << when;
    for (const char* cell : {"C1", "C2", "C3"}) {
        const host::FormulaCode* code = sheet.formulaAt(at(cell));
        ASSERT_NE(code, nullptr) << cell << ", " << when;
        EXPECT_TRUE(code->array && !code->opaque) << cell << ", " << when;
        EXPECT_EQ((host::CellRange{at("C1"), at("C3")}), code->arrayRange) << cell << ", " << when;
    }
    const host::FormulaCode* kept = sheet.formulaAt(at("D1"));
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(kept->array && kept->opaque) << when;
}

std::string readAll(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The first sheet of `file` as Gnumeric computes it afresh (ssconvert --recalc), as CSV rows.
std::vector<std::vector<std::string>> gnumericRecomputed(const xls_test::TempDir& dir, const std::string& file) {
    const std::string command =
        "cd '" + dir.path().string() + "' && ssconvert --recalc '" + file + "' recomputed.csv >/dev/null 2>&1";
    EXPECT_EQ(0, std::system(command.c_str())) << "ssconvert failed (scripts/install-deps installs Gnumeric)";
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(readAll(dir / "recomputed.csv"));
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::stringstream fields(line);
        for (std::string f; std::getline(fields, f, ',');) cells.push_back(f);
        rows.push_back(cells);
    }
    return rows;
}

void expectLibreOfficeReadsTheArrays(const xls_test::TempDir& dir, const std::string& file) {
    ASSERT_EQ(0, std::system(("cd '" + dir.path().string() + "' && HOME='" + dir.path().string() +
                              "' soffice --headless -env:UserInstallation=file://" + (dir / "lo").string() +
                              " --convert-to fods '" + file + "' >/dev/null 2>&1")
                                 .c_str()))
        << "soffice could not convert the saved file (scripts/install-deps installs LibreOffice)";
    std::filesystem::path fods = dir / file;
    fods.replace_extension(".fods");
    const std::string text = readAll(fods);
    const auto matrix = [&](const std::string& formula, const std::string& value, int rows) {
        const std::regex cell("table:number-matrix-columns-spanned=\"1\" table:number-matrix-rows-spanned=\"" +
                              std::to_string(rows) + "\" table:formula=\"of:=" + formula + "\"[^>]*office:value=\"" +
                              value + "\"");
        EXPECT_TRUE(std::regex_search(text, cell)) << "no array formula " << formula << " giving " << value;
    };
    matrix(R"(SUM\(IF\(\[\.K1:\.K5\]=&quot;Y&quot;;\[\.N1:\.N5\];0\)\))", "40", 1);
    matrix(R"(MIN\(IF\(\[\.E1:\.E6\]&gt;=\[\.F1\];\[\.E1:\.E6\]\)\))", "8", 1);
    matrix(R"(SUM\(1\*NOT\(ISBLANK\(\[\.E1:\.E8\]\)\)\))", "6", 1);
    matrix(R"(SUM\(VALUE\(\[\.B1:\.B3\]\)\))", "15.5", 1);
    matrix(R"(\[\.N1:\.N3\]\*2)", "20", 3);
}

TEST(ComputedArrayFormulas, AreComputedOnOpenAndSavedAsArrayFormulasWithTheirResults) {
    xls_test::TempDir dir;
    const auto book = host::xls::loadWorkbookBytes(workbook());
    expectResults(book->sheet(0), "opened");

    host::saveWorkbookFile(*book, (dir / "arrays.xls").string());
    const auto again = host::loadWorkbookFile((dir / "arrays.xls").string());
    expectResults(again->sheet(0), "saved and opened again");

    // xlrd reads the computed results as the cells' cached values.
    const std::string xlrd = xls_test::xlrdFirstSheet(dir / "arrays.xls");
    for (const char* line :
         {"0 0 2 40.0\n", "1 0 2 8.0\n", "2 0 2 6.0\n", "3 0 2 15.5\n", "0 2 2 20.0\n", "1 2 2 40.0\n", "2 2 2 60.0\n",
          "0 3 2 77.0\n", "0 6 2 10.0\n", "0 7 4 1\n", "0 8 2 66.0\n", "0 9 2 140.0\n"}) {
        EXPECT_NE(xlrd.find(line), std::string::npos) << "xlrd does not read " << line << " in\n" << xlrd;
    }
    expectLibreOfficeReadsTheArrays(dir, "arrays.xls");

    // Gnumeric, computing the saved tokens itself, gets the same results.
    const auto rows = gnumericRecomputed(dir, "arrays.xls");
    const auto cellOf = [&](int r, int c) {
        return r < int(rows.size()) && c < int(rows[r].size()) ? rows[r][c] : std::string();
    };
    for (const Expected& e : kResults) {
        // UPPER's and INDEX's stored results, which Gnumeric recomputes.
        if (std::string(e.cell) == "D1" || std::string(e.cell) == "I1") continue;
        const host::CellAddress a = at(e.cell);
        std::ostringstream want;
        want << e.value;
        EXPECT_EQ(want.str(), cellOf(a.row, a.col)) << e.cell << " as Gnumeric computes the copy";
    }
}

TEST(ComputedArrayFormulas, FollowAChangeToACellTheyReadAndSaveTheNewResults) {
    xls_test::TempDir dir;
    const auto book = host::xls::loadWorkbookBytes(workbook());
    host::Worksheet& sheet = book->sheet(0);
    sheet.setTyped(at("N1"), "100");
    sheet.setTyped(at("K2"), "Y");
    EXPECT_EQ(host::Value::fromNumber(150), sheet.value(at("A1")));  // 100 + 20 + 30
    EXPECT_EQ(host::Value::fromNumber(200), sheet.value(at("C1")));
    EXPECT_EQ(host::Value::fromNumber(40), sheet.value(at("C2")));
    EXPECT_EQ(host::Value::fromNumber(77), sheet.value(at("D1")));

    host::saveWorkbookFile(*book, (dir / "changed.xls").string());
    const std::string xlrd = xls_test::xlrdFirstSheet(dir / "changed.xls");
    for (const char* line : {"0 0 2 150.0\n", "0 2 2 200.0\n", "1 2 2 40.0\n", "0 3 2 77.0\n"}) {
        EXPECT_NE(xlrd.find(line), std::string::npos) << "xlrd does not read " << line << " in\n" << xlrd;
    }
}

}  // namespace

namespace {

TEST(ComputedArrayFormulas, AnArrayConstantWhoseDataRunsShortKeepsTheStoredResultAndTheRestOpens) {
    const Bytes damaged = arrayData(2, 2, {1, 2, 3, 4});
    const auto book =
        host::xls::loadWorkbookBytes(xls_test::compoundFile(xls_test::workbookStream(nullptr, [&](StreamBuilder& s) {
            s.number(0, 0, 5);
            s.record(0x0006, formulaWithData(0, 1, cat({arrayToken(0x60), funcVar(kSum, 1)}),
                                             Bytes(damaged.begin(), damaged.end() - 5), 42));
            s.record(0x0006, formulaWithData(1, 1, cat({arrayToken(0x60), funcVar(kSum, 1)}), {0, 0, 0, 0x07}, 43));
        })));
    const host::Worksheet& sheet = book->sheet(0);
    EXPECT_EQ(host::Value::fromNumber(5), sheet.value(at("A1")));
    EXPECT_EQ(host::Value::fromNumber(42), sheet.value(at("B1")));
    EXPECT_EQ(host::Value::fromNumber(43), sheet.value(at("B2")));  // a value type the format has not
    EXPECT_TRUE(sheet.formulaAt(at("B1"))->opaque);
}

}  // namespace

namespace {

// openpyxl enters the formulas (as array formulas where it says so), LibreOffice computes them
// and writes the .xls file: ARRAY records, array constants and SUMPRODUCT as LibreOffice writes
// them.
constexpr const char* kArraysForLibreOffice = R"PY(
import sys, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
for r, (flag, n) in enumerate([('Y', 10), ('N', 20), ('y', 30), ('Y', 't'), (None, 50)], 1):
    ws.cell(r, 11, flag)
    ws.cell(r, 14, n)
for r in range(1, 4):
    ws.cell(r, 1, r)
for cell, ref, text in [('C1', 'C1:C3', '=A1:A3*2'), ('D1', 'D1', '=SUM(IF(K1:K5="Y",N1:N5,0))'),
                        ('E1', 'E1', '=SUM(1*NOT(ISBLANK(K1:K6)))'), ('F1', 'F1:G2', '={1,2;3,4}*A1'),
                        ('H1', 'H1', '=MIN(IF(N1:N5>15,N1:N5))')]:
    ws[cell] = text
    ws.formula_attributes[cell] = {'t': 'array', 'ref': ref}
ws['I1'] = '=SUM({1,3;5,4})'
ws['I2'] = '=OR(K1={"x","Y"})'
ws['I3'] = '=SUMPRODUCT((A1:A3>1)*N1:N3)'
wb.save(sys.argv[1])
)PY";

TEST(ComputedArrayFormulas, ThoseLibreOfficeWritesAreComputedToTheResultsItStored) {
    xls_test::TempDir dir;
    xls_test::writeText(dir / "arrays.py", kArraysForLibreOffice);
    const auto xlsx = xls_test::xlwtScript(dir / "arrays.py", dir / "arrays.xlsx");
    ASSERT_FALSE(xlsx.empty());
    const auto xls = xls_test::libreOfficeToXls(xlsx);
    ASSERT_FALSE(xls.empty());
    const auto book = host::loadWorkbookFile(xls.string());
    const host::Worksheet& sheet = book->sheet(0);
    const Expected results[] = {{"C1", 2}, {"C3", 6}, {"D1", 40}, {"E1", 4},  {"F1", 1}, {"G1", 2},
                                {"F2", 3}, {"G2", 4}, {"H1", 20}, {"I1", 13}, {"I3", 50}};
    const std::string stored = xls_test::xlrdFirstSheet(xls);
    for (const Expected& e : results) {
        EXPECT_EQ(host::Value::fromNumber(e.value), sheet.value(at(e.cell))) << e.cell;
        ASSERT_NE(sheet.formulaAt(at(e.cell)), nullptr) << e.cell;
        EXPECT_FALSE(sheet.formulaAt(at(e.cell))->opaque) << e.cell << " is not computed";
        const host::CellAddress a = at(e.cell);
        std::ostringstream line;
        line << a.row << ' ' << a.col << " 2 " << e.value << ".0\n";
        EXPECT_NE(stored.find(line.str()), std::string::npos) << "LibreOffice stored another result in " << e.cell;
    }
    EXPECT_EQ(host::Value::fromBoolean(true), sheet.value(at("I2")));
    EXPECT_EQ("={1,2;3,4}*A1", sheet.formulaText(at("G2")));
    EXPECT_EQ("=OR(K1={\"x\",\"Y\"})", sheet.formulaText(at("I2")));
}

}  // namespace

namespace {

TEST(ComputedArrayFormulas, AnArrayAFileLeavesACellOfOrGivesNoTokensKeepsItsValuesAsTheySaveAndReadBack) {
    // C1:C3 {=N1:N3*2}, but the file holds no C2: the array stands no more, its cells keep
    // their values (computed, as a save would write them) and read back the same.
    const auto book =
        host::xls::loadWorkbookBytes(xls_test::compoundFile(xls_test::workbookStream(nullptr, [](StreamBuilder& s) {
            s.number(0, 13, 10).number(1, 13, 20).number(2, 13, 30);
            s.formula(0, 2, pointerTo(0, 2), 1);
            s.record(0x0221, arrayRecord(0, 2, 2, cat({areaA(0, 2, 13), integer(2), {kMul}})));
            s.formula(2, 2, pointerTo(0, 2), 3);
            // D1: an ARRAY record of no tokens is no formula; the cell keeps its stored result.
            s.formula(0, 3, pointerTo(0, 3), 44);
            s.record(0x0221, arrayRecord(0, 0, 3, {}));
        })));
    xls_test::TempDir dir;
    host::saveWorkbookFile(*book, (dir / "broken.xls").string());
    const auto again = host::loadWorkbookFile((dir / "broken.xls").string());
    for (const host::Worksheet* sheet : {&book->sheet(0), &again->sheet(0)}) {
        EXPECT_EQ(host::CellView::Kind::Constant, sheet->cell(at("C1")).kind);
        EXPECT_EQ(host::Value::fromNumber(20), sheet->value(at("C1")));
        EXPECT_EQ(host::CellView::Kind::Blank, sheet->cell(at("C2")).kind);
        EXPECT_EQ(host::CellView::Kind::Constant, sheet->cell(at("C3")).kind);
        EXPECT_EQ(host::Value::fromNumber(60), sheet->value(at("C3")));
        EXPECT_EQ(host::CellView::Kind::Constant, sheet->cell(at("D1")).kind);
        EXPECT_EQ(host::Value::fromNumber(44), sheet->value(at("D1")));
    }
}

}  // namespace
