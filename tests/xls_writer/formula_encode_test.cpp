// Host formulas as BIFF8 tokens: byte for byte for the program's own formulas, and the cases
// where a copied shape or an off-sheet reference must not reuse the wrong bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/formula_code.h"
#include "host/function_table.h"
#include "host/host_error.h"
#include "xls/biff_function_map.h"
#include "xls/formula_decode.h"
#include "xls/formula_encode.h"
#include "xls/future_functions.h"

using host::CellAddress;
using host::parseFormula;
using host::xls::FormulaEncoder;
using Bytes = std::vector<std::uint8_t>;

namespace {

CellAddress at(const char* a) { return *host::parseAddress(a); }

Bytes encode(const char* text, const char* cell) {
    FormulaEncoder encoder;
    const auto code = parseFormula(text, at(cell));
    return encoder.encode(*code, at(cell));
}

}  // namespace

TEST(FormulaEncode, TheDataRowFormulas) {
    // tRefV C3 (row 2, column 2, both relative), tRefV E3, tSub.
    EXPECT_EQ(encode("=C3-E3", "F3"), (Bytes{0x44, 0x02, 0x00, 0x02, 0xC0, 0x44, 0x02, 0x00, 0x04, 0xC0, 0x04}));
    EXPECT_EQ(encode("=F5/H5", "I5"), (Bytes{0x44, 0x04, 0x00, 0x05, 0xC0, 0x44, 0x04, 0x00, 0x07, 0xC0, 0x06}));
    EXPECT_EQ(encode("=I7", "K7"), (Bytes{0x44, 0x06, 0x00, 0x08, 0xC0}));
}

TEST(FormulaEncode, TheTotalsRowFunctions) {
    // tAreaR B3:B4, then SUM (4) and AVERAGE (5) as tFuncVarV with one argument.
    EXPECT_EQ(encode("=sum(B3:B4)", "B5"),
              (Bytes{0x25, 0x02, 0x00, 0x03, 0x00, 0x01, 0xC0, 0x01, 0xC0, 0x42, 0x01, 0x04, 0x00}));
    EXPECT_EQ(encode("=average(K3:K4)", "K5"),
              (Bytes{0x25, 0x02, 0x00, 0x03, 0x00, 0x0A, 0xC0, 0x0A, 0xC0, 0x42, 0x01, 0x05, 0x00}));
}

TEST(FormulaEncode, AbsoluteAndMixedReferencesKeepTheirFlags) {
    // $A$1: no relative bits; B$2 from C5: column relative (0x4000), row absolute.
    EXPECT_EQ(encode("=$A$1+B$2", "C5"), (Bytes{0x44, 0x00, 0x00, 0x00, 0x00, 0x44, 0x01, 0x00, 0x01, 0x40, 0x03}));
}

TEST(FormulaEncode, FixedAndVariableArgumentFunctions) {
    // ABS takes exactly one argument: tFuncV, no count. IF takes two or three: tFuncVarV.
    const Bytes abs = encode("=ABS(A1)", "B1");
    ASSERT_GE(abs.size(), 3u);
    EXPECT_EQ(Bytes(abs.end() - 3, abs.end()), (Bytes{0x41, 0x18, 0x00}));
    const Bytes iff = encode("=IF(A1,1,2)", "B1");
    ASSERT_GE(iff.size(), 4u);
    EXPECT_EQ(Bytes(iff.end() - 4, iff.end()), (Bytes{0x42, 0x03, 0x01, 0x00}));
}

TEST(FormulaEncode, ConstantsOperatorsAndParentheses) {
    EXPECT_EQ(encode("=\"ab\"&\"cd\"", "A1"), (Bytes{0x17, 0x02, 0x00, 'a', 'b', 0x17, 0x02, 0x00, 'c', 'd', 0x08}));
    EXPECT_EQ(encode("=(1+2)*3", "A1"),
              (Bytes{0x1E, 0x01, 0x00, 0x1E, 0x02, 0x00, 0x03, 0x15, 0x1E, 0x03, 0x00, 0x05}));
    const Bytes half = encode("=0.5", "A1");
    ASSERT_EQ(half.size(), 9u);
    EXPECT_EQ(half[0], 0x1F);  // tNum: not a whole number
}

TEST(FormulaEncode, ACodeSharedByManyCellsIsPlacedInEach) {
    FormulaEncoder shared;
    const auto code = parseFormula("=C3-E3", at("F3"));
    const Bytes first = shared.encode(*code, at("F3"));
    const Bytes later = shared.encode(*code, at("F9000"));
    FormulaEncoder fresh;
    EXPECT_EQ(later, fresh.encode(*code, at("F9000")));
    EXPECT_NE(first, later);
    EXPECT_EQ(later[1] | later[2] << 8, 8999);  // row 9000, zero-based
}

// One encoder reuses a shape's bytes from cell to cell; wherever the shape lands, near the
// sheet's edges too, it must give what encoding it afresh for that cell gives.
TEST(FormulaEncode, AReusedShapeMatchesAFreshEncodingEverywhere) {
    const char* const shapes[][2] = {
        {"=C3-E3", "F3"}, {"=SUM(A1:B2)", "C3"},    {"=$A1+B$2", "C5"},
        {"=A1", "B2"},    {"=SUM(D4:E9)*C2", "B2"}, {"=IV65536+A1", "B2"},
    };
    // Every cell near the corners, and cells well inside, in and out of reach of the edges.
    std::vector<CellAddress> places = {{2, 5}, {9000, 5}, {300, 100}};
    for (int row : {0, 1, 2, 3, 65526, 65527, 65528, 65529, 65530, 65531, 65532, 65533, 65534, 65535})
        for (int col : {0, 1, 2, 3, 250, 251, 252, 253, 254, 255}) places.push_back({row, col});
    places.push_back({2, 5});
    for (const auto& [text, cell] : shapes) {
        const auto code = parseFormula(text, at(cell));
        FormulaEncoder shared;
        for (const CellAddress place : places) {
            const Bytes reused = shared.encode(*code, place);
            EXPECT_EQ(reused, FormulaEncoder().encode(*code, place))
                << text << " placed at " << host::formatAddress(place, false);
        }
    }
}

TEST(FormulaEncode, AFormulaCallingTodayIsMarkedVolatileAsExcelMarksIt) {
    // tAttrVolatile, then TODAY (tFuncV 221), 1, tAdd.
    EXPECT_EQ(encode("=TODAY()+1", "A1"), (Bytes{0x19, 0x01, 0x00, 0x00, 0x41, 0xDD, 0x00, 0x1E, 0x01, 0x00, 0x03}));
    EXPECT_EQ(encode("=SUM(1)", "A1")[0], 0x1E);  // no mark on the others
}

TEST(FormulaEncode, AReferenceOffTheSheetBecomesRefError) {
    // =A1 typed into B2 points one row up and one column left; copied to A1 it points nowhere.
    const auto code = parseFormula("=A1", at("B2"));
    FormulaEncoder encoder;
    EXPECT_EQ(encoder.encode(*code, at("B2")), (Bytes{0x44, 0x00, 0x00, 0x00, 0xC0}));
    EXPECT_EQ(encoder.encode(*code, at("A1")), (Bytes{0x4A, 0, 0, 0, 0}));  // tRefErrV
    EXPECT_EQ(encoder.encode(*code, at("C3")), (Bytes{0x44, 0x01, 0x00, 0x01, 0xC0}));
    const auto area = parseFormula("=SUM(A1:A2)", at("B3"));
    const Bytes off = FormulaEncoder().encode(*area, at("A3"));
    EXPECT_EQ(off[0], 0x2B);  // tAreaErrR
}

namespace {

// A function newer than BIFF8 (IFERROR, AVERAGEIF): refused without the workbook's names; with
// them, a call of the name "_xlfn." and its name, which reads back as the same call.
void expectWrittenAsFutureFunction(const host::FunctionInfo& f) {
    std::string text = "=" + std::string(f.name) + "(";
    for (int a = 0; a < f.minArgs; ++a) text += a ? ",A1" : "A1";
    text += ")";
    const auto code = parseFormula(text, at("B2"));
    try {
        FormulaEncoder().encode(*code, at("B2"));
        ADD_FAILURE() << f.name << " was written without a name to call it by";
    } catch (const host::HostError& e) {
        EXPECT_NE(std::string(e.what()).find(f.name), std::string::npos) << e.what();
    }
    const std::vector<Bytes> none;
    host::xls::FutureFunctionNames links(none);
    FormulaEncoder encoder(&links);
    const Bytes bytes = encoder.encode(*code, at("B2"));
    // tNameR of name 1; the arguments; tFuncVarV 255 counting the name.
    ASSERT_GE(bytes.size(), 9u) << text;
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 5), (Bytes{0x23, 1, 0, 0, 0})) << text;
    EXPECT_EQ(Bytes(bytes.end() - 4, bytes.end()), (Bytes{0x42, std::uint8_t(f.minArgs + 1), 0xFF, 0})) << text;

    host::xls::FormulaNames names;
    names.definedNames = {"_xlfn." + std::string(f.name)};
    host::xls::FormulaTokens tokens;
    tokens.tokens = bytes;
    const auto back = host::xls::decodeFormula(tokens, at("B2"), names);
    ASSERT_FALSE(back->opaque) << text;
    EXPECT_EQ(code->rpn, back->rpn) << text;
}

}  // namespace

TEST(FormulaEncode, EveryEngineFunctionIsWrittenAndReadBackAsTheSameCall) {
    // Each function with its fewest and its most arguments (up to three): the BIFF number and
    // tFunc/tFuncVar choice the writer makes read back to the same engine function.
    int functions = 0;
    for (std::uint16_t i = 0; const host::FunctionInfo* f = host::functionById(host::FunctionId(i)); ++i) {
        ++functions;
        if (!host::xls::biffFunction(f->id)) {
            expectWrittenAsFutureFunction(*f);
            continue;
        }
        for (int argc : {f->minArgs, std::min(f->maxArgs, std::max(f->minArgs, 3))}) {
            std::string text = "=" + std::string(f->name) + "(";
            for (int a = 0; a < argc; ++a) text += a ? ",1" : "1";
            text += ")";
            const auto code = parseFormula(text, at("B2"));
            FormulaEncoder encoder;
            const Bytes bytes = encoder.encode(*code, at("B2"));
            host::xls::FormulaTokens tokens;
            tokens.tokens = bytes;
            const auto back = host::xls::decodeFormula(tokens, at("B2"), {});
            ASSERT_FALSE(back->opaque) << text;
            EXPECT_EQ(code->rpn, back->rpn) << text;
            EXPECT_EQ(text, host::formulaText(*back, at("B2")));
            // A fixed count is stored as tFuncV (0x41) without a count, any other as tFuncVarV.
            EXPECT_EQ(bytes[bytes.size() - (f->minArgs == f->maxArgs ? 3 : 4)], f->minArgs == f->maxArgs ? 0x41 : 0x42)
                << text;
        }
    }
    EXPECT_GE(functions, 44);
}
