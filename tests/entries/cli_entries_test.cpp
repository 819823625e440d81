// tallomer-cli add, import and export as whole processes, on CSV files that Python's csv
// module and LibreOffice write at test time, with the results read back by xlrd.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {
namespace fs = std::filesystem;

struct Ran {
    int status = -1;
    std::string out, err;
};

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class CliEntries : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tallomer-entries-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        ASSERT_EQ(sh("/usr/bin/python3 -c 'import xlrd, csv'").status, 0) << "xlrd is needed";
    }
    void TearDown() override { fs::remove_all(dir); }

    Ran sh(const std::string& command) {
        Ran run;
        const fs::path err = dir / "stderr.txt";
        FILE* pipe = popen((command + " 2>" + quote(err.string())).c_str(), "r");
        if (!pipe) return run;
        std::array<char, 4096> buffer{};
        while (std::fgets(buffer.data(), buffer.size(), pipe)) run.out += buffer.data();
        const int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.err = slurp(err);
        return run;
    }
    Ran cli(const std::string& args) { return sh(std::string(TALLOMER_BINARY_DIR) + "/tools/tallomer-cli " + args); }
    std::string path(const std::string& name) { return (dir / name).string(); }

    // Writes rows with Python's csv module; `rows` is a Python list of lists.
    std::string pythonCsv(const std::string& name, const std::string& rows, const std::string& dialect = "excel") {
        const std::string file = path(name);
        std::ofstream(dir / "write.py") << "import csv, sys\n"
                                           "with open(sys.argv[1], 'w', newline='', encoding='utf-8-sig') as f:\n"
                                           "    csv.writer(f, dialect='"
                                        << dialect << "').writerows(" << rows << ")\n";
        EXPECT_EQ(sh("/usr/bin/python3 " + path("write.py") + " " + quote(file)).status, 0);
        return file;
    }
    // Column A (as yyyy-mm-dd) and B to K of the data rows, and B1, as xlrd reads them.
    std::string xlrdRows(const std::string& file) {
        std::ofstream(dir / "read.py") << R"PY(
import sys, xlrd
book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
s = book.sheet_by_index(0)
print('B1', s.cell_value(0, 1))
for r in range(2, 2 + int(s.cell_value(0, 1))):
    a = xlrd.xldate_as_tuple(s.cell_value(r, 0), book.datemode)
    print('%04d-%02d-%02d' % a[:3], ' '.join(repr(s.cell_value(r, c)) for c in range(1, 11)))
print(' '.join(str(s.cell_value(2 + int(s.cell_value(0, 1)), c)) for c in range(0, 11)))
)PY";
        const Ran run = sh("/usr/bin/python3 " + path("read.py") + " " + quote(file));
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    }

    fs::path dir;
};
}  // namespace

TEST_F(CliEntries, AddRefusesNamingTheFieldAndLeavesTheFileByteForByte) {
    const std::string book = path("stats.xls");
    Ran run = cli("add --new " + book + " 01/02/2001 10 250 2 50 100");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Text7\tDate (dd/mm/yyyy):\t01/02/2001\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Text16\tNet Number of Orders / UV:\t0.08\n"), std::string::npos) << run.out;
    const std::string before = slurp(book);

    const std::pair<const char*, const char*> refused[] = {
        {"02/02/2001 10 250 2 50 abc", "tallomer-cli: visitors: not a number\n"},
        {"02/02/2001 10 2x50 2 50 100", "tallomer-cli: order_value: not a number\n"},
        {"'' 10 250 2 50 100", "tallomer-cli: date: not a date as day/month/year in figures\n"},
        {"12/31 10 250 2 50 100", "tallomer-cli: date: not a date as day/month/year in figures\n"},
        {"02/02/2001 10 250 2 50 0", "tallomer-cli: visitors: 0, the figures per visitor divide by it\n"},
    };
    for (const auto& [args, message] : refused) {
        run = cli("add " + book + " " + args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(run.err, message) << args;
        EXPECT_TRUE(run.out.empty()) << args;
        EXPECT_EQ(slurp(book), before) << args;
    }
    EXPECT_EQ(cli("add " + path("absent.xls") + " 02/02/2001 10 250 2 50 100").status, 2);
    EXPECT_FALSE(fs::exists(path("absent.xls")));
    EXPECT_EQ(cli("add " + book + " 02/02/2001 10 250").status, 1);

    // Not a statistics workbook: an xlwt sheet whose B1 holds text, one whose rows are short.
    std::ofstream(dir / "other.py") << R"PY(
import sys, xlwt
for name, b1 in (('text.xls', 'many'), ('short.xls', 2)):
    book = xlwt.Workbook(); s = book.add_sheet('Sheet1')
    s.write(0, 0, 'Entries'); s.write(0, 1, b1); s.write(2, 0, 'x')
    book.save(sys.argv[1] + '/' + name)
)PY";
    ASSERT_EQ(sh("/usr/bin/python3 " + path("other.py") + " " + quote(dir.string())).status, 0);
    for (const char* name : {"text.xls", "short.xls"}) {
        const std::string other = slurp(path(name));
        run = cli(std::string("add ") + path(name) + " 02/02/2001 10 250 2 50 100");
        EXPECT_EQ(run.status, 2) << name;
        EXPECT_NE(run.err.find("is not a statistics workbook"), std::string::npos) << run.err;
        EXPECT_EQ(slurp(path(name)), other) << name;
    }
}

TEST_F(CliEntries, ImportOfPythonCsvWithEveryKindOfBadRow) {
    const std::string book = path("stats.xls");
    ASSERT_EQ(cli("add --new " + book + " 31/12/2023 1 1 0 0 1").status, 0);
    const std::string csv = pythonCsv("shop.csv", R"([
        ['Day', 'Orders', 'Total Sales', 'Returns', 'Returns value', 'Unique visitors'],
        ['2024-01-01', '12', '$1,234.50', '1', ' 10 ', '300'],
        ['02/01/2024', '8', '99.5', '0', '0', '250'],
        ['2024-01-01', '3', '4', '0', '0', '5'],
        ['2023-12-31', '3', '4', '0', '0', '5'],
        ['2024-01-04', 'three', '4', '0', '0', '5'],
        ['2024-01-05', '3', '4,5', '0', '0', '5'],
        ['2024-13-01', '3', '4', '0', '0', '5'],
        ['2024-01-07', '3', '4', '0', '0', '0'],
        ['2024-01-08', '3', '', '0', '0', '5'],
        ['2024-01-09', '3'],
        ['yesterday', '3', '4', '0', '0', '5'],
        ['2024-01-11', '3', '4', '0', '0', 'a\r\nb'],
    ])");
    const std::string before = slurp(book);
    Ran run = cli("import " + book + " " + csv);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "tallomer-cli: line 4: date: 01/01/2024 repeats line 2\n"
              "tallomer-cli: line 5: date: 31/12/2023 is already in the sheet\n"
              "tallomer-cli: line 6: orders: not a number (\"three\")\n"
              "tallomer-cli: line 7: order_value: not a number (\"4,5\")\n"
              "tallomer-cli: line 8: date: no such day (\"2024-13-01\")\n"
              "tallomer-cli: line 9: visitors: 0, the figures per visitor divide by it (\"0\")\n"
              "tallomer-cli: line 10: order_value: empty\n"
              "tallomer-cli: line 11: order_value: missing, the line has 2 fields\n"
              "tallomer-cli: line 12: date: not a date (yyyy-mm-dd or dd/mm/yyyy) (\"yesterday\")\n"
              "tallomer-cli: line 13: visitors: not a number (\"a\\r\\nb\")\n"
              "tallomer-cli: 10 bad rows in " +
                  csv + "; nothing imported\n");
    EXPECT_EQ(slurp(book), before);

    run = cli("import --skip-bad " + book + " " + csv);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "imported 2 entries, skipped 10 bad rows\n");
    EXPECT_EQ(
        xlrdRows(book),
        "B1 3.0\n"
        "2023-12-31 1.0 1.0 0.0 0.0 1.0 1.0 1.0 1.0 1.0 1.0\n"
        "2024-01-01 12.0 1234.5 1.0 10.0 1224.5 11.0 300.0 4.081666666666667 0.03666666666666667 4.081666666666667\n"
        "2024-01-02 8.0 99.5 0.0 0.0 99.5 8.0 250.0 0.398 0.032 0.398\n"
        "Total 21.0 1335.0 1.0 10.0 1325.0 20.0 551.0 5.479666666666667 1.0686666666666667 1.8265555555555555\n");

    // Repeats of what is now in the sheet are let in only when asked for.
    const std::string again = pythonCsv("again.csv", R"([['date','orders','sales','refunds','refunded','sessions'],
        ['2024-01-02', '1', '2', '0', '0', '4']])");
    EXPECT_EQ(cli("import " + book + " " + again).status, 2);
    EXPECT_EQ(cli("import --allow-repeats " + book + " " + again).status, 0);
}

TEST_F(CliEntries, ImportListsTwentyBadRowsAndACountAndRefusesUnreadableInput) {
    std::string rows = "[['date','orders','order value','refunds','refund value','visitors']";
    for (int i = 0; i < 25; ++i) rows += ",['2024-01-01','x','1','0','0','1']";
    const std::string csv = pythonCsv("bad.csv", rows + "]");
    Ran run = cli("import --new " + path("new.xls") + " " + csv);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("line 21: orders"), std::string::npos);
    EXPECT_EQ(run.err.find("line 22: orders"), std::string::npos);
    EXPECT_NE(run.err.find("... and 5 more\n"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(path("new.xls")));

    const std::string missing = pythonCsv("missing.csv", "[['Date','Orders','Sales'],['2024-01-01','1','2']]");
    run = cli("import --new " + path("new.xls") + " " + missing);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("the headers found are \"Date\", \"Orders\", \"Sales\""), std::string::npos) << run.err;

    std::ofstream(dir / "open.csv") << "date,orders\n\"2024-01-01,1\n";
    run = cli("import --new " + path("new.xls") + " " + path("open.csv"));
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("line 2: a quoted field has no closing quote"), std::string::npos) << run.err;
    EXPECT_EQ(cli("import --new " + path("new.xls") + " " + path("nowhere.csv")).status, 2);
    EXPECT_EQ(cli("import --dates ydm " + path("new.xls") + " " + missing).status, 2);
    EXPECT_FALSE(fs::exists(path("new.xls")));
}

TEST_F(CliEntries, ImportOfWhatLibreOfficeWritesWithCurrencyAndDayFirstDates) {
    // A sheet with currency figures and dd/mm/yyyy dates, saved by LibreOffice as CSV with
    // semicolons, as shown.
    std::ofstream(dir / "make.py") << R"PY(
import sys, xlwt
book = xlwt.Workbook(); s = book.add_sheet('Shop')
money = xlwt.easyxf(num_format_str='"$"#,##0.00'); day = xlwt.easyxf(num_format_str='DD/MM/YYYY')
for c, h in enumerate(['Day', 'Orders', 'Gross sales', 'Returns', 'Returns value', 'Sessions']): s.write(0, c, h)
for r, (d, o, v, n, rv, vis) in enumerate([(45292, 3, 1234.5, 1, 12.25, 40), (45293, 5, 20, 0, 0, 50)]):
    s.write(r + 1, 0, d, day); s.write(r + 1, 1, o); s.write(r + 1, 2, v, money)
    s.write(r + 1, 3, n); s.write(r + 1, 4, rv, money); s.write(r + 1, 5, vis)
book.save(sys.argv[1])
)PY";
    ASSERT_EQ(sh("/usr/bin/python3 " + path("make.py") + " " + path("shop.xls")).status, 0);
    const Ran office = sh("cd " + quote(dir.string()) + " && HOME=" + quote(dir.string()) +
                          " soffice --headless -env:UserInstallation=file://" + dir.string() +
                          "/profile --convert-to 'csv:Text - txt - csv (StarCalc):59,34,76,1' shop.xls >/dev/null");
    ASSERT_EQ(office.status, 0) << "LibreOffice (soffice) is needed: " << office.err;
    const std::string written = slurp(dir / "shop.csv");
    ASSERT_NE(written.find("$1,234.50"), std::string::npos) << written;
    ASSERT_NE(written.find("01/01/2024"), std::string::npos) << written;

    const std::string book = path("stats.xls");
    const Ran run = cli("import --new " + book + " " + path("shop.csv"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(
        xlrdRows(book),
        "B1 2.0\n"
        "2024-01-01 3.0 1234.5 1.0 12.25 1222.25 2.0 40.0 30.55625 0.05 30.55625\n"
        "2024-01-02 5.0 20.0 0.0 0.0 20.0 5.0 50.0 0.4 0.1 0.4\n"
        "Total 8.0 1254.5 1.0 12.25 1242.25 7.0 90.0 30.956249999999997 0.15000000000000002 15.478124999999999\n");
}

TEST_F(CliEntries, ExportThenImportIntoANewWorkbookGivesTheSameEntries) {
    const std::string book = path("stats.xls");
    ASSERT_EQ(cli("add --new " + book + " 01/02/2001 10 250 2 50 100").status, 0);
    ASSERT_EQ(cli("add " + book + " 2/2/2001 1,000 10.50 0 0 3").status, 0);
    ASSERT_EQ(cli("add " + book + " 03/02/2001 -1 0.1 0 1e2 7").status, 0);
    const Ran exported = cli("export " + book + " " + path("out.csv"));
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::string csv = slurp(dir / "out.csv");
    EXPECT_EQ(csv,
              "DATE,# of Orders,$ of Orders,# of Refunds,$ of Refunds,$Orders - $Refunds,"
              "# Orders - # Refunds,Number of Unique Visitors,Total $ Dollars / Unique Visitors,"
              "Total # Orders / Unique Visitors,Average = $ / Unique Visitors\r\n"
              "2001-02-01,10,250,2,50,200,8,100,2,0.08,2\r\n"
              "2001-02-02,1000,10.5,0,0,10.5,1000,3,3.5,333.333333333333,3.5\r\n"
              "2001-02-03,-1,0.1,0,100,-99.9,-1,7,-14.2714285714286,-0.142857142857143,-14.2714285714286\r\n");

    const std::string copy = path("copy.xls");
    const Ran imported = cli("import --new " + copy + " " + path("out.csv"));
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out, "imported 3 entries\n");
    EXPECT_EQ(xlrdRows(copy), xlrdRows(book));
    EXPECT_EQ(cli("export " + copy + " -").out, csv);

    // The workbook itself is never the target, and an unreadable workbook writes nothing.
    EXPECT_EQ(cli("export " + book + " " + book).status, 2);
    EXPECT_EQ(cli("export " + path("out.csv") + " " + path("x.csv")).status, 2);
    EXPECT_FALSE(fs::exists(path("x.csv")));
}
