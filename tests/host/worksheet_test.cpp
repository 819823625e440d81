// The worksheet: recalculation of dependents only, long chains and cycles, bulk loading,
// formats and the cell walk the file writer uses.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "host/host_error.h"
#include "host/workbook.h"
#include "host/worksheet.h"

namespace {

using host::CellAddress;
using host::Value;

class Sheet : public ::testing::Test {
protected:
    std::unique_ptr<host::Workbook> book = host::Workbook::createDefault();
    host::Worksheet& s = book->sheet(0);
    double num(CellAddress a) {
        const Value v = s.value(a);
        EXPECT_TRUE(v.isNumber()) << host::formatAddress(a, false);
        return v.number;
    }
};

TEST_F(Sheet, AChangeRecomputesOnlyTheFormulasDependingOnIt) {
    for (int r = 0; r < 100; ++r) {
        s.setTyped({r, 0}, std::to_string(r));
        s.setTyped({r, 1}, "=A" + std::to_string(r + 1) + "*2");
    }
    s.setTyped({0, 2}, "=B1+B2");
    s.setTyped({1, 2}, "=C1*10");
    s.setTyped({0, 3}, "=SUM(A50:A60)");
    const auto before = s.formulasComputed();
    s.setTyped({0, 0}, "7");  // B1, C1 through B1, C2 through C1
    EXPECT_EQ(s.formulasComputed() - before, 3u);
    EXPECT_EQ(num({1, 2}), (14 + 2) * 10);
    const auto mid = s.formulasComputed();
    s.setTyped({54, 0}, "1000");  // B55 and the sum
    EXPECT_EQ(s.formulasComputed() - mid, 2u);
    EXPECT_EQ(num({0, 3}), 1000 + (49 + 50 + 51 + 52 + 53 + 55 + 56 + 57 + 58 + 59));
    const auto after = s.formulasComputed();
    s.setTyped({200, 5}, "1");  // nothing reads F201
    EXPECT_EQ(s.formulasComputed(), after);
}

TEST_F(Sheet, ADiamondIsComputedOnceInDependencyOrder) {
    s.setTyped({0, 0}, "1");
    s.setTyped({0, 3}, "=B1+C1");  // written before its inputs exist as formulas
    s.setTyped({0, 1}, "=A1*2");
    s.setTyped({0, 2}, "=A1*3");
    const auto before = s.formulasComputed();
    s.setTyped({0, 0}, "2");
    EXPECT_EQ(s.formulasComputed() - before, 3u);
    EXPECT_EQ(num({0, 3}), 10);
}

TEST_F(Sheet, AChainOf30000FormulasRecomputesWithoutRecursion) {
    constexpr int n = 30000;
    s.setTyped({0, 0}, "1");
    for (int r = 1; r < n; ++r) s.setTyped({r, 0}, "=A" + std::to_string(r) + "+1");
    EXPECT_EQ(num({n - 1, 0}), n);
    s.setTyped({0, 0}, "10");
    EXPECT_EQ(num({n - 1, 0}), n + 9);
    // The same chain loaded from its far end (typed one by one from that end, every formula
    // would recompute all those below it).
    s.beginLoad();
    for (int r = n - 1; r >= 1; --r) s.setTyped({r, 1}, "=B" + std::to_string(r) + "+1");
    s.endLoad();
    EXPECT_EQ(num({n - 1, 1}), n - 1);
    s.setTyped({0, 1}, "5");
    EXPECT_EQ(num({n - 1, 1}), n + 4);
}

TEST_F(Sheet, ACycleOf30000FormulasGivesTheCircularErrorWithoutRecursion) {
    constexpr int n = 30000;
    s.beginLoad();
    for (int r = 0; r + 1 < n; ++r) s.setTyped({r, 0}, "=A" + std::to_string(r + 2) + "+1");
    s.endLoad();
    s.setTyped({n - 1, 0}, "=A1+1");
    EXPECT_EQ(s.value({0, 0}), Value::fromError(host::ErrorCode::Ref));
    EXPECT_EQ(s.value({n / 2, 0}), Value::fromError(host::ErrorCode::Ref));
    s.setTyped({n - 1, 0}, "1");  // the cycle is broken
    EXPECT_EQ(num({0, 0}), n);
}

TEST_F(Sheet, CellsBelowACycleTakeItsErrorAndRecoverWithIt) {
    s.setTyped({0, 0}, "=B1");
    s.setTyped({0, 1}, "=A1");
    s.setTyped({0, 2}, "=A1*2");
    s.setTyped({0, 3}, "=SUM(A1:C1)");
    EXPECT_EQ(s.value({0, 2}), Value::fromError(host::ErrorCode::Ref));
    EXPECT_EQ(s.value({0, 3}), Value::fromError(host::ErrorCode::Ref));
    s.setTyped({0, 1}, "4");
    EXPECT_EQ(num({0, 2}), 8);
    EXPECT_EQ(num({0, 3}), 16);
}

TEST_F(Sheet, BulkLoadingComputesEverythingOnceInDependencyOrder) {
    s.beginLoad();
    s.setTyped({0, 2}, "=B1*2");
    s.setTyped({0, 1}, "=A1+1");
    s.setTyped({0, 0}, "1");
    s.setTyped({1, 0}, "=SUM(A1:C1)");
    EXPECT_EQ(s.formulasComputed(), 0u);
    s.endLoad();
    EXPECT_EQ(s.formulasComputed(), 3u);
    EXPECT_EQ(num({0, 2}), 4);
    EXPECT_EQ(num({1, 0}), 7);
    s.setTyped({0, 0}, "2");  // after loading, changes recompute again
    EXPECT_EQ(num({1, 0}), 2 + 3 + 6);
}

TEST_F(Sheet, ALargeLoadedSheetComputesEveryShapeRightAcrossBothHalves) {
    // Enough formulas for the first pass to run in two halves at once, mixing what it settles
    // itself (constants, a formula of its own row) with what it must leave to the walk: a
    // running total down the whole sheet, a division by zero, a text, a formula of a later
    // column, and totals over the columns it wrote.
    constexpr int n = 6000;
    s.beginLoad();
    for (int r = 0; r < n; ++r) {
        const std::string R = std::to_string(r + 1);
        s.setNumber({r, 0}, r);
        s.setNumber({r, 1}, r % 7 - 3);
        if (r % 1000 == 5) {
            s.setValue({r, 2}, Value::fromText("x"));
        } else {
            s.setNumber({r, 2}, 2.5);
        }
        s.setTyped({r, 3}, "=A" + R + "+B" + R);
        s.setTyped({r, 4}, "=D" + R + "*2");
        s.setTyped({r, 5}, "=A" + R + "/B" + R);
        s.setTyped({r, 6}, r == 0 ? "=A1" : "=G" + std::to_string(r) + "+A" + R);
        s.setTyped({r, 7}, "=C" + R + "*1");
        s.setTyped({r, 8}, "=J" + R);
        s.setTyped({r, 9}, "=E" + R);
    }
    const std::string N = std::to_string(n);
    s.setTyped({n, 4}, "=SUM(E1:E" + N + ")");
    s.setTyped({n, 9}, "=SUM(J1:J" + N + ")");
    s.endLoad();
    double running = 0, total = 0;
    for (int r = 0; r < n; ++r) {
        SCOPED_TRACE(r);
        const double b = r % 7 - 3;
        const double d = r + b;
        running += r;
        total += 2 * d;
        ASSERT_EQ(num({r, 3}), d);
        ASSERT_EQ(num({r, 4}), 2 * d);
        if (b == 0) {
            ASSERT_EQ(s.value({r, 5}), Value::fromError(host::ErrorCode::Div0));
        } else {
            ASSERT_EQ(num({r, 5}), r / b);
        }
        ASSERT_EQ(num({r, 6}), running);
        if (r % 1000 == 5) {
            ASSERT_EQ(s.value({r, 7}), Value::fromError(host::ErrorCode::Value));
        } else {
            ASSERT_EQ(num({r, 7}), 2.5);
        }
        ASSERT_EQ(num({r, 8}), 2 * d);
    }
    EXPECT_EQ(num({n, 4}), total);
    EXPECT_EQ(num({n, 9}), total);
    EXPECT_EQ(s.formulasComputed(), std::uint64_t{7} * n + 2);
    s.setTyped({n - 1, 0}, "0");  // and after loading, changes still reach the totals
    EXPECT_EQ(num({n, 4}), total - 2.0 * (n - 1));
}

TEST_F(Sheet, AnOpaqueFormulaKeepsItsCachedValueAndFeedsOthers) {
    auto opaque = std::make_shared<host::FormulaCode>();
    opaque->opaque = true;
    opaque->text = "=Sheet2!A1";
    s.beginLoad();
    s.setFormula({0, 0}, opaque, Value::fromNumber(42));
    s.setTyped({0, 1}, "=A1+1");
    s.endLoad();
    EXPECT_EQ(num({0, 0}), 42);
    EXPECT_EQ(num({0, 1}), 43);
    EXPECT_EQ(s.formulaText({0, 0}), "=Sheet2!A1");
    EXPECT_EQ(s.cell({0, 0}).kind, host::CellView::Kind::Formula);
    // A known formula's cached value is replaced by the computed one.
    s.setFormula({1, 0}, host::parseFormula("=2*3", {1, 0}), Value::fromNumber(99));
    EXPECT_EQ(num({1, 0}), 6);
}

TEST_F(Sheet, FormulasOfOneShapeShareOneCode) {
    for (int r = 2; r < 1002; ++r) {
        const std::string R = std::to_string(r + 1);
        s.setTyped({r, 5}, "=C" + R + "-E" + R);
    }
    const host::FormulaCode* first = s.cell({2, 5}).formula;
    ASSERT_NE(first, nullptr);
    for (int r = 3; r < 1002; ++r) ASSERT_EQ(s.cell({r, 5}).formula, first) << r;
    EXPECT_EQ(s.formulaText({500, 5}), "=C501-E501");
    EXPECT_EQ(host::parseFormula("=C3-E3", {2, 5}), host::parseFormula("=c4-e4", {3, 5}));
    EXPECT_NE(host::parseFormula("=C3-E3", {2, 5}), host::parseFormula("=C3-E3", {3, 5}));
}

TEST_F(Sheet, StylesOverEmptyCellsMakeStyledBlanksInRowMajorOrder) {
    s.setTyped({1, 1}, "x");
    s.setBold({{0, 0}, {1, 10}}, true);
    s.setAlignment({{0, 0}, {999, 0}}, host::HAlign::Left);
    std::vector<CellAddress> seen;
    int blanks = 0;
    s.forEachCell([&](const host::CellView& c) {
        seen.push_back(c.at);
        if (c.kind == host::CellView::Kind::Blank) ++blanks;
    });
    ASSERT_EQ(seen.size(), 22u + 998u);
    EXPECT_EQ(blanks, static_cast<int>(seen.size()) - 1);
    for (std::size_t i = 1; i < seen.size(); ++i) {
        const bool ordered =
            seen[i - 1].row < seen[i].row || (seen[i - 1].row == seen[i].row && seen[i - 1].col < seen[i].col);
        ASSERT_TRUE(ordered) << i;
    }
    const auto used = s.usedRange();
    ASSERT_TRUE(used);
    EXPECT_EQ(used->first, (CellAddress{0, 0}));
    EXPECT_EQ(used->last, (CellAddress{999, 10}));
    // Content goes, the style stays.
    s.clearContents({1, 1});
    EXPECT_TRUE(s.style({1, 1}).bold);
    EXPECT_EQ(s.cell({1, 1}).kind, host::CellView::Kind::Blank);
}

// The row walk the file writer uses must see exactly what the cell walk sees.
TEST_F(Sheet, TheRowWalkVisitsWhatTheCellWalkVisits) {
    s.setTyped({0, 0}, "text");
    s.setTyped({0, 1}, "");  // nothing
    s.setTyped({0, 2}, "2.5");
    s.setValue({0, 3}, Value::fromBoolean(true));
    s.setValue({0, 4}, Value::fromBoolean(false));
    s.setValue({0, 5}, Value::fromError(host::ErrorCode::NA));
    s.setTyped({2, 0}, "=A1&\"!\"");  // a text result
    s.setTyped({2, 1}, "=1/0");  // an error result
    s.setTyped({2, 2}, "=C1*2");
    s.setTyped({2, 3}, "=D1");  // a boolean result
    s.setTyped({2, 6}, "=\"\"");  // an empty text result
    s.setValue({5, 200}, Value::fromNumber(-0.0));  // far right, after empty rows
    s.setValue({7, 1}, Value::fromText(""));
    s.setBold({{3, 1}, {4, 3}}, true);  // styled blanks, one over a gap row
    s.setAlignment({{40, 0}, {300, 0}}, host::HAlign::Left);  // a column longer than the rest
    s.setTyped({41, 0}, "x");
    s.clearContents({41, 0});  // styled again, no content

    struct Seen {
        CellAddress at;
        host::CellView::Kind kind;
        Value value;
        const host::FormulaCode* formula;
        std::uint16_t style;
    };
    std::vector<Seen> byCell, byRow;
    s.forEachCell([&](const host::CellView& c) { byCell.push_back({c.at, c.kind, c.value, c.formula, c.style}); });
    int lastRow = -1;
    s.forEachRowOfCells([&](int row, std::span<const host::CellFields> cells) {
        EXPECT_GT(row, lastRow);
        EXPECT_FALSE(cells.empty());
        lastRow = row;
        for (const host::CellFields& f : cells) {
            Value v;
            v.kind = f.valueKind;
            if (f.valueKind == Value::Kind::Number) v.number = f.number;
            if (f.valueKind == Value::Kind::Text) v.text = std::string(f.text);
            if (f.valueKind == Value::Kind::Boolean) v.boolean = f.boolean();
            if (f.valueKind == Value::Kind::Error) v.error = f.error();
            byRow.push_back({{row, f.col}, f.kind, v, f.formula, f.style});
        }
    });
    ASSERT_EQ(byRow.size(), byCell.size());
    ASSERT_GT(byCell.size(), 270u);
    for (std::size_t i = 0; i < byCell.size(); ++i) {
        const Seen& a = byCell[i];
        const Seen& b = byRow[i];
        const std::string where = host::formatAddress(a.at, false);
        ASSERT_EQ(a.at, b.at) << i;
        EXPECT_EQ(a.kind, b.kind) << where;
        EXPECT_EQ(a.value, b.value) << where;
        EXPECT_EQ(std::signbit(a.value.number), std::signbit(b.value.number)) << where;
        EXPECT_EQ(a.formula, b.formula) << where;
        EXPECT_EQ(a.style, b.style) << where;
    }
    EXPECT_EQ(byRow[1].value.number, 2.5);  // B1 was left empty
    EXPECT_EQ(byRow[3].value, Value::fromBoolean(false));  // stored, not dropped as empty

    host::Worksheet& empty = book->addSheet("Empty");
    int rows = 0;
    empty.forEachRowOfCells([&](int, std::span<const host::CellFields>) { ++rows; });
    EXPECT_EQ(rows, 0);
}

TEST_F(Sheet, OnePropertyChangesAndTheOthersStay) {
    s.setNumberFormat({{0, 0}, {0, 0}}, "0.00");
    s.setBold({{0, 0}, {0, 0}}, true);
    s.setAlignment({{0, 0}, {0, 0}}, host::HAlign::Right);
    const host::Style& st = s.style({0, 0});
    EXPECT_TRUE(st.bold);
    EXPECT_EQ(st.align, host::HAlign::Right);
    EXPECT_EQ(st.numberFormat, "0.00");
    s.setBold({{0, 0}, {0, 0}}, false);
    EXPECT_EQ(s.style({0, 0}).numberFormat, "0.00");
    EXPECT_EQ(s.style({0, 0}).align, host::HAlign::Right);
}

TEST_F(Sheet, ATypedDateGetsAShortDateFormatAndKeepsTheCellsOtherFormats) {
    s.setBold({{0, 0}, {0, 0}}, true);
    s.setTyped({0, 0}, "2/1/2001");
    EXPECT_TRUE(s.read({0, 0}).isDate);
    EXPECT_EQ(s.style({0, 0}).numberFormat, "m/d/yy");
    EXPECT_TRUE(s.style({0, 0}).bold);
    s.setNumberFormat({{0, 0}, {0, 0}}, "d-mmm-yy");
    s.setTyped({0, 0}, "2/2/2001");  // an existing date format stays
    EXPECT_EQ(s.style({0, 0}).numberFormat, "d-mmm-yy");
    s.setTyped({0, 1}, "36923");
    EXPECT_FALSE(s.read({0, 1}).isDate);
}

TEST(StyleTable, InternsEachStyleOnce) {
    host::StyleTable t;
    EXPECT_EQ(t.intern(host::Style{}), 0);
    host::Style bold;
    bold.bold = true;
    const auto i = t.intern(bold);
    EXPECT_EQ(t.intern(bold), i);
    EXPECT_EQ(t.size(), 2u);
    EXPECT_TRUE(t.at(i).bold);
}

TEST(DateFormats, DateCodesMakeADateButTimeCodesAloneDoNot) {
    for (const char* f : {"m/d/yy", "d-mmm-yy", "yyyy-mm-dd", "mmm-yy", "dd/mm/yyyy h:mm", "[$-409]m/d/yy", "d",
                          "MMMM D, YYYY", "m/d/yy;@"}) {
        EXPECT_TRUE(host::isDateFormat(f)) << f;
    }
    for (const char* f : {"General", "0.00", "#,##0", "h:mm", "h:mm:ss", "mm:ss", "[h]:mm:ss", "0%", "\"day\" 0",
                          "h:mm AM/PM", "0.00E+00", "@", "[Red]0.00", "\\d0"}) {
        EXPECT_FALSE(host::isDateFormat(f)) << f;
    }
}

TEST_F(Sheet, CellsOutsideTheSheetAreRefused) {
    EXPECT_THROW(s.setTyped({65536, 0}, "1"), host::HostError);
    EXPECT_THROW(s.setTyped({0, 256}, "1"), host::HostError);
    EXPECT_THROW(s.setBold({{0, 0}, {65536, 0}}, true), host::HostError);
    EXPECT_FALSE(s.usedRange().has_value());
}

TEST_F(Sheet, DeepNestingIsRefusedNotOverflowed) {
    std::string deep = "=" + std::string(5000, '(') + "1" + std::string(5000, ')');
    EXPECT_THROW(s.setTyped({0, 0}, deep), host::HostError);
    std::string minus = "=" + std::string(5000, '-') + "1";
    EXPECT_THROW(s.setTyped({0, 0}, minus), host::HostError);
    std::string nested = "=" + std::string(50, '(') + "1" + std::string(50, ')');
    s.setTyped({0, 0}, nested);
    EXPECT_EQ(num({0, 0}), 1);
}

TEST_F(Sheet, AWholeColumnSumFollowsEveryRow) {
    s.setTyped({0, 1}, "=SUM(A1:A65536)");
    s.setTyped({65535, 0}, "2");
    s.setTyped({30000, 0}, "3");
    EXPECT_EQ(num({0, 1}), 5);
    s.setTyped({1, 2}, "=SUM(A1:B65536)");
    EXPECT_EQ(num({1, 2}), 10);  // 2 + 3 + B1's 5
    s.setTyped({65535, 1}, "1");
    EXPECT_EQ(num({0, 1}), 5);
    EXPECT_EQ(num({1, 2}), 11);
    s.setTyped({2, 2}, "=SUM(A1:IV65536)");  // holds itself: a circular reference
    EXPECT_EQ(s.value({2, 2}), Value::fromError(host::ErrorCode::Ref));
}

}  // namespace

namespace {

TEST(SheetLimits, TextAndFormulaLengthsOfTheFileFormat) {
    auto book = host::Workbook::createDefault();
    host::Worksheet& s = book->sheet(0);
    s.setTyped({0, 0}, std::string(32767, 'x'));
    EXPECT_EQ(s.value({0, 0}).text.size(), 32767u);
    EXPECT_THROW(s.setTyped({0, 0}, std::string(32768, 'y')), host::HostError);
    EXPECT_EQ(s.value({0, 0}).text.size(), 32767u);
    std::string longFormula = "=1";
    while (longFormula.size() < 1030) longFormula += "+1";
    EXPECT_THROW(s.setTyped({0, 1}, longFormula), host::HostError);
    EXPECT_TRUE(s.value({0, 1}).isEmpty());
    s.setColumnWidth(0, 255.99);  // the widest a file can hold
    EXPECT_THROW(s.setColumnWidth(0, 256), host::HostError);
}

}  // namespace

namespace {

// Code from a damaged file: the engine gives an error value and a readable text, never a crash.
TEST(DamagedCode, MalformedTokensGiveErrorValues) {
    auto book = host::Workbook::createDefault();
    host::Worksheet& s = book->sheet(0);
    auto code = std::make_shared<host::FormulaCode>();
    host::Token sum;
    sum.kind = host::TokenKind::Func;
    sum.func = host::FunctionId::Sum;
    sum.argc = 3;  // more arguments than the stack holds
    code->rpn = {sum};
    s.setFormula({0, 0}, code);
    EXPECT_TRUE(s.value({0, 0}).isError());
    EXPECT_FALSE(s.formulaText({0, 0}).empty());

    auto text = std::make_shared<host::FormulaCode>();
    host::Token str;
    str.kind = host::TokenKind::String;
    str.string = 7;  // no such string
    text->rpn = {str};
    s.setFormula({1, 0}, text);
    EXPECT_EQ(s.value({1, 0}), Value::fromText(""));

    auto far = std::make_shared<host::FormulaCode>();
    host::Token area;
    area.kind = host::TokenKind::Area;
    area.a = {-5, 0, true, true};  // above row 1 from A2
    area.b = {0, 0, true, true};
    host::Token call = sum;
    call.argc = 1;
    far->rpn = {area, call};
    s.setFormula({1, 1}, far);
    EXPECT_EQ(s.value({1, 1}), Value::fromError(host::ErrorCode::Ref));
    EXPECT_EQ(s.formulaText({1, 1}), "=SUM(#REF!)");

    auto binary = std::make_shared<host::FormulaCode>();
    host::Token add;
    add.kind = host::TokenKind::Add;
    binary->rpn = {add};
    s.setFormula({2, 0}, binary);
    EXPECT_TRUE(s.value({2, 0}).isError());
}

}  // namespace
