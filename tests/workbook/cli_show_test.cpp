// tallomer-cli show, run as a process on workbooks that xlwt writes (an independent .xls
// writer), so the reader, the formulas and the results display meet as in real use.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {
namespace fs = std::filesystem;

struct ProcessResult {
    int status = -1;
    std::string out;
};

ProcessResult run(const std::string& command) {
    ProcessResult result;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe)) result.out += buffer.data();
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

class CliShow : public ::testing::Test {
protected:
    void SetUp() override {
        if (run("/usr/bin/python3 -c 'import xlwt'").status != 0) GTEST_SKIP() << "xlwt is not installed";
        dir = fs::temp_directory_path() / ("tallomer-cli-show-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        if (!dir.empty()) fs::remove_all(dir);
    }
    // Writes a statistics sheet with xlwt: B1 = count, data rows from `rows` (python list of
    // (date serial, B, C, D, E, H)), and the totals row under them.
    std::string workbook(const std::string& name, const std::string& count, const std::string& rows) {
        const fs::path script = dir / "make.py";
        const fs::path file = dir / name;
        std::ofstream(script) << R"PY(
import sys, xlwt
book = xlwt.Workbook()
sheet = book.add_sheet('Sheet1')
date = xlwt.easyxf(num_format_str='m/d/yy')
sheet.write(0, 0, 'Entries')
sheet.write(0, 1, )PY" << count
                              << R"PY()
rows = )PY" << rows << R"PY(
for i, (a, b, c, d, e, h) in enumerate(rows):
    r = i + 2; n = str(r + 1)
    sheet.write(r, 0, a, date)
    for col, v in ((1, b), (2, c), (3, d), (4, e), (7, h)):
        sheet.write(r, col, v)
    sheet.write(r, 5, xlwt.Formula('C%s-E%s' % (n, n)))
    sheet.write(r, 6, xlwt.Formula('B%s-D%s' % (n, n)))
    sheet.write(r, 8, xlwt.Formula('F%s/H%s' % (n, n)))
    sheet.write(r, 9, xlwt.Formula('G%s/H%s' % (n, n)))
    sheet.write(r, 10, xlwt.Formula('I%s' % n))
if rows:
    t = len(rows) + 2; last = str(t)
    sheet.write(t, 0, 'Total')
    for col in 'BCDEFGHIJ':
        sheet.write(t, ord(col) - 65, xlwt.Formula('SUM(%s3:%s%s)' % (col, col, last)))
    sheet.write(t, 10, xlwt.Formula('AVERAGE(K3:K%s)' % last))
book.save(sys.argv[1])
)PY";
        EXPECT_EQ(run("/usr/bin/python3 " + script.string() + " " + file.string()).status, 0);
        return file.string();
    }
    std::string show(const std::string& file) {
        return std::string(TALLOMER_BINARY_DIR) + "/tools/tallomer-cli show '" + file + "'";
    }

    fs::path dir;
};
}  // namespace

TEST_F(CliShow, TwoDaysPrintEveryDisplayBoxInScreenOrder) {
    const auto file = workbook("two.xls", "2", "[(36923, 10, 250, 2, 50, 100), (36924, 20, 500, 0, 0, 100)]");
    const ProcessResult result = run(show(file));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "Text7\tDate (dd/mm/yyyy):\t2/2/2001\n"
              "Text8\tNumber of Orders:\t20\n"
              "Text9\tValue of Orders ($):\t500\n"
              "Text10\tNumber of Refunds:\t0\n"
              "Text11\tValue of Refunds ($):\t0\n"
              "Text12\tNo. of Unique Visitors:\t100\n"
              "Text14\tNet Number of Orders:\t20\n"
              "Text13\tNet Value of Orders ($):\t500\n"
              "Text16\tNet Number of Orders / UV:\t0.2\n"
              "Text15\tNet Value of Orders / UV:\t5\n"
              "Text17\tNumber of Orders:\t30\n"
              "Text18\tValue of Orders ($):\t750\n"
              "Text19\tNumber of Refunds:\t2\n"
              "Text20\tValue of Refunds ($):\t50\n"
              "Text23\tNo. of Unique Visitors:\t200\n"
              "Text22\tNet No. of Orders:\t28\n"
              "Text21\tNet Value of Orders ($):\t700\n"
              "Text25\tNo. of Orders / UV:\t0.28\n"
              "Text24\tValue of Orders ($) / UV:\t7\n"
              "Text26\tAverage Order ($) / UV:\t3.5\n");
}

TEST_F(CliShow, NoEntriesSaysSo) {
    const ProcessResult result = run(show(workbook("empty.xls", "0", "[]")));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "File does not contain any records.\n");
}

TEST_F(CliShow, UnreadableOrUnshowableFileIsExitTwo) {
    const fs::path junk = dir / "junk.xls";
    std::ofstream(junk) << "not a workbook";
    EXPECT_EQ(run(show(junk.string())).status, 2);
    EXPECT_EQ(run(show((dir / "missing.xls").string())).status, 2);
    const ProcessResult text = run(show(workbook("text.xls", "'many'", "[]")));
    EXPECT_EQ(text.status, 2);
    EXPECT_EQ(text.out, "");
    const ProcessResult zero = run(show(workbook("zero.xls", "1", "[(36923, 10, 250, 2, 50, 0)]")));
    EXPECT_EQ(zero.status, 2);
}
