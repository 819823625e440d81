// Hand-made records for what the sample files may not show: strings split across CONTINUE
// records, RK forms, every kind of cached formula result, shared and opaque formulas.
#include <gtest/gtest.h>

#include "biff_builder.h"
#include "host/host_error.h"
#include "read_stream.h"
#include "xls/formula_decode.h"
#include "xls/load_workbook_bytes.h"
#include "xls/opaque_formulas.h"
#include "xls/rk_number.h"
#include "xls/sheet_reader.h"

namespace {

using xls_test::Bytes;
using xls_test::StreamBuilder;
using xls_test::workbookStream;

host::CellAddress cellAt(const char* a1) { return *host::parseAddress(a1); }

std::unique_ptr<host::Workbook> open(const Bytes& stream) {
    return host::xls::loadWorkbookBytes(xls_test::compoundFile(stream));
}

void putWide(Bytes& b, std::u16string_view s) {
    for (char16_t c : s) xls_test::put16(b, c);
}

TEST(SharedStrings, StringsSplitAcrossContinueRecordsWithRunsAndFarEastData) {
    Bytes sst, cont1, cont2;
    xls_test::put32(sst, 4);
    xls_test::put32(sst, 4);
    // 1: "Hello Wörld", the first six characters one byte each, the rest after the boundary
    //    two bytes each, announced by the CONTINUE's own flag byte.
    xls_test::put16(sst, 11);
    sst.push_back(0x00);
    for (char c : std::string("Hello ")) sst.push_back(static_cast<std::uint8_t>(c));
    cont1.push_back(0x01);
    putWide(cont1, u"Wörld");
    // 2: rich text with two runs, split inside the runs.
    xls_test::put16(cont1, 3);
    cont1.push_back(0x08);
    xls_test::put16(cont1, 2);
    for (char c : std::string("abc")) cont1.push_back(static_cast<std::uint8_t>(c));
    cont1.insert(cont1.end(), {0, 0, 1, 0, 2, 0});
    cont2.insert(cont2.end(), {0, 0});
    // 3: Far-East data of 5 bytes, then 4: a plain string to show the reading kept in step.
    xls_test::put16(cont2, 2);
    cont2.push_back(0x04);
    xls_test::put32(cont2, 5);
    cont2.insert(cont2.end(), {'j', 'p', 9, 9, 9, 9, 9});
    xls_test::putString16(cont2, "end");
    const Bytes stream = workbookStream(
        [&](StreamBuilder& s) { s.record(0x00FC, sst).record(0x003C, cont1).record(0x003C, cont2); },
        [](StreamBuilder& s) { s.labelSst(0, 0, 0).labelSst(1, 0, 1).labelSst(2, 0, 2).labelSst(3, 0, 3); });
    const auto book = open(stream);
    const host::Worksheet& sheet = book->sheet(0);
    EXPECT_EQ("Hello W\xC3\xB6rld", sheet.value(cellAt("A1")).text);
    EXPECT_EQ("abc", sheet.value(cellAt("A2")).text);
    EXPECT_EQ("jp", sheet.value(cellAt("A3")).text);
    EXPECT_EQ("end", sheet.value(cellAt("A4")).text);
}

TEST(CellRecords, RkNumbersInAllFourForms) {
    EXPECT_EQ(5.0, host::xls::decodeRk((5u << 2) | 0x02));
    EXPECT_EQ(-3.0, host::xls::decodeRk(static_cast<std::uint32_t>(-3 << 2) | 0x02));
    EXPECT_EQ(1.23, host::xls::decodeRk((123u << 2) | 0x03));
    EXPECT_EQ(2.5, host::xls::decodeRk(0x40040000u));  // the top bits of the double 2.5
    EXPECT_EQ(0.025, host::xls::decodeRk(0x40040000u | 0x01));  // and divided by 100
}

TEST(CellRecords, FormulaResultsOfEveryKindAreKeptForOpaqueFormulas) {
    // Each formula refers to another sheet, so the engine leaves the cached result in place.
    const Bytes ref3d = {0x3A, 0, 0, 0, 0, 0, 0xC0};  // Sheet?!A1 through EXTERNSHEET entry 0
    const Bytes stream = workbookStream(nullptr, [&](StreamBuilder& s) {
        s.formula(0, 0, ref3d, 42.5);
        s.formula(1, 0, ref3d, 0, 0);
        Bytes str;
        xls_test::putString16(str, "cached text");
        s.record(0x0207, str);
        s.formula(2, 0, ref3d, 0, 1, 1);
        s.formula(3, 0, ref3d, 0, 2, 0x07);
        s.formula(4, 0, ref3d, 0, 3);
    });
    const auto book = open(stream);
    const host::Worksheet& sheet = book->sheet(0);
    const host::xls::OpaqueFormulas* kept = host::xls::OpaqueFormulas::of(*book);
    ASSERT_TRUE(kept);
    EXPECT_EQ(host::Value::fromNumber(42.5), sheet.value(cellAt("A1")));
    EXPECT_EQ(host::Value::fromText("cached text"), sheet.value(cellAt("A2")));
    EXPECT_EQ(host::Value::fromBoolean(true), sheet.value(cellAt("A3")));
    EXPECT_EQ(host::Value::fromError(host::ErrorCode::Div0), sheet.value(cellAt("A4")));
    EXPECT_EQ(host::Value::fromText(""), sheet.value(cellAt("A5")));
    for (const char* a : {"A1", "A2", "A3", "A4", "A5"}) {
        const host::CellView v = sheet.cell(cellAt(a));
        ASSERT_EQ(host::CellView::Kind::Formula, v.kind) << a;
        EXPECT_TRUE(v.formula->opaque) << a;
        const host::xls::OpaqueBytes* bytes = kept->find(0, cellAt(a), *v.formula);
        ASSERT_TRUE(bytes) << a;
        EXPECT_EQ(ref3d, bytes->tokens) << a;
    }
}

TEST(CellRecords, StringResultSplitAcrossContinue) {
    const Bytes stream = workbookStream(nullptr, [](StreamBuilder& s) {
        s.formula(0, 0, {0x3A, 0, 0, 0, 0, 0, 0xC0}, 0, 0);
        Bytes str = {6, 0, 0, 'a', 'b', 'c'};
        Bytes more = {0x01};
        putWide(more, u"d\u00e9f");
        s.record(0x0207, str).record(0x003C, more);
    });
    EXPECT_EQ(
        "abcd\xC3\xA9"
        "f",
        open(stream)->sheet(0).value(cellAt("A1")).text);
}

TEST(Formulas, SharedFormulaWithNegativeOffsetsIsComputedInEveryCell) {
    // =C3-E3 in F3 and F4 as LibreOffice writes it: tExp cells and one SHRFMLA with tRefNV.
    const Bytes exp = {0x01, 2, 0, 5, 0};
    Bytes shr;
    xls_test::put16(shr, 2);
    xls_test::put16(shr, 3);
    shr.insert(shr.end(), {5, 5, 0, 2});
    const Bytes tokens = {0x4C, 0, 0, 0xFD, 0xC0, 0x4C, 0, 0, 0xFF, 0xC0, 0x04};
    xls_test::put16(shr, static_cast<unsigned>(tokens.size()));
    shr.insert(shr.end(), tokens.begin(), tokens.end());
    const Bytes stream = workbookStream(nullptr, [&](StreamBuilder& s) {
        s.number(2, 2, 250).number(2, 4, 50).number(3, 2, 500).number(3, 4, 0);
        s.formula(2, 5, exp, 200);
        s.record(0x04BC, shr);
        s.formula(3, 5, exp, 500);
    });
    const auto book = open(stream);
    const host::Worksheet& sheet = book->sheet(0);
    EXPECT_EQ("=C3-E3", sheet.formulaText(cellAt("F3")));
    EXPECT_EQ("=C4-E4", sheet.formulaText(cellAt("F4")));
    EXPECT_EQ(200, sheet.value(cellAt("F3")).number);
    EXPECT_EQ(500, sheet.value(cellAt("F4")).number);
    EXPECT_EQ(sheet.cell(cellAt("F3")).formula, sheet.cell(cellAt("F4")).formula) << "one code for the shape";
}

TEST(Formulas, SumAsAttrSumOrFunctionAndIfWithItsJumpTokens) {
    const Bytes area = {0x25, 0, 0, 1, 0, 0, 0xC0, 0, 0xC0};  // A1:A2
    Bytes attrSum = area;
    attrSum.insert(attrSum.end(), {0x19, 0x10, 0, 0});
    Bytes funcVar = area;
    funcVar.insert(funcVar.end(), {0x22, 1, 4, 0});
    // IF(A1>1,"big","small") with tAttrIf and tAttrGoto, and spaces.
    const Bytes ifTokens = {0x24, 0,   0,   0,   0xC0, 0x1E, 1,    0, 0x0D, 0x19, 0x02, 9, 0,    0x17, 3,
                            0,    'b', 'i', 'g', 0x19, 0x08, 11,   0, 0x19, 0x40, 0,    1, 0x17, 5,    0,
                            's',  'm', 'a', 'l', 'l',  0x19, 0x08, 3, 0,    0x42, 3,    1, 0};
    const Bytes stream = workbookStream(nullptr, [&](StreamBuilder& s) {
        s.number(0, 0, 3).number(1, 0, 4);
        s.formula(0, 1, attrSum).formula(1, 1, funcVar).formula(2, 1, ifTokens, 0, 3);
    });
    const auto book = open(stream);
    const host::Worksheet& sheet = book->sheet(0);
    EXPECT_EQ(7, sheet.value(cellAt("B1")).number);
    EXPECT_EQ(7, sheet.value(cellAt("B2")).number);
    EXPECT_EQ("=SUM(A1:A2)", sheet.formulaText(cellAt("B1")));
    EXPECT_EQ("=SUM(A1:A2)", sheet.formulaText(cellAt("B2")));
    EXPECT_EQ(host::Value::fromText("big"), sheet.value(cellAt("B3")));
}

TEST(Formulas, TokensTheEngineLacksStayOpaqueWithCellValidBytesAndARendering) {
    host::xls::FormulaNames names;
    names.sheetNames = {"Stats", "Other sheet"};
    names.supBookIsOwnWorkbook = {true};
    names.externSheets = {{0, 1, 1}};
    // =Other sheet!B2+1 in a plain formula.
    const Bytes ref3d = {0x3A, 0, 0, 1, 0, 1, 0xC0, 0x1E, 1, 0, 0x03};
    host::xls::FormulaTokens plain;
    plain.tokens = ref3d;
    host::xls::OpaqueBytes kept;
    const auto code = host::xls::decodeFormula(plain, cellAt("A1"), names, &kept);
    EXPECT_TRUE(code->opaque);
    EXPECT_EQ("='Other sheet'!B2+1", code->text);
    EXPECT_EQ(ref3d, kept.tokens);

    // In a shared formula the offsets become the cell's own absolute references: tRefN -> tRef.
    const Bytes sharedTokens = {0x4C, 0xFF, 0xFF, 0xFE, 0xC0, 0x42, 1, 0x99, 0x00};  // unknown function 153
    host::xls::FormulaTokens shared;
    shared.tokens = sharedTokens;
    shared.relativeForms = true;
    const auto sharedCode = host::xls::decodeFormula(shared, cellAt("D5"), names, &kept);
    EXPECT_TRUE(sharedCode->opaque);
    const Bytes cellValid = {0x44, 3, 0, 1, 0xC0, 0x42, 1, 0x99, 0x00};  // B4, relative
    EXPECT_EQ(cellValid, kept.tokens);

    // An array constant keeps its values, which follow the tokens in the record.
    const Bytes arrayTokens = {0x60, 0, 0, 0, 0, 0, 0, 0, 0x41, 0x04, 0x00};  // SUM({1,2})
    const Bytes arrayData = {1, 0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0x01, 0, 0, 0, 0, 0, 0, 0, 0x40};
    host::xls::FormulaTokens withArray;
    withArray.tokens = arrayTokens;
    withArray.extra = arrayData;
    const auto arrayCode = host::xls::decodeFormula(withArray, cellAt("A1"), names, &kept);
    EXPECT_TRUE(arrayCode->opaque);
    EXPECT_EQ(arrayTokens, kept.tokens);
    EXPECT_EQ(arrayData, kept.extra);

    // Broken operand order and unknown tokens never reach the engine.
    for (const Bytes& bad : {Bytes{0x03}, Bytes{0x1E, 1, 0, 0x1E, 2, 0}, Bytes{0xFF, 1}, Bytes{0x1F, 1, 2}}) {
        host::xls::FormulaTokens f;
        f.tokens = bad;
        const auto c = host::xls::decodeFormula(f, cellAt("A1"), names);
        EXPECT_TRUE(c->opaque);
        EXPECT_EQ("=<unsupported>", c->text);
    }
}

TEST(Formulas, SheetNamesThatWouldReadAsSomethingElseAreQuoted) {
    // A name other programs would read unquoted as a cell, an R1C1 reference or a number.
    host::xls::FormulaNames names;
    names.sheetNames = {"A1", "R2C3", "2024", "C", "Plain_1", "ABCD1"};
    names.supBookIsOwnWorkbook = {true};
    for (int i = 0; i < 6; ++i) names.externSheets.push_back({0, i, i});
    const std::vector<std::string> expected = {"='A1'!B2", "='R2C3'!B2",  "='2024'!B2",
                                               "='C'!B2",  "=Plain_1!B2", "=ABCD1!B2"};
    for (std::uint8_t i = 0; i < 6; ++i) {
        const Bytes ref3d = {0x3A, i, 0, 1, 0, 1, 0xC0};
        host::xls::FormulaTokens f;
        f.tokens = ref3d;
        EXPECT_EQ(host::xls::decodeFormula(f, cellAt("A1"), names)->text, expected[i]);
    }
}

TEST(Formulas, RelativeOffsetsWrapAroundTheSheetEdgeAsExcelDoes) {
    // In A1, a column offset of -1 is column IV and a row offset of -1 is row 65536.
    host::xls::FormulaTokens f;
    const Bytes tokens = {0x4C, 0xFF, 0xFF, 0xFF, 0xC0};
    f.tokens = tokens;
    f.relativeForms = true;
    const auto code = host::xls::decodeFormula(f, cellAt("A1"), {});
    ASSERT_FALSE(code->opaque);
    EXPECT_EQ("=IV65536", host::formulaText(*code, cellAt("A1")));
    EXPECT_EQ("=A1", host::formulaText(*host::xls::decodeFormula(f, cellAt("B2"), {}), cellAt("B2")));
}

}  // namespace

namespace {

// tRefV for a cell, relative row and column unless told otherwise.
Bytes ref(int row, int col, bool absolute = false) {
    Bytes b = {0x44};
    xls_test::put16(b, row);
    xls_test::put16(b, col | (absolute ? 0 : 0xC000));
    return b;
}

Bytes binary(const Bytes& a, const Bytes& b, std::uint8_t op) {
    Bytes out = a;
    out.insert(out.end(), b.begin(), b.end());
    out.push_back(op);
    return out;
}

TEST(Formulas, RepeatedShapesDownAColumnReadBackCellByCell) {
    // Plain formulas as Gnumeric and xlwt write them: each row its own bytes. Repeats of the
    // row above share one code; anything else, however close, is decoded on its own.
    const Bytes stream = workbookStream(nullptr, [](StreamBuilder& s) {
        s.number(0, 2, 1000).number(1, 2, 2000);
        for (int r = 2; r < 8; ++r) s.number(r, 2, 10 * r).number(r, 4, r);
        s.formula(2, 5, binary(ref(2, 2), ref(2, 4), 0x04));  // F3 =C3-E3
        s.formula(3, 5, binary(ref(3, 2), ref(3, 4), 0x04));  // F4 =C4-E4
        s.formula(4, 5, binary(ref(3, 2), ref(4, 4), 0x04));  // F5 =C4-E5
        s.formula(5, 5, binary(ref(0, 2, true), ref(5, 2), 0x03));  // F6 =$C$1+C6
        s.formula(6, 5, binary(ref(0, 2, true), ref(6, 2), 0x03));  // F7 =$C$1+C7
        s.formula(7, 5, binary(ref(1, 2, true), ref(7, 2), 0x03));  // F8 =$C$2+C8
    });
    const auto book = open(stream);
    const host::Worksheet& sheet = book->sheet(0);
    EXPECT_EQ("=C3-E3", sheet.formulaText(cellAt("F3")));
    EXPECT_EQ("=C4-E4", sheet.formulaText(cellAt("F4")));
    EXPECT_EQ("=C4-E5", sheet.formulaText(cellAt("F5")));
    EXPECT_EQ("=$C$1+C6", sheet.formulaText(cellAt("F6")));
    EXPECT_EQ("=$C$1+C7", sheet.formulaText(cellAt("F7")));
    EXPECT_EQ("=$C$2+C8", sheet.formulaText(cellAt("F8")));
    EXPECT_EQ(2070, sheet.value(cellAt("F8")).number);
    EXPECT_EQ(sheet.cell(cellAt("F3")).formula, sheet.cell(cellAt("F4")).formula);
}

}  // namespace

namespace {

TEST(CellRecords, RunsOfNumbersAndBlanksRichTextAndBooleans) {
    const Bytes stream = workbookStream(nullptr, [](StreamBuilder& s) {
        Bytes mulRk = {1, 0, 1, 0};  // row 2, from column B
        for (std::uint32_t v : {(7u << 2) | 2u, (250u << 2) | 3u, 0x40040000u}) {
            xls_test::put16(mulRk, 15);
            xls_test::put32(mulRk, v);
        }
        xls_test::put16(mulRk, 3);
        s.record(0x00BD, mulRk);
        Bytes rstring = {2, 0, 0, 0, 15, 0};  // A3, rich text with one run
        xls_test::putString16(rstring, "bold start");
        rstring.insert(rstring.end(), {1, 0, 0, 0, 4, 0, 1, 0});
        s.record(0x00D6, rstring);
        s.record(0x00BE, {3, 0, 0, 0, 15, 0, 15, 0, 15, 0, 2, 0});  // A4:C4 blank
        s.record(0x0205, {4, 0, 0, 0, 15, 0, 0, 0});  // A5 FALSE
        s.record(0x0205, {4, 0, 1, 0, 15, 0, 0x2A, 1});  // B5 #N/A
    });
    const auto sink = xls_test::readIntoSink(xls_test::compoundFile(stream));
    const auto& sheet = sink.sheets.at(0);
    EXPECT_EQ(7, sheet.at("B2")->value.number);
    EXPECT_EQ(2.5, sheet.at("C2")->value.number);
    EXPECT_EQ(2.5, sheet.at("D2")->value.number);
    EXPECT_EQ("bold start", sheet.at("A3")->value.text);
    for (const char* a : {"A4", "B4", "C4"}) EXPECT_EQ(xls_test::RecordedCell::Kind::Blank, sheet.at(a)->kind) << a;
    EXPECT_EQ(host::Value::fromBoolean(false), sheet.at("A5")->value);
    EXPECT_EQ(host::Value::fromError(host::ErrorCode::NA), sheet.at("B5")->value);
}

}  // namespace

namespace {

// A SHRFMLA record over `first`..`last` in column `col` holding `tokens`.
Bytes sharedFormulaRecord(int first, int last, int col, const Bytes& tokens) {
    Bytes shr;
    xls_test::put16(shr, static_cast<unsigned>(first));
    xls_test::put16(shr, static_cast<unsigned>(last));
    shr.insert(shr.end(), {static_cast<std::uint8_t>(col), static_cast<std::uint8_t>(col), 0, 2});
    xls_test::put16(shr, static_cast<unsigned>(tokens.size()));
    shr.insert(shr.end(), tokens.begin(), tokens.end());
    return shr;
}

}  // namespace

TEST(Formulas, TheReaderPassesDecodedCodeAndEachSharedFormulaOnce) {
    // F3:F5 share =C3-E3; G3:G4 share a formula with a 3-D reference the engine cannot compute;
    // H3 has a plain formula of its own.
    const Bytes f3 = {0x01, 2, 0, 5, 0};
    const Bytes g3 = {0x01, 2, 0, 6, 0};
    const Bytes minus = {0x4C, 0, 0, 0xFD, 0xC0, 0x4C, 0, 0, 0xFF, 0xC0, 0x04};
    const Bytes ref3d = {0x3A, 0, 0, 1, 0, 1, 0xC0};
    const Bytes stream = workbookStream(nullptr, [&](StreamBuilder& s) {
        s.number(2, 2, 250).number(2, 4, 50);
        s.formula(2, 5, f3, 200).record(0x04BC, sharedFormulaRecord(2, 4, 5, minus));
        s.formula(3, 5, f3, 0).formula(4, 5, f3, 0);
        s.formula(2, 6, g3, 7).record(0x04BC, sharedFormulaRecord(2, 3, 6, ref3d));
        s.formula(3, 6, g3, 8);
        s.formula(2, 7, {0x24, 2, 0, 2, 0xC0, 0x1E, 1, 0, 0x03}, 251);  // =C3+1
    });
    const xls_test::RecordingSink sink = xls_test::readIntoSink(xls_test::compoundFile(stream));
    const xls_test::RecordedSheet& sheet = sink.sheets.at(0);
    const auto* first = sheet.at("F3");
    ASSERT_TRUE(first && first->code);
    EXPECT_EQ(0, first->sharedIndex);
    for (const char* a : {"F4", "F5"}) {
        EXPECT_EQ(0, sheet.at(a)->sharedIndex) << a;
        EXPECT_EQ(first->code, sheet.at(a)->code) << a << ": one code for every cell of the shared formula";
    }
    EXPECT_EQ("=C5-E5", sheet.at("F5")->renderedFormula);
    // An opaque code holds its own cell's bytes: each cell gets its own, not a shared index.
    for (const char* a : {"G3", "G4"}) {
        EXPECT_EQ(-1, sheet.at(a)->sharedIndex) << a;
        EXPECT_TRUE(sheet.at(a)->code->opaque) << a;
    }
    EXPECT_EQ(8, sheet.at("G4")->value.number);
    EXPECT_EQ(-1, sheet.at("H3")->sharedIndex);
    EXPECT_EQ("=C3+1", sheet.at("H3")->renderedFormula);
}
