// Which TEXT formulas read from a file are recomputed: only those whose format code is a
// literal text the formatter renders in full; any other keeps the file's stored result.
#include <gtest/gtest.h>

#include "host/formula_code.h"

namespace {

bool exact(const char* formula) { return host::computedAsExcel(*host::parseFormula(formula, {0, 5})); }

TEST(TextFormatExact, LiteralCodesTheFormatterRendersInFullAreComputed) {
    for (const char* f :
         {R"x(=TEXT(A1,"0"))x", R"x(=TEXT(A1,"#,##0.00"))x", R"x(=TEXT(A1,"$#,##0.00"))x", R"x(=TEXT(A1,"0.0%"))x",
          R"x(=TEXT(A1,"0;(0);""-"""))x", R"x(=TEXT(A1,"\#0"))x", R"x(=TEXT(A1,"0;0;0;@""!"""))x",
          R"x(=TEXT(A1,"dddd, mmmm d, yyyy"))x", R"x(=TEXT(A1,"hh:mm:ss AM/PM"))x", R"x(=TEXT(A1,"dd.mm.yy"))x",
          R"x(=SUM(A1:A3)&TEXT(B1,"0"))x"}) {
        EXPECT_TRUE(exact(f)) << f;
    }
}

TEST(TextFormatExact, CodesWithAnythingElseOrNotLiteralKeepTheStoredResult) {
    for (const char* f :
         {R"x(=TEXT(A1,B1))x", R"x(=TEXT(A1,"[Red]0"))x", R"x(=TEXT(A1,"[h]:mm"))x", R"x(=TEXT(A1,"0.00E+00"))x",
          R"x(=TEXT(A1,"# ?/?"))x", R"x(=TEXT(A1,"#,##0,"))x", R"x(=TEXT(A1,"General"))x", R"x(=TEXT(A1,"_(0_)"))x",
          R"x(=TEXT(A1,"0*-"))x", R"x(=TEXT(A1,"h:mm a/p"))x", R"x(=TEXT(A1,"ss.00"))x", R"x(=TEXT(A1,"yyy"))x",
          R"x(=TEXT(A1,"@"))x", R"x(=TEXT(A1,""))x", R"x(=TEXT(A1,"0;0;0;0;0"))x", R"x(=TEXT(A1,"0-0"))x",
          R"x(=TEXT(A1,"0x"))x", R"x(=TEXT(A1,"""a"))x"}) {
        EXPECT_FALSE(exact(f)) << f;
    }
}

}  // namespace
