// Which array formulas, and which SUMPRODUCT formulas, read from a file are recomputed: only
// those whose every function the engine computes element by element as Excel does; any other
// keeps the file's stored result.
#include <gtest/gtest.h>

#include <memory>

#include "host/formula_code.h"

namespace {

bool exactAsArray(const char* formula) {
    auto code = std::make_shared<host::FormulaCode>(*host::parseFormula(formula, {0, 5}));
    code->array = true;
    code->arrayRange = {{0, 5}, {2, 5}};
    return host::computedAsExcel(*code);
}

bool exactAsOrdinary(const char* formula) { return host::computedAsExcel(*host::parseFormula(formula, {0, 5})); }

TEST(ArrayExact, ArrayFormulasOfFunctionsTestedElementByElementAreComputed) {
    for (const char* f : {"=SUM(IF(K8:K206=\"Y\",N8:N206,0))", "=MIN(IF(E28:E33>=F28,E28:E33))",
                          "=SUM(1*NOT(ISBLANK(E5:E10)))", "=SUM(VALUE(B2:B4))", "=A1:A3*B1:B3",
                          "=SUMPRODUCT((A1:A3>1)*B1:B3)", "=AND(ISNUMBER(A1:A3))", "=COUNT(IF(A1:A3>0,A1:A3))"}) {
        EXPECT_TRUE(exactAsArray(f)) << f;
    }
}

TEST(ArrayExact, ArrayFormulasWithAnyOtherFunctionKeepTheStoredResults) {
    for (const char* f :
         {"=SUM(LEN(UPPER(A1:A3)))", "=SUM(COUNTIF(A1:A3,B1:B3))", "=VLOOKUP(A1:A3,C1:D9,2,FALSE)", "=INDEX(A1:A3,2)",
          "=SUM(IFERROR(1/A1:A3,0))", "=CHOOSE(A1:A3,1,2)", "=SUM(DATE(A1:A3,1,1))", "=SUM(A1:Q65536*1)"}) {
        EXPECT_FALSE(exactAsArray(f)) << f;
    }
}

TEST(ArrayExact, SumproductIsComputedWhereItsArgumentsHoldNoIfOrUntestedFunction) {
    EXPECT_TRUE(exactAsOrdinary("=SUMPRODUCT((A1:A3>1)*B1:B3)"));
    EXPECT_TRUE(exactAsOrdinary("=SUMPRODUCT(--ISNUMBER(A1:A3),B1:B3)"));
    EXPECT_TRUE(exactAsOrdinary("=SUMPRODUCT(A1:A3,B1:B3)+IF(A1>0,1,2)"));
    // Excel computes IF element by element only in an array formula.
    EXPECT_FALSE(exactAsOrdinary("=SUMPRODUCT(IF(A1:A3>1,1,0))"));
    EXPECT_FALSE(exactAsOrdinary("=SUMPRODUCT(LEN(UPPER(A1:A3)))"));
}

}  // namespace
