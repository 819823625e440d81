#include "workbook/split_text.h"

#include <gtest/gtest.h>

#include "workbook/sheet_failure.h"

using tallomer::SplitText;

namespace {
int filledPieces(const tallomer::Pieces& pieces) {
    int last = -1;
    for (int i = 0; i < tallomer::kPieceCount; ++i)
        if (!pieces[i].empty()) last = i;
    return last + 1;
}
}  // namespace

TEST(SplitText, DateGivesThreePiecesAndEmptyRest) {
    const auto pieces = SplitText("1/2/2001", '/');
    EXPECT_EQ(pieces[0], "1");
    EXPECT_EQ(pieces[1], "2");
    EXPECT_EQ(pieces[2], "2001");
    EXPECT_EQ(filledPieces(pieces), 3);
}

TEST(SplitText, EmptyTextGivesEmptyPieces) { EXPECT_EQ(filledPieces(SplitText("", '/')), 0); }

TEST(SplitText, DoubledAndTrailingDelimitersGiveEmptyPieces) {
    const auto doubled = SplitText("a//b", '/');
    EXPECT_EQ(doubled[0], "a");
    EXPECT_EQ(doubled[1], "");
    EXPECT_EQ(doubled[2], "b");
    const auto trailing = SplitText("a/", '/');
    EXPECT_EQ(trailing[0], "a");
    EXPECT_EQ(trailing[1], "");
    EXPECT_EQ(filledPieces(trailing), 1);
}

TEST(SplitText, KeepsBlanksAndCaseExactly) {
    const auto pieces = SplitText(" 07 /x$Y$z", '$');
    EXPECT_EQ(pieces[0], " 07 /x");
    EXPECT_EQ(pieces[1], "Y");
    EXPECT_EQ(pieces[2], "z");
}

TEST(SplitText, HundredDelimitersFitAndOneMoreFails) {
    std::string hundred(100, '/');
    const auto pieces = SplitText("x" + hundred + "y", '/');
    EXPECT_EQ(pieces[0], "x");
    EXPECT_EQ(pieces[100], "y");
    EXPECT_THROW(SplitText(hundred + "/", '/'), tallomer::SheetFailure);
}
