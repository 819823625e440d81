// The locale services: the number test, the general number form, rounding to 2 decimals,
// and the 1900 date system.
#include <gtest/gtest.h>

#include <cmath>

#include "host/locale.h"

using host::Date;

TEST(NumberTest, AcceptsBlanksSignDecimalsGroupsAndExponent) {
    EXPECT_EQ(host::parseNumber("10"), 10);
    EXPECT_EQ(host::parseNumber("  10.50  "), 10.5);
    EXPECT_EQ(host::parseNumber("-3"), -3);
    EXPECT_EQ(host::parseNumber("+3"), 3);
    EXPECT_EQ(host::parseNumber("1,234,567.25"), 1234567.25);
    EXPECT_EQ(host::parseNumber("1e3"), 1000);
    EXPECT_EQ(host::parseNumber("2.5E-1"), 0.25);
    EXPECT_EQ(host::parseNumber(".5"), 0.5);
    EXPECT_EQ(host::parseNumber("5."), 5);
    EXPECT_EQ(host::parseNumber("007"), 7);
    EXPECT_EQ(host::parseNumber("\t42\t"), 42);
}

TEST(NumberTest, RefusesEverythingElse) {
    for (const char* bad :
         {"",  " ", "abc", "1a", "a1",  "1,2",  "1,23",  ",123",  "1,,234", "1.2.3", "--1", "+-1",   "1e",       "1e+",
          ".", "-", "$5",  "5%", "(5)", "0x10", "1 000", "1e999", "inf",    "nan",   "1/2", "12:30", "1,234.5,6"}) {
        EXPECT_FALSE(host::parseNumber(bad).has_value()) << '"' << bad << '"';
    }
}

TEST(GeneralNumber, ShowsAtMostFifteenDigitsWithoutTrailingZeros) {
    EXPECT_EQ(host::generalNumber(10), "10");
    EXPECT_EQ(host::generalNumber(10.5), "10.5");
    EXPECT_EQ(host::generalNumber(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(host::generalNumber(2.0 / 3), "0.666666666666667");
    EXPECT_EQ(host::generalNumber(0.1 + 0.2), "0.3");
    EXPECT_EQ(host::generalNumber(150.5), "150.5");
    EXPECT_EQ(host::generalNumber(-2.25), "-2.25");
    EXPECT_EQ(host::generalNumber(0), "0");
    EXPECT_EQ(host::generalNumber(-0.0), "0");
    EXPECT_EQ(host::generalNumber(1234567.25), "1234567.25");
    EXPECT_EQ(host::generalNumber(0.08), "0.08");
    EXPECT_EQ(host::generalNumber(0.28), "0.28");
    EXPECT_EQ(host::generalNumber(36923), "36923");
}

TEST(GeneralNumber, UsesTheExponentFormForVeryLargeAndSmallValues) {
    EXPECT_EQ(host::generalNumber(999999999999999), "999999999999999");
    EXPECT_EQ(host::generalNumber(1e15), "1E+15");
    EXPECT_EQ(host::generalNumber(1.5e20), "1.5E+20");
    EXPECT_EQ(host::generalNumber(-1.5e20), "-1.5E+20");
    EXPECT_EQ(host::generalNumber(123456789012345678.0), "1.23456789012346E+17");
    EXPECT_EQ(host::generalNumber(0.0001), "0.0001");
    EXPECT_EQ(host::generalNumber(0.00001), "1E-05");
    EXPECT_EQ(host::generalNumber(1.25e-7), "1.25E-07");
    EXPECT_EQ(host::generalNumber(1e300), "1E+300");
}

TEST(RoundHalfEven2, AnExactDecimalHalfGoesToTheEvenDigit) {
    EXPECT_EQ(host::roundHalfEven2(0.125), 0.12);
    EXPECT_EQ(host::roundHalfEven2(0.135), 0.14);
    EXPECT_EQ(host::roundHalfEven2(-0.125), -0.12);
    EXPECT_EQ(host::roundHalfEven2(0.015), 0.02);
    EXPECT_EQ(host::roundHalfEven2(0.005), 0);
    EXPECT_EQ(host::roundHalfEven2(2.675), 2.68);  // the decimal 2.675, though stored below it
    EXPECT_EQ(host::roundHalfEven2(1.005), 1.0);
    EXPECT_EQ(host::roundHalfEven2(0.1251), 0.13);
}

TEST(RoundHalfEven2, OtherValuesRoundToTheNearest) {
    EXPECT_EQ(host::roundHalfEven2(2), 2);
    EXPECT_EQ(host::roundHalfEven2(0.08), 0.08);
    EXPECT_EQ(host::roundHalfEven2(1.0 / 3), 0.33);
    EXPECT_EQ(host::roundHalfEven2(2.0 / 3), 0.67);
    EXPECT_EQ(host::roundHalfEven2(-2.0 / 3), -0.67);
    EXPECT_EQ(host::roundHalfEven2(3.5), 3.5);
    EXPECT_EQ(host::roundHalfEven2(0.0004), 0);
    EXPECT_EQ(host::roundHalfEven2(123456789.126), 123456789.13);
    EXPECT_EQ(host::roundHalfEven2(1e20), 1e20);
    EXPECT_EQ(host::roundHalfEven2(0), 0);
    EXPECT_EQ(host::generalNumber(host::roundHalfEven2(0.28)), "0.28");
    EXPECT_EQ(host::generalNumber(host::roundHalfEven2(7)), "7");
}

TEST(DateSystem, SerialsOfThe1900SystemWithItsLeapYearQuirk) {
    EXPECT_EQ(host::serialFromDate({1900, 1, 1}), 1);
    EXPECT_EQ(host::serialFromDate({1900, 2, 28}), 59);
    EXPECT_EQ(host::serialFromDate({1900, 2, 29}), 60);
    EXPECT_EQ(host::serialFromDate({1900, 3, 1}), 61);
    EXPECT_EQ(host::serialFromDate({2001, 2, 1}), 36923);
    EXPECT_EQ(host::serialFromDate({2000, 2, 29}), 36585);
    EXPECT_EQ(host::serialFromDate({9999, 12, 31}), 2958465);
    EXPECT_FALSE(host::serialFromDate({2001, 2, 29}));
    EXPECT_FALSE(host::serialFromDate({2001, 13, 1}));
    EXPECT_FALSE(host::serialFromDate({2001, 4, 31}));
    EXPECT_FALSE(host::serialFromDate({1899, 12, 31}));
    EXPECT_FALSE(host::serialFromDate({2100, 2, 29}));
}

TEST(DateSystem, EveryDayRoundTrips) {
    for (double serial = 1; serial <= 80000; ++serial) {
        const auto d = host::dateFromSerial(serial);
        ASSERT_TRUE(d) << serial;
        ASSERT_EQ(host::serialFromDate(*d), serial) << d->year << "-" << d->month << "-" << d->day;
    }
    EXPECT_FALSE(host::dateFromSerial(0));
    EXPECT_FALSE(host::dateFromSerial(2958466));
    const auto withTime = host::dateFromSerial(36923.75);
    ASSERT_TRUE(withTime);
    EXPECT_EQ(withTime->day, 1);
}

TEST(DateSystem, ShortDateIsMonthDayTwoDigitYear) {
    EXPECT_EQ(host::shortDate(36923), "2/1/01");
    EXPECT_EQ(host::shortDate(36525), "12/31/99");
    EXPECT_EQ(host::shortDate(36585), "2/29/00");
    EXPECT_EQ(host::shortDate(1), "1/1/00");
}

TEST(TypedDates, MonthDayYearWithTwoOrFourDigitYears) {
    EXPECT_EQ(host::parseTypedDate("2/1/2001"), 36923);
    EXPECT_EQ(host::parseTypedDate("02/01/2001"), 36923);
    EXPECT_EQ(host::parseTypedDate("2/1/01"), 36923);
    EXPECT_EQ(host::parseTypedDate("12/31/29"), *host::serialFromDate({2029, 12, 31}));
    EXPECT_EQ(host::parseTypedDate("1/1/30"), *host::serialFromDate({1930, 1, 1}));
    EXPECT_EQ(host::parseTypedDate("1/1/00"), *host::serialFromDate({2000, 1, 1}));
    EXPECT_EQ(host::parseTypedDate("2/29/2000"), 36585);
    EXPECT_EQ(host::parseTypedDate(" 2/1/2001 "), 36923);
    for (const char* bad :
         {"13/31/2001", "2/30/2001", "2/29/2001", "0/1/2001", "1/0/2001", "1/2/001", "1/2/2", "12/31", "1/2/2001/9",
          "123/1/2001", "1/123/2001", "a/1/2001", "1-2-2001", "", "1/1/1899", "1/1/10000", "//"}) {
        EXPECT_FALSE(host::parseTypedDate(bad).has_value()) << bad;
    }
}
