// RK numbers and the text conversion every string record goes through.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "xls/biff_text.h"
#include "xls/rk_number.h"

using namespace host::xls;

TEST(RkNumber, ValuesItHoldsComeBackBitForBit) {
    for (double v : {0.0, 1.0, -1.0, 10.0, 250.0, 36923.0, 536870911.0, -536870912.0, 12.5, 337.5, 0.08, 0.25, 1.23,
                     -45.67, 1e300, 0.5, 32767.0}) {
        const auto rk = encodeRk(v);
        if (!rk) continue;  // not every value has an RK form; those that do must be exact
        EXPECT_EQ(decodeRk(*rk), v) << v;
    }
}

TEST(RkNumber, CommonSheetNumbersUseTheShortForm) {
    EXPECT_TRUE(encodeRk(10).has_value());
    EXPECT_TRUE(encodeRk(36923).has_value());  // a date serial
    EXPECT_TRUE(encodeRk(1.23).has_value());  // cents: the x100 integer form
    EXPECT_TRUE(encodeRk(12.5).has_value());
    EXPECT_EQ(*encodeRk(10), (10u << 2) | 2u);
}

TEST(RkNumber, ValuesItCannotHoldAreRefused) {
    EXPECT_FALSE(encodeRk(0.1 + 0.2).has_value());
    EXPECT_FALSE(encodeRk(1.0 / 3).has_value());
    EXPECT_FALSE(encodeRk(std::numeric_limits<double>::quiet_NaN()).has_value());
    EXPECT_FALSE(encodeRk(std::numeric_limits<double>::infinity()).has_value());
    EXPECT_FALSE(encodeRk(1e10 + 0.5).has_value());
}

TEST(RkNumber, NegativeZeroKeepsItsSign) {
    const auto rk = encodeRk(-0.0);
    ASSERT_TRUE(rk.has_value());
    EXPECT_TRUE(std::signbit(decodeRk(*rk)));
}

TEST(BiffText, LatinTextIsCompressedOtherTextWide) {
    const BiffText latin = toBiffText("Caf\xC3\xA9");  // é fits in one byte
    EXPECT_FALSE(latin.wide);
    EXPECT_EQ(latin.units, u"Caf\u00E9");
    const BiffText euro = toBiffText("\xE2\x82\xAC 5");
    EXPECT_TRUE(euro.wide);
    EXPECT_EQ(euro.units, u"\u20AC 5");
}

TEST(BiffText, CharactersBeyondTheBasicPlaneBecomeSurrogatePairs) {
    const BiffText t = toBiffText("\xF0\x9F\x98\x80");  // U+1F600
    ASSERT_EQ(t.units.size(), 2u);
    EXPECT_EQ(t.units[0], 0xD83D);
    EXPECT_EQ(t.units[1], 0xDE00);
}

TEST(BiffText, MalformedUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(toBiffText("a\xFF"
                         "b")
                  .units,
              u"a\uFFFDb");
    EXPECT_EQ(toBiffText("a\xC3").units, u"a\uFFFD");  // cut short
    EXPECT_EQ(toBiffText("\xC0\xAF").units, u"\uFFFD\uFFFD");  // overlong "/"
    EXPECT_EQ(toBiffText("\xED\xA0\x80").units, u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
}

TEST(BiffText, TruncationNeverSplitsASurrogatePair) {
    const BiffText t = toBiffText("ab\xF0\x9F\x98\x80", 3);
    EXPECT_EQ(t.units, u"ab");
    EXPECT_EQ(toBiffText(std::string(40000, 'x')).units.size(), kMaxCellTextChars);
}
