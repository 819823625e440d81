#include "workbook/cell_cursor.h"

#include <gtest/gtest.h>

#include "host/application.h"
#include "workbook/int16.h"
#include "workbook/sheet_failure.h"

using namespace tallomer;

namespace {
class CellCursor : public ::testing::Test {
protected:
    CellCursor() { xl.addWorkbook(); }
    void at(const char* cell) { xl.range(cell).select(); }
    std::string active() { return xl.activeCell().address(); }
    host::Application xl;
};
}  // namespace

TEST(Int16, AddsWithinRangeAndFailsOnOverflow) {
    EXPECT_EQ(add16(32766, 1), 32767);
    EXPECT_EQ(add16(-32767, -1), -32768);
    EXPECT_THROW(add16(32767, 1), SheetFailure);
    EXPECT_THROW(add16(-32768, -1), SheetFailure);
}

TEST(Int16, ConvertsNumbersRoundingHalfToEven) {
    EXPECT_EQ(toInt16(2.5), 2);
    EXPECT_EQ(toInt16(3.5), 4);
    EXPECT_EQ(toInt16(-0.5), 0);
    EXPECT_EQ(toInt16(32767.4), 32767);
    EXPECT_THROW(toInt16(32767.5), SheetFailure);
    EXPECT_THROW(toInt16(-32769), SheetFailure);
    EXPECT_EQ(parseInt16("12"), 12);
    EXPECT_THROW(parseInt16(""), SheetFailure);
    EXPECT_THROW(parseInt16("32768"), SheetFailure);
}

TEST_F(CellCursor, ReadsColumnAndRowFromTheAddress) {
    at("K12");
    const CursorPosition position = ReadCursorPosition(xl);
    EXPECT_EQ(position.column, "K");
    EXPECT_EQ(position.row, 12);
    EXPECT_EQ(CursorPositionFromAddress("$AB$7").column, "AB");
}

TEST_F(CellCursor, RowAbove32767CannotBeRead) {
    at("A32767");
    EXPECT_EQ(ReadCursorPosition(xl).row, 32767);
    at("A32768");
    EXPECT_THROW(ReadCursorPosition(xl), SheetFailure);
}

TEST_F(CellCursor, MovesColumnsWithinTheRow) {
    at("K5");
    MoveColumns(xl, -10);
    EXPECT_EQ(active(), "$A$5");
    at("E5");
    MoveColumns(xl, 3);
    EXPECT_EQ(active(), "$H$5");
    at("H5");
    MoveColumns(xl, -2);
    EXPECT_EQ(active(), "$F$5");
}

TEST_F(CellCursor, MovesRowsWithinTheColumn) {
    at("A5");
    MoveRows(xl, 1);
    EXPECT_EQ(active(), "$A$6");
    MoveRows(xl, -1);
    EXPECT_EQ(active(), "$A$5");
    at("K3");
    MoveRows(xl, 100);
    EXPECT_EQ(active(), "$K$103");
}

TEST_F(CellCursor, MoveOutsideAtoZOrAboveRowOneFailsAndStays) {
    at("A5");
    EXPECT_THROW(MoveColumns(xl, -1), std::exception);
    EXPECT_EQ(active(), "$A$5");
    at("Z5");
    EXPECT_THROW(MoveColumns(xl, 1), std::exception);
    // Far enough right to reach lower-case letters, which would read as a column again.
    EXPECT_THROW(MoveColumns(xl, 7), std::exception);
    EXPECT_EQ(active(), "$Z$5");
    at("A1");
    EXPECT_THROW(MoveRows(xl, -1), std::exception);
    EXPECT_EQ(active(), "$A$1");
}

TEST_F(CellCursor, RowOverflowFailsNeverWraps) {
    at("B32767");
    EXPECT_THROW(MoveRows(xl, 1), SheetFailure);
    EXPECT_EQ(active(), "$B$32767");
    at("B2");
    EXPECT_THROW(MoveColumns(xl, 32767), SheetFailure);
    EXPECT_EQ(active(), "$B$2");
}
