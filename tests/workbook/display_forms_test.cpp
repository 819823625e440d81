#include "workbook/display_forms.h"

#include <gtest/gtest.h>

#include "host/locale.h"
#include "workbook/sheet_failure.h"

using namespace tallomer;
using host::CellValue;
using host::Value;

namespace {
CellValue number(double n) { return {Value::fromNumber(n), false}; }
CellValue text(const char* t) { return {Value::fromText(t), false}; }
CellValue date(int y, int m, int d) { return {Value::fromNumber(*host::serialFromDate({y, m, d})), true}; }
CellValue error(host::ErrorCode e) { return {Value::fromError(e), false}; }
}  // namespace

TEST(ValueForm, GeneralNumberTextEmptyAndError) {
    EXPECT_EQ(ValueForm(number(10)), "10");
    EXPECT_EQ(ValueForm(number(10.5)), "10.5");
    EXPECT_EQ(ValueForm(number(150.5)), "150.5");
    EXPECT_EQ(ValueForm(number(1.0 / 3)), "0.333333333333333");
    EXPECT_EQ(ValueForm(number(-20)), "-20");
    EXPECT_EQ(ValueForm(text("Total")), "Total");
    EXPECT_EQ(ValueForm({}), "");
    EXPECT_EQ(ValueForm(error(host::ErrorCode::Value)), "#VALUE!");
}

TEST(RoundedForm, TwoDecimalsTiesToEvenNoTrailingZeros) {
    EXPECT_EQ(RoundedForm(number(1.0 / 3)), "0.33");
    EXPECT_EQ(RoundedForm(number(0.125)), "0.12");
    EXPECT_EQ(RoundedForm(number(0.135)), "0.14");
    EXPECT_EQ(RoundedForm(number(2)), "2");
    EXPECT_EQ(RoundedForm(number(0.5)), "0.5");
    EXPECT_EQ(RoundedForm(number(0.08)), "0.08");
    EXPECT_EQ(RoundedForm(number(-2.666)), "-2.67");
}

TEST(RoundedForm, EmptyIsZeroNumericTextCountsAndTheRestFails) {
    EXPECT_EQ(RoundedForm({}), "0");
    EXPECT_EQ(RoundedForm(text("2.345")), "2.34");
    EXPECT_THROW(RoundedForm(error(host::ErrorCode::Div0)), SheetFailure);
    EXPECT_THROW(RoundedForm(text("abc")), SheetFailure);
    EXPECT_THROW(RoundedForm({Value::fromBoolean(true), false}), SheetFailure);
}

TEST(DateDisplay, DayMonthFourDigitYearFromTheDateValue) {
    EXPECT_EQ(DateDisplay(date(2001, 2, 1), false), "1/2/2001");
    EXPECT_EQ(DateDisplay(date(1999, 12, 31), false), "31/12/1999");
    EXPECT_EQ(DateDisplay(date(2101, 7, 4), false), "4/7/2101");
    // The same day in a workbook of the 1904 date system.
    EXPECT_EQ(DateDisplay({Value::fromNumber(36923 - 1462), true}, true), "1/2/2001");
}

TEST(DateDisplay, TextDateShowsDayFirstAsTyped) {
    EXPECT_EQ(DateDisplay(text("13/31/2001"), false), "31/13/2001");
    EXPECT_EQ(DateDisplay(text("02/07/01x"), false), "07/02/01x");
    EXPECT_EQ(DateDisplay(text("Total"), false), "Total");
    EXPECT_EQ(DateDisplay({}, false), "");
}
