// TODAY is volatile: computed on every recalculation, whatever cell changed, with the formulas
// that read it, as Excel computes it. The engine's day is set here rather than waited for.
#include <gtest/gtest.h>

#include <memory>

#include "host/engine_clock.h"
#include "host/locale.h"
#include "host/workbook.h"

namespace {

using host::CellAddress;

double serial(int year, int month, int day) { return *host::serialFromDate({year, month, day}); }

class Today : public ::testing::Test {
protected:
    void SetUp() override { host::setEngineToday(host::Date{2026, 12, 9}); }
    void TearDown() override { host::setEngineToday(std::nullopt); }
    double num(CellAddress a) {
        const host::Value v = s.value(a);
        EXPECT_TRUE(v.isNumber()) << host::formatAddress(a, false);
        return v.number;
    }
    std::unique_ptr<host::Workbook> book = host::Workbook::createDefault();
    host::Worksheet& s = book->sheet(0);
};

TEST_F(Today, TodayAndWhatReadsItFollowTheDayOnAnyChangeAndOnRecalculateAll) {
    s.setTyped({0, 0}, "=TODAY()");
    s.setTyped({1, 0}, "=A1+1");  // reads the volatile cell
    s.setTyped({2, 0}, "=TODAY()+1");
    s.setTyped({0, 1}, "5");
    s.setTyped({0, 2}, "=B1*2");  // unrelated to the day
    EXPECT_EQ(num({0, 0}), serial(2026, 12, 9));
    EXPECT_EQ(num({1, 0}), serial(2026, 12, 10));
    EXPECT_EQ(num({2, 0}), serial(2026, 12, 10));

    // Midnight passes: nothing is computed until something is.
    host::setEngineToday(host::Date{2026, 12, 10});
    EXPECT_EQ(num({0, 0}), serial(2026, 12, 9));
    s.setTyped({0, 1}, "6");  // a cell no TODAY formula reads
    EXPECT_EQ(num({0, 0}), serial(2026, 12, 10));
    EXPECT_EQ(num({1, 0}), serial(2026, 12, 11));
    EXPECT_EQ(num({2, 0}), serial(2026, 12, 11));
    EXPECT_EQ(num({0, 2}), 12);

    host::setEngineToday(host::Date{2027, 1, 1});
    s.recalculateAll();
    EXPECT_EQ(num({0, 0}), serial(2027, 1, 1));
    EXPECT_EQ(num({1, 0}), serial(2027, 1, 2));
    EXPECT_EQ(num({2, 0}), serial(2027, 1, 2));
}

TEST_F(Today, AChangeOnOneSheetComputesTheTodayOfTheOthers) {
    host::Worksheet& other = book->sheet(2);
    other.setTyped({0, 0}, "=TODAY()");
    other.setTyped({1, 0}, "=A1+1");
    host::setEngineToday(host::Date{2026, 12, 10});
    s.setTyped({5, 5}, "x");
    EXPECT_EQ(other.value({0, 0}).number, serial(2026, 12, 10));
    EXPECT_EQ(other.value({1, 0}).number, serial(2026, 12, 11));
}

TEST_F(Today, AFormulaNoLongerVolatileIsNoLongerComputedWithEveryChange) {
    s.setTyped({0, 0}, "=TODAY()");
    s.setTyped({1, 0}, "=A1+1");
    s.setTyped({2, 0}, "=TODAY()");
    s.setTyped({0, 1}, "5");
    s.setTyped({0, 2}, "=B1*2");
    auto before = s.formulasComputed();
    s.setTyped({0, 1}, "6");
    EXPECT_EQ(s.formulasComputed() - before, 4u);  // C1, and A1, A2 and A3 for the day

    // Typed over, cleared, given a constant: each leaves the list of volatile cells.
    s.setTyped({0, 0}, "=B1");
    s.clearContents({2, 0});
    before = s.formulasComputed();
    s.setTyped({0, 1}, "7");
    EXPECT_EQ(s.formulasComputed() - before, 3u);  // C1, A1 and A2 read B1
    EXPECT_EQ(num({1, 0}), 8);
    s.setTyped({0, 0}, "1");
    before = s.formulasComputed();
    s.setTyped({0, 1}, "8");
    EXPECT_EQ(s.formulasComputed() - before, 1u);  // C1 alone
}

}  // namespace
