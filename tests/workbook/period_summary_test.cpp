// Period summaries against hand-computed weeks, months and years, on sheets filled through the
// host as typed, and tallomer-cli summary on workbooks that xlwt and LibreOffice write.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/application.h"
#include "host/locale.h"
#include "workbook/day_series.h"
#include "workbook/period_summary.h"

namespace {
namespace fs = std::filesystem;
using namespace tallomer;

struct Day {
    const char* date;  // as typed into the sheet: month/day/year
    const char* b;
    double c, d, e, h;
};

// A statistics sheet with `days` in rows 3 on, F and G as formulas, the totals row under them
// and a stray row under that, which is not data.
class Sheet {
public:
    explicit Sheet(const std::vector<Day>& days) {
        host::Worksheet& s = app_.addWorkbook().sheet(0);
        int row = 3;
        const auto put = [&](const char* col, const std::string& text) {
            s.setTyped(*host::parseAddress(col + std::to_string(row)), text);
        };
        const auto num = [](double v) { return host::generalNumber(v); };
        for (const Day& d : days) {
            const std::string r = std::to_string(row);
            put("A", d.date);
            put("B", d.b);
            put("C", num(d.c));
            put("D", num(d.d));
            put("E", num(d.e));
            put("F", "=C" + r + "-E" + r);
            put("G", "=B" + r + "-D" + r);
            put("H", num(d.h));
            ++row;
        }
        put("A", "Total");
        put("B", "=sum(B3:B" + std::to_string(row - 1) + ")");
        ++row;
        put("A", "1/1/2001");
        put("B", "5");
    }
    TradeDays days() { return readTradeDays(*app_.activeWorkbook()); }

private:
    host::Application app_;
};

std::int32_t day(int y, int m, int d) { return daysFromCivil(y, m, d); }

TEST(PeriodSummary, WeeksRunMondayToSundayAcrossMonthAndYearEnds) {
    Sheet sheet({{"1/31/2001", "10", 100, 1, 10, 50},  // Wednesday
                 {"2/4/2001", "20", 200, 0, 0, 50},  // Sunday, same week
                 {"2/5/2001", "5", 50, 0, 0, 10},  // Monday, next week
                 {"12/31/2001", "1", 10, 0, 0, 1},  // Monday
                 {"1/6/2002", "2", 20, 0, 0, 1}});  // Sunday of that week, a new year
    const PeriodSummary weeks = summarise(sheet.days(), PeriodKind::Week);
    ASSERT_EQ(weeks.periods.size(), 3u);
    EXPECT_EQ(periodLabel(PeriodKind::Week, weeks.periods[0].totals.firstDay), "2001-01-29");
    EXPECT_EQ(weeks.periods[0].totals.entries, 2);
    EXPECT_EQ(weeks.periods[0].totals.orders, 30);
    EXPECT_EQ(weeks.periods[0].totals.netValue, 290);
    EXPECT_EQ(weeks.periods[0].totals.netOrders, 29);
    EXPECT_DOUBLE_EQ(*weeks.periods[0].totals.netOrdersPerVisitor(), 0.29);
    EXPECT_DOUBLE_EQ(*weeks.periods[0].totals.netValuePerVisitor(), 2.9);
    EXPECT_EQ(periodLabel(PeriodKind::Week, weeks.periods[1].totals.firstDay), "2001-02-05");
    // The week just before is there: orders 30 -> 5 is -83.3 %, visitors 100 -> 10 is -90 %.
    ASSERT_TRUE(weeks.periods[1].sincePrevious);
    EXPECT_NEAR(*weeks.periods[1].sincePrevious->orders, -83.333333, 1e-5);
    EXPECT_NEAR(*weeks.periods[1].sincePrevious->visitors, -90, 1e-9);
    EXPECT_EQ(periodLabel(PeriodKind::Week, weeks.periods[2].totals.firstDay), "2001-12-31");
    EXPECT_EQ(weeks.periods[2].totals.entries, 2);
    EXPECT_FALSE(weeks.periods[2].sincePrevious) << "the week before is not on the sheet";

    const PeriodSummary years = summarise(sheet.days(), PeriodKind::Year);
    ASSERT_EQ(years.periods.size(), 2u);
    EXPECT_EQ(years.periods[0].totals.entries, 4);
    EXPECT_EQ(years.periods[1].totals.entries, 1);
    EXPECT_EQ(periodLabel(PeriodKind::Year, years.periods[1].totals.firstDay), "2002");
    EXPECT_EQ(years.undated + years.notNumbers, 0) << "the totals row and what lies under it are not data";
}

TEST(PeriodSummary, LeapDayZeroVisitorsLeftOutRowsAndUnsortedRepeatedDates) {
    Sheet sheet({{"3/1/2004", "4", 40, 0, 0, 0},
                 {"2/29/2004", "3", 30, 1, 5, 0},  // a week of zero visitors
                 {"13/31/2001", "9", 90, 0, 0, 9},  // no such date: stays text
                 {"2/29/2004", "1", 10, 0, 0, 0},  // repeated date
                 {"3/2/2005", "abc", 10, 0, 0, 5},  // orders not a number
                 {"3/3/2003", "2", 20, 0, 0, 4}});
    const TradeDays days = sheet.days();
    EXPECT_EQ(days.undated, 1);
    EXPECT_EQ(days.notNumbers, 1);
    const PeriodSummary months = summarise(days, PeriodKind::Month);
    ASSERT_EQ(months.periods.size(), 3u);
    EXPECT_EQ(periodLabel(PeriodKind::Month, months.periods[0].totals.firstDay), "2003-03");
    EXPECT_EQ(periodLabel(PeriodKind::Month, months.periods[1].totals.firstDay), "2004-02");
    EXPECT_EQ(months.periods[1].totals.entries, 2);
    EXPECT_EQ(months.periods[1].totals.netValue, 35);
    EXPECT_FALSE(months.periods[1].totals.netValuePerVisitor()) << "a ratio over no visitors is empty";
    // March 2004 against March 2003: orders 2 -> 4 is +100 %; visitors 4 -> 0 is -100 %.
    ASSERT_TRUE(months.periods[2].sinceYearBefore);
    EXPECT_DOUBLE_EQ(*months.periods[2].sinceYearBefore->orders, 100);
    EXPECT_DOUBLE_EQ(*months.periods[2].sinceYearBefore->visitors, -100);
    // February 2004 is the month before March 2004, and its net value 35 -> 40.
    EXPECT_NEAR(*months.periods[2].sincePrevious->netValue, 100.0 * 5 / 35, 1e-9);
    const PeriodSummary weeks = summarise(days, PeriodKind::Week);
    EXPECT_EQ(periodLabel(PeriodKind::Week, weeks.periods[1].totals.firstDay), "2004-02-23");
    EXPECT_EQ(periodLabel(PeriodKind::Week, weeks.periods[2].totals.firstDay), "2004-03-01");

    const std::string table = summaryTable(months);
    EXPECT_NE(table.find("\n2004-02\t2\t4\t40\t1\t5\t35\t3\t0\t\t\n"), std::string::npos) << table;
    EXPECT_NE(table.find("\nundated\t1\t\t\t\t\t\t\t\t\t\nnot numbers\t1\t\t\t\t\t\t\t\t\t\n"), std::string::npos)
        << table;
}

TEST(DaySeries, RepeatedDatesSumAndMeansCoverCalendarDays) {
    Sheet sheet({{"1/1/2001", "10", 100, 0, 0, 10},
                 {"1/1/2001", "10", 100, 0, 0, 30},
                 {"1/5/2001", "4", 40, 0, 0, 10},
                 {"1/9/2001", "6", 60, 0, 0, 0}});
    const std::vector<DayFigures> daily = dailyTotals(sheet.days());
    ASSERT_EQ(daily.size(), 3u);
    const auto orders = daySeries(daily, SeriesKind::Orders, INT32_MIN / 2, INT32_MAX / 2);
    EXPECT_EQ(orders[0].value, 20);
    EXPECT_EQ(orders[1].mean7, 12);  // 1 and 5 January
    EXPECT_EQ(orders[2].mean7, 5);  // 5 and 9 January: 1 January is 8 days before
    EXPECT_EQ(orders[2].mean30, 10);
    const auto perVisitor = daySeries(daily, SeriesKind::NetOrdersPerVisitor, day(2001, 1, 9), day(2001, 1, 9));
    ASSERT_EQ(perVisitor.size(), 1u);
    EXPECT_FALSE(perVisitor[0].hasValue) << "no visitors that day";
    EXPECT_DOUBLE_EQ(perVisitor[0].mean7, 10.0 / 10);  // a ratio of the window's sums
    EXPECT_DOUBLE_EQ(perVisitor[0].mean30, 30.0 / 50);
}

// --- tallomer-cli summary on files other programs write -------------------------------------

std::string runCapture(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    std::array<char, 4096> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe)) out += buffer.data();
    const int s = pclose(pipe);
    *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return out;
}

TEST(CliSummary, ReadsWorkbooksThatXlwtAndLibreOfficeWrite) {
    const fs::path dir = fs::temp_directory_path() / ("tallomer-summary-" + std::to_string(::getpid()));
    fs::create_directories(dir / "lo");
    std::ofstream(dir / "make.py") << R"PY(
import sys, xlwt
book = xlwt.Workbook()
s = book.add_sheet('Sheet1')
date = xlwt.easyxf(num_format_str='m/d/yy')
s.write(0, 0, 'Entries'); s.write(0, 1, 3)
for i, (serial, b, c, d, e, h) in enumerate([(36922, 10, 250, 2, 50, 100), (36923, 20, 500, 0, 0, 100),
                                              (36951, 1, 10, 0, 0, 0)]):
    r = i + 2; n = str(r + 1)
    s.write(r, 0, serial, date)
    for col, v in ((1, b), (2, c), (3, d), (4, e), (7, h)): s.write(r, col, v)
    s.write(r, 5, xlwt.Formula('C%s-E%s' % (n, n))); s.write(r, 6, xlwt.Formula('B%s-D%s' % (n, n)))
s.write(5, 0, 'Total')
book.save(sys.argv[1])
)PY";
    const std::string xlwtFile = (dir / "xlwt.xls").string();
    int status = -1;
    runCapture("/usr/bin/python3 " + (dir / "make.py").string() + " " + xlwtFile + " 2>&1", &status);
    ASSERT_EQ(status, 0) << "xlwt (python3-xlwt) is needed for this test";
    runCapture("cd " + dir.string() + " && HOME=" + dir.string() + " soffice -env:UserInstallation=file://" +
                   dir.string() + "/profile --headless --convert-to xls:\"MS Excel 97\" --outdir lo " + xlwtFile +
                   " >/dev/null 2>&1",
               &status);
    ASSERT_EQ(status, 0) << "LibreOffice (soffice) is needed for this test";
    const std::string cli = TALLOMER_BINARY_DIR "/tools/tallomer-cli";
    const std::string expected =
        "period\tentries\torders\torder_value\trefunds\trefund_value\tnet_value\tnet_orders\tvisitors"
        "\tnet_orders_per_visitor\tnet_value_per_visitor\n"
        "2001-01\t1\t10\t250\t2\t50\t200\t8\t100\t0.08\t2\n"
        "2001-02\t1\t20\t500\t0\t0\t500\t20\t100\t0.2\t5\n"
        "2001-03\t1\t1\t10\t0\t0\t10\t1\t0\t\t\n";
    for (const std::string& file : {xlwtFile, (dir / "lo" / "xlwt.xls").string()}) {
        EXPECT_EQ(runCapture(cli + " summary " + file, &status), expected) << file;
        EXPECT_EQ(status, 0);
    }
    const std::string years = runCapture(cli + " summary " + xlwtFile + " --by year", &status);
    EXPECT_NE(years.find("\n2001\t3\t31\t760\t2\t50\t710\t29\t200\t0.145\t3.55\n"), std::string::npos) << years;
    runCapture(cli + " summary " + (dir / "missing.xls").string() + " 2>/dev/null", &status);
    EXPECT_EQ(status, 2);
    runCapture(cli + " summary " + xlwtFile + " --by decade 2>/dev/null", &status);
    EXPECT_EQ(status, 1);
    fs::remove_all(dir);
}

}  // namespace
