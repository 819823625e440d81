// tallomer-cli add against the Submit button of the real window (offscreen): the same days
// typed into the window and given to add must give the same workbook, cell for cell (values,
// formulas, formats), and add must print the LAST RECORD the window shows.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/message_recorder.h"
#include "app/program.h"
#include "host/application.h"
#include "workbook/window_layout.h"

using namespace tallomer;

namespace {
namespace fs = std::filesystem;

struct Output {
    int status = -1;
    std::string out;
};

Output run(const std::string& command) {
    Output result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe)) result.out += buffer.data();
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

const std::string kCli = std::string(TALLOMER_BINARY_DIR) + "/tools/tallomer-cli";

// Every cell of the first sheet as xlrd reads it: type, value, number format, bold and
// alignment; then the column widths.
constexpr const char* kXlrdCells = R"PY(
import sys, xlrd
book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
s = book.sheet_by_index(0)
for r in range(s.nrows):
    for c in range(s.ncols):
        cell = s.cell(r, c)
        xf = book.xf_list[cell.xf_index]
        fmt = book.format_map[xf.format_key].format_str
        print(r, c, cell.ctype, repr(cell.value), fmt, book.font_list[xf.font_index].bold, xf.alignment.hor_align)
for c in range(11):
    print('width', c, s.computed_column_width(c))
)PY";
}  // namespace

TEST(SubmitAndAdd, TheSameDaysGiveTheSameWorkbookCellForCell) {
    const fs::path dir = fs::temp_directory_path() / ("tallomer-submit-add-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string typed = (dir / "typed.xls").string(), added = (dir / "added.xls").string();

    const std::vector<std::vector<QString>> days = {
        {"1/2/2001", "10", "250", "2", "50", "100"},
        {"02/02/2001", "1,000", "10.50", "0", " 0 ", "3"},
        {"03/02/2001", "1", "1", "0", "0", "0"},  // refused: zero visitors
        {"31/13/2001", "-1", "0.5", "1e1", "2", "7"},  // no such day: the host keeps the text
    };
    MessageRecorder messages;
    Program program;
    wireDocumentCommands(program);
    ASSERT_TRUE(program.Form1_Form_Load());
    Form1& form = program.form1();
    std::string lastRecord;
    for (std::size_t day = 0; day < days.size(); ++day) {
        const std::size_t messagesBefore = messages.texts.size();
        for (int n = 1; n <= 6; ++n) {
            form.Text(n)->clear();
            QTest::keyClicks(form.Text(n), days[day][n - 1]);
        }
        QTest::mouseClick(form.Command(1), Qt::LeftButton);
        const bool refused = messages.texts.size() > messagesBefore;
        EXPECT_EQ(refused, day == 2) << day;

        std::string args = (day == 0 ? "add --new '" : "add '") + added + "'";
        for (const QString& text : days[day]) args += " '" + text.toStdString() + "'";
        const Output cli = run(kCli + " " + args + " 2>/dev/null");
        EXPECT_EQ(cli.status, refused ? 2 : 0) << day;
        if (refused) continue;
        lastRecord.clear();
        for (const BoxSpec& box : displayBoxes()) {
            if (box.group != BoxGroup::LastRecord) continue;
            lastRecord += "Text" + std::to_string(box.box) + "\t" + box.label + "\t" +
                          form.Text(box.box)->text().toStdString() + "\n";
        }
        EXPECT_EQ(cli.out, lastRecord) << day;
    }
    program.xlApp()->saveActiveWorkbookAs(typed);

    const Output typedDump = run(kCli + " dump '" + typed + "'");
    EXPECT_EQ(typedDump.status, 0);
    EXPECT_NE(typedDump.out.find("=AVERAGE(K3:K5)"), std::string::npos) << typedDump.out;
    EXPECT_EQ(run(kCli + " dump '" + added + "'").out, typedDump.out);

    const fs::path script = dir / "cells.py";
    FILE* f = std::fopen(script.c_str(), "w");
    std::fputs(kXlrdCells, f);
    std::fclose(f);
    const Output typedCells = run("/usr/bin/python3 '" + script.string() + "' '" + typed + "'");
    ASSERT_EQ(typedCells.status, 0) << "xlrd is needed";
    EXPECT_NE(typedCells.out.find("2 0 3 36923.0"), std::string::npos) << typedCells.out;  // a date in A3
    EXPECT_EQ(run("/usr/bin/python3 '" + script.string() + "' '" + added + "'").out, typedCells.out);
    fs::remove_all(dir);
}
