// Round trip through .xlsx of the sample workbooks in ../shared/samples (written by Excel,
// LibreOffice, Gnumeric and xlwt), each converted to .xlsx by LibreOffice here: opened, saved
// as .xlsx, and read back by us and by openpyxl, every value the same as the opened workbook
// held. Skips, saying so, when the samples folder is absent (a fresh clone has none).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/host_error.h"
#include "host/workbook_files.h"
#include "xlsx_test_support.h"

namespace fs = std::filesystem;
using namespace xlsx_test;

namespace {

// Every value openpyxl reads from each file named, a line a cell: file, sheet index, cell,
// kind (n, s, b, e; d a date or time) and the value, dates as serial numbers of the file's own
// date system.
constexpr const char* kOpenpyxlCells = R"PY(
import sys, datetime, openpyxl
from openpyxl.utils.datetime import to_excel
def esc(s):
    return s.replace('\\', '\\\\').replace('\t', '\\t').replace('\n', '\\n').replace('\r', '\\r')
for path in sys.argv[1:]:
    wb = openpyxl.load_workbook(path, data_only=True)
    for i, ws in enumerate(wb.worksheets):
        for row in ws.iter_rows():
            for c in row:
                v = c.value
                if v is None:
                    continue
                if c.data_type == 'e':
                    kind, text = 'e', str(v)
                elif isinstance(v, bool):
                    kind, text = 'b', str(int(v))
                elif isinstance(v, datetime.timedelta):
                    kind, text = 'd', repr(v.total_seconds() / 86400)
                elif isinstance(v, (datetime.datetime, datetime.date, datetime.time)):
                    kind, text = 'd', repr(float(to_excel(v, wb.epoch)))
                elif isinstance(v, (int, float)):
                    kind, text = 'n', repr(float(v))
                else:
                    kind, text = 's', esc(str(v))
                print('\t'.join([path, str(i), c.coordinate, kind, text]))
)PY";

struct SeenCell {
    char kind;
    std::string text;
};
using SeenCells = std::map<std::string, std::map<std::string, SeenCell>>;  // file -> "sheet!A1" -> cell

SeenCells parseSeen(const std::string& out) {
    SeenCells seen;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> f;
        std::size_t from = 0;
        for (int i = 0; i < 4; ++i) {
            const std::size_t tab = line.find('\t', from);
            if (tab == std::string::npos) break;
            f.push_back(line.substr(from, tab - from));
            from = tab + 1;
        }
        if (f.size() != 4 || f[3].size() != 1) continue;
        std::string text;
        for (std::size_t i = from; i < line.size(); ++i) {
            if (line[i] != '\\' || i + 1 == line.size()) {
                text += line[i];
                continue;
            }
            const char c = line[++i];
            text += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        }
        seen[f[0]][f[1] + "!" + f[2]] = {f[3][0], text};
    }
    return seen;
}

// The numbers libxlsxwriter writes carry 16 significant digits: a result that needs the
// 17th comes back a unit of the last place away.
bool closeEnough(double a, double b) {
    return a == b || std::fabs(a - b) <= 1e-15 * std::max(std::fabs(a), std::fabs(b));
}

// openpyxl turns a date into a date and time to the microsecond and has no 29 February 1900,
// so the serials it gives back are that close, and a day short before 1 March 1900.
bool sameDay(double theirs, double ours) {
    if (std::fabs(theirs - ours) < 1e-8) return true;
    return ours < 61 && std::fabs(theirs + 1 - ours) < 1e-8;
}

// libxlsxwriter stores a formula's result as a number or a text: a TRUE or FALSE result is
// stored as 1 or 0, an error as its text. Readers that compute (Excel, LibreOffice, ours for
// the formulas the engine knows) give the kind back, and ours takes the text of an error back
// as the error; a reader of stored results sees these.
host::Value storedResult(const host::Value& v) {
    if (v.kind == host::Value::Kind::Boolean) return host::Value::fromNumber(v.boolean ? 1 : 0);
    if (v.kind == host::Value::Kind::Error) return host::Value::fromText(std::string(host::errorText(v.error)));
    return v;
}

void expectSameWorkbooks(const host::Workbook& opened, const host::Workbook& back) {
    ASSERT_EQ(back.sheetCount(), opened.sheetCount());
    for (int s = 0; s < opened.sheetCount(); ++s) {
        const host::Worksheet& a = opened.sheet(s);
        const host::Worksheet& b = back.sheet(s);
        EXPECT_EQ(b.name(), a.name());
        int cells = 0;
        a.forEachCell([&](const host::CellView& c) {
            ++cells;
            const std::string at = a.name() + "!" + host::formatAddress(c.at, false);
            const host::CellValue mine = a.read(c.at);
            const host::CellValue theirs = b.read(c.at);
            // A 1904 workbook is written in the 1900 date system: its dates move by 1,462 days.
            const double shift = opened.date1904 && !back.date1904 && mine.isDate ? 1462 : 0;
            if (c.value.kind == host::Value::Kind::Number && theirs.value.kind == host::Value::Kind::Number) {
                EXPECT_TRUE(closeEnough(theirs.value.number, c.value.number + shift))
                    << at << ": " << theirs.value.number << " for " << c.value.number;
            } else if (c.kind == host::CellView::Kind::Formula && c.value.kind == host::Value::Kind::Boolean &&
                       theirs.value != c.value) {
                EXPECT_EQ(theirs.value, storedResult(c.value)) << at;
            } else if (!(c.value.kind == host::Value::Kind::Text && c.value.text.empty() &&
                         theirs.value.kind == host::Value::Kind::Empty)) {
                EXPECT_EQ(theirs.value, c.value) << at;
            }
            EXPECT_EQ(b.formulaText(c.at), a.formulaText(c.at)) << at;
            EXPECT_EQ(b.style(c.at), a.style(c.at)) << at;
        });
        int backCells = 0;
        b.forEachCell([&](const host::CellView&) { ++backCells; });
        EXPECT_EQ(backCells, cells) << a.name();
    }
}

void expectOpenpyxlSees(const host::Workbook& opened, const std::map<std::string, SeenCell>& seen) {
    std::size_t valued = 0;
    for (int s = 0; s < opened.sheetCount(); ++s) {
        const host::Worksheet& ws = opened.sheet(s);
        ws.forEachCell([&](const host::CellView& c) {
            if (c.value.kind == host::Value::Kind::Empty ||
                (c.value.kind == host::Value::Kind::Text && c.value.text.empty()))
                return;
            ++valued;
            const std::string key = std::to_string(s) + "!" + host::formatAddress(c.at, false);
            const auto found = seen.find(key);
            if (found == seen.end()) {
                ADD_FAILURE() << key << ": openpyxl reads nothing";
                return;
            }
            const SeenCell& cell = found->second;
            const host::Value& v = c.kind == host::CellView::Kind::Formula ? storedResult(c.value) : c.value;
            switch (v.kind) {
                case host::Value::Kind::Number: {
                    const bool date = ws.read(c.at).isDate;
                    const double ours = v.number + (opened.date1904 && date ? 1462 : 0);
                    const double theirs = std::strtod(cell.text.c_str(), nullptr);
                    if (cell.kind == 'd') {
                        EXPECT_TRUE(sameDay(theirs, ours)) << key << ": " << cell.text << " for " << ours;
                    } else {
                        EXPECT_EQ(cell.kind, 'n') << key;
                        EXPECT_TRUE(closeEnough(theirs, ours)) << key << ": " << cell.text << " for " << ours;
                    }
                    break;
                }
                case host::Value::Kind::Text:
                    EXPECT_EQ(cell.kind, 's') << key;
                    EXPECT_EQ(cell.text, v.text) << key;
                    break;
                case host::Value::Kind::Boolean:
                    EXPECT_EQ(cell.kind, 'b') << key;
                    EXPECT_EQ(cell.text, v.boolean ? "1" : "0") << key;
                    break;
                case host::Value::Kind::Error:
                    EXPECT_EQ(cell.kind, 'e') << key;
                    EXPECT_EQ(cell.text, host::errorText(v.error)) << key;
                    break;
                case host::Value::Kind::Empty: break;
            }
        });
    }
    EXPECT_EQ(seen.size(), valued) << "openpyxl reads cells the workbook did not have";
}

std::vector<fs::path> samples() {
    std::vector<fs::path> files;
    for (const char* group : {"real", "stats"}) {
        const fs::path folder = fs::path(TALLOMER_SAMPLES_DIR) / group;
        if (!fs::is_directory(folder)) continue;
        for (const auto& e : fs::directory_iterator(folder))
            if (e.path().extension() == ".xls") files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

TEST(XlsxSamplesRoundTrip, EverySampleConvertedByLibreOfficeKeepsEveryValueSavedAsXlsx) {
    const std::vector<fs::path> files = samples();
    if (files.empty()) GTEST_SKIP() << "no samples folder at " << TALLOMER_SAMPLES_DIR;
    Folder f;
    std::string names;
    for (const auto& file : files) names += " " + quote(file.string());
    std::string out;
    // One LibreOffice run converts them all.
    ASSERT_EQ(run("soffice --headless -env:UserInstallation=file://" + f.path + "/lo --convert-to xlsx --outdir " +
                      quote(f.file("converted")) + names,
                  &out),
              0)
        << out;
    fs::create_directory(f.file("saved"));
    std::vector<std::pair<std::string, std::unique_ptr<host::Workbook>>> opened;
    std::string saved;
    for (const auto& file : files) {
        const std::string name = file.stem().string() + ".xlsx";
        const std::string converted = f.file("converted/" + name);
        SCOPED_TRACE(name);
        ASSERT_TRUE(fs::exists(converted)) << "LibreOffice did not convert " << file << ": " << out;
        auto wb = host::loadWorkbookFile(converted);
        const std::string copy = f.file("saved/" + name);
        host::saveWorkbookFile(*wb, copy);
        expectSameWorkbooks(*wb, *host::loadWorkbookFile(copy));
        saved += " " + quote(copy);
        opened.emplace_back(copy, std::move(wb));
    }
    const SeenCells seen = parseSeen(python(kOpenpyxlCells, saved));
    for (const auto& [copy, wb] : opened) {
        SCOPED_TRACE(copy);
        const auto cells = seen.find(copy);
        ASSERT_NE(cells, seen.end()) << "openpyxl read nothing of it";
        expectOpenpyxlSees(*wb, cells->second);
    }
}

TEST(XlsxSamplesRoundTrip, A1904WorkbookSavedAsXlsxShowsEveryDateOnItsOwnDay) {
    // Constants and formula results alike: a reader that takes the stored results (openpyxl,
    // ssconvert) shows the same days as the workbook did.
    Folder f;
    const std::string book = f.file("mac.xlsx");
    python(R"PY(
import sys, datetime, openpyxl
from openpyxl.utils.datetime import CALENDAR_MAC_1904
wb = openpyxl.Workbook()
wb.epoch = CALENDAR_MAC_1904
ws = wb.active
ws['A1'] = datetime.date(2017, 2, 27); ws['A1'].number_format = 'm/d/yyyy'
ws['A2'] = '=A1+1'; ws['A2'].number_format = 'm/d/yyyy'
ws['A3'] = '=A2-A1'
wb.save(sys.argv[1])
)PY",
           quote(book));
    auto wb = host::loadWorkbookFile(book);
    ASSERT_TRUE(wb->date1904);
    const std::string copy = f.file("copy.xlsx");
    host::saveWorkbookFile(*wb, copy);
    expectSameWorkbooks(*wb, *host::loadWorkbookFile(copy));
    const std::string seen = python(R"PY(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1], data_only=True).active
print(ws['A1'].value.date(), ws['A2'].value.date(), ws['A3'].value)
)PY",
                                    quote(copy));
    EXPECT_EQ(seen, "2017-02-27 2017-02-28 1\n");
}

TEST(XlsxSamplesRoundTrip, EverySampleSavedAsXlsxOpensInGnumericWithEveryFormulaReadable) {
    // Gnumeric's ssconvert says so for each formula it cannot read, as Excel would repair the
    // file. The one thing .xlsx files we write lack is the workbook's defined names (kept for
    // .xls as the file's own bytes): only a workbook that has them may draw a remark.
    const std::vector<fs::path> files = samples();
    if (files.empty()) GTEST_SKIP() << "no samples folder at " << TALLOMER_SAMPLES_DIR;
    Folder f;
    std::string names;
    for (const auto& file : files) names += " " + quote(file.string());
    const std::string named = python(R"PY(
import sys, xlrd
for path in sys.argv[1:]:
    try:
        if xlrd.open_workbook(path, on_demand=True).name_obj_list: print(path)
    except Exception:
        pass
)PY",
                                     names);
    int saved = 0;
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        std::unique_ptr<host::Workbook> wb;
        try {
            wb = host::loadWorkbookFile(file.string());
        } catch (const host::HostError&) {
            continue;  // the older BIFF versions the program refuses, saying so
        }
        const std::string copy = f.file(file.stem().string() + ".xlsx");
        host::saveWorkbookFile(*wb, copy);
        ++saved;
        std::string out;
        ASSERT_EQ(run("ssconvert -S " + quote(copy) + " " + quote(f.file("sheet-%n.csv")), &out), 0) << out;
        EXPECT_EQ(out.find("<unsupported>"), std::string::npos) << out;
        if (named.find(file.string() + "\n") == std::string::npos) EXPECT_EQ(out, "");
    }
    EXPECT_GT(saved, 20);
}
