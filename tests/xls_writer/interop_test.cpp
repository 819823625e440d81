// Workbooks written by the host, built through host::Application as the program builds them,
// read back by xlrd (with formatting), LibreOffice (which recomputes every formula) and
// Gnumeric (which shows the cached results).
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/application.h"
#include "host/formula_code.h"
#include "host/host_error.h"
#include "host/workbook_files.h"
#include "test_clients.h"
#include "too_long_formula.h"
#include "xls/biff_text.h"

namespace fs = std::filesystem;
using namespace writer_test;

namespace {

const char* const kHeaders[] = {"DATE",
                                "# of Orders",
                                "$ of Orders",
                                "# of Refunds",
                                "$ of Refunds",
                                "$Orders - $Refunds",
                                "# Orders - # Refunds",
                                "Number of Unique Visitors",
                                "Total $ Dollars / Unique Visitors",
                                "Total # Orders / Unique Visitors",
                                "Average = $ / Unique Visitors"};

void put(host::Application& app, const std::string& address, const std::string& typed) {
    app.range(address).select();
    app.activeCell().setValue(typed);
}

// The statistics sheet as the program lays it out, with the two days of the worked example.
void buildStatsSheet(host::Application& app) {
    app.addWorkbook();
    app.selectSheet(1);
    app.range("A1:C1").setColumnWidth(15);
    app.range("D1:E1").setColumnWidth(18);
    app.range("F1:G1").setColumnWidth(24);
    app.range("H1").setColumnWidth(30);
    app.range("I1:K1").setColumnWidth(36);
    put(app, "A1", "Entries");
    app.range("B1").select();
    app.activeCell().setValue(0.0);
    for (int c = 0; c < 11; ++c) put(app, std::string(1, char('A' + c)) + "2", kHeaders[c]);
    app.range("A1:K2").setBold(true);
    app.range("A3").select();
    app.range("B1:K2").setHorizontalAlignment(host::xlRight);
    app.range("A1:A1000").setHorizontalAlignment(host::xlLeft);

    const std::vector<std::vector<std::string>> days = {{"2/1/2001", "10", "250", "2", "50", "100"},
                                                        {"2/2/2001", "20", "500", "0", "0", "100"}};
    for (std::size_t d = 0; d < days.size(); ++d) {
        const std::string r = std::to_string(3 + d);
        const std::string t = std::to_string(4 + d);
        const auto& v = days[d];
        put(app, "A" + r, v[0]);
        put(app, "B" + r, v[1]);
        put(app, "C" + r, v[2]);
        put(app, "D" + r, v[3]);
        put(app, "E" + r, v[4]);
        put(app, "H" + r, v[5]);
        put(app, "F" + r, "=C" + r + "-E" + r);
        put(app, "G" + r, "=B" + r + "-D" + r);
        put(app, "I" + r, "=F" + r + "/H" + r);
        put(app, "J" + r, "=G" + r + "/H" + r);
        put(app, "K" + r, "=I" + r);
        put(app, "A" + t, "Total");
        for (char c = 'B'; c <= 'J'; ++c)
            put(app, std::string(1, c) + t, std::string("=sum(") + c + "3:" + c + r + ")");
        put(app, "K" + t, "=average(K3:K" + r + ")");
        app.range("B1").select();
        app.activeCell().setValue(double(d + 1));
        app.range("A" + t).select();
    }
}

std::string longText(std::size_t n, const std::string& unit, const std::string& end) {
    std::string s;
    while (s.size() + unit.size() + end.size() <= n) s += unit;
    return s + end;
}

// Sheet2 of the same workbook: every kind of value, strings enough to split the shared
// string table, and formulas of every result type.
void fillMixedSheet(host::Application& app) {
    app.selectSheet(2);
    host::Worksheet& sheet = app.activeWorkbook()->activeSheet();
    put(app, "A1", "plain text");
    put(app, "A2",
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x82\xAC \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80");
    sheet.setValue({2, 0}, host::Value::fromBoolean(true));
    sheet.setValue({3, 0}, host::Value::fromBoolean(false));
    sheet.setValue({4, 0}, host::Value::fromError(host::ErrorCode::NA));
    put(app, "A6", "=1/0");
    put(app, "A7", "=\"ab\"&\"cd\"");
    put(app, "A8", "=1<2");
    put(app, "A9", longText(10000, "x", "xyz"));
    put(app, "A10", longText(6000, "\xE2\x82\xAC", "end"));
    sheet.setValue({10, 0}, host::Value::fromNumber(0.1 + 0.2));
    sheet.setValue({11, 0}, host::Value::fromNumber(-123456789.25));
    sheet.setValue({12, 0}, host::Value::fromNumber(1e300));
    put(app, "A14", "=A11*3");
    put(app, "A15", "=\"\"");
    put(app, "A16", "=A7&\"-\"&A1");
    put(app, "C1", "=$A$11+A12");
    put(app, "C2", "=ABS(-3)");
    put(app, "C3", "=IF(A3,1,2)");
    put(app, "C4", "=ROUND(1.234,2)");
    put(app, "C5", "=-A12%");
    put(app, "C6", "=(1+2)*3^2");
    put(app, "C7", "=SUM(B1:B3,A11,4)");
    sheet.setValue({16, 0}, host::Value::fromNumber(36923.5));
    sheet.setNumberFormat({{16, 0}, {16, 0}}, "yyyy-mm-dd");
    sheet.setValue({17, 0}, host::Value::fromNumber(2.5));
    sheet.setNumberFormat({{17, 0}, {17, 0}}, "0.000");
    sheet.setValue({18, 0}, host::Value::fromNumber(0.25));
    sheet.setNumberFormat({{18, 0}, {18, 0}}, "0%");
    for (int i = 0; i < 400; ++i) {
        char text[64];
        std::snprintf(text, sizeof text, "item %04d of the string table ....", i);
        put(app, "B" + std::to_string(i + 1), text);
    }
    app.range("C3").select();
}

// One expectation for xlrd_expect.py, a JSON object.
class Expectations {
public:
    void line(const std::string& json) { out_ << json << "\n"; }
    static std::string str(const std::string& s) {
        std::string o = "\"";
        for (char16_t u : host::xls::toBiffText(s, 1 << 20).units) {
            if (u == '"' || u == '\\') {
                o += '\\';
                o += char(u);
            } else if (u >= 0x20 && u < 0x7F)
                o += char(u);
            else {
                char b[8];
                std::snprintf(b, sizeof b, "\\u%04x", unsigned(u));
                o += b;
            }
        }
        return o + "\"";
    }
    static std::string num(double v) {
        char b[40];
        std::snprintf(b, sizeof b, "%.17g", v);
        return b;
    }
    void cell(const std::string& ref, const std::string& type, const std::string& value, bool formula,
              const std::string& extra = "") {
        line("{\"cell\": " + str(ref) + ", \"type\": " + str(type) + ", \"value\": " + value +
             ", \"formula\": " + (formula ? "true" : "false") + extra + "}");
    }
    void save(const std::string& path) const { std::ofstream(path) << out_.str(); }

private:
    std::ostringstream out_;
};

class WriterInterop : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char tmpl[] = "/tmp/tallomer-writer-XXXXXX";
        dir = mkdtemp(tmpl);
        statsPath = dir + "/stats.xls";
        mixedPath = dir + "/mixed";  // saved under exactly this name, no extension
        host::Application app;
        app.setVisible(false);
        app.setDisplayAlerts(false);
        buildStatsSheet(app);
        app.saveActiveWorkbookAs(statsPath);
        fillMixedSheet(app);
        app.saveActiveWorkbookAs(mixedPath);
    }
    static void TearDownTestSuite() { fs::remove_all(dir); }

    // Both workbooks converted in one LibreOffice run. LibreOffice names its output after
    // the input, so the extension-less file goes in under a copy.
    static std::map<std::string, std::map<std::string, Csv>> libreOffice() {
        mixedCopy = dir + "/mixed-lo.xls";
        fs::copy_file(mixedPath, mixedCopy, fs::copy_options::overwrite_existing);
        return libreOfficeSheets({statsPath, mixedCopy}, dir);
    }

    static std::string checkWithXlrd(const std::string& file, const Expectations& e, const std::string& name) {
        const std::string expectPath = dir + "/" + name + ".expect";
        e.save(expectPath);
        const auto r = runCommand("cd " + quote(scriptPath("")) + " && " + systemPython() + " xlrd_expect.py " +
                                  quote(file) + " " + quote(expectPath));
        return r.status == 0 ? "" : "status " + std::to_string(r.status) + "\n" + r.output;
    }

    static inline std::string dir, statsPath, mixedPath, mixedCopy;
};

// Rows 1 to 5 of the stats sheet as a reader with recomputation should show them; dates
// as LibreOffice's csv prints them.
const std::vector<std::vector<std::string>> kStatsValues = {
    {"Entries", "2", "", "", "", "", "", "", "", "", ""},
    {},  // headers, checked separately
    {"02/01/2001", "10", "250", "2", "50", "200", "8", "100", "2", "0.08", "2"},
    {"02/02/2001", "20", "500", "0", "0", "500", "20", "100", "5", "0.2", "5"},
    {"Total", "30", "750", "2", "50", "700", "28", "200", "7", "0.28", "3.5"},
};

// `dates`: A3 and A4 as the reader prints them.
void expectStatsRows(const Csv& csv, const std::vector<std::string>& dates, const std::string& reader) {
    ASSERT_GE(csv.size(), 5u) << reader;
    for (int c = 0; c < 11; ++c) EXPECT_EQ(csv[1].at(c), kHeaders[c]) << reader;
    for (int r : {0, 2, 3, 4}) {
        for (int c = 0; c < 11; ++c) {
            std::string want = kStatsValues[r][c];
            if (c == 0 && (r == 2 || r == 3)) want = dates[r - 2];
            EXPECT_TRUE(sameField(csv[r].at(c), want))
                << reader << " row " << r + 1 << " col " << c << ": " << csv[r].at(c) << " != " << want;
        }
    }
    for (std::size_t r = 5; r < csv.size(); ++r)
        for (const auto& f : csv[r]) EXPECT_EQ(f, "") << reader << " row " << r + 1;
}

// The largest statistics sheet the program keeps, 32,764 entries: a workbook stream of over
// 8 MB, whose FAT outgrows the header's 109 places and needs DIFAT sectors. Every value
// differs from its neighbours', so a sector out of place shows.
constexpr int kLargeEntries = 32764;

double largeValue(int entry, int col) {
    switch (col) {
        case 0: return 36923 + entry;
        case 1: return 10 + entry % 7;
        case 2: return 250 + entry % 13 + entry / 1000;
        case 3: return entry % 3;
        case 4: return (entry % 3) * 12.5;
        case 5: return largeValue(entry, 2) - largeValue(entry, 4);
        case 6: return largeValue(entry, 1) - largeValue(entry, 3);
        case 7: return 100 + entry % 11;
        case 8: return largeValue(entry, 5) / largeValue(entry, 7);
        case 9: return largeValue(entry, 6) / largeValue(entry, 7);
        default: return largeValue(entry, 8);
    }
}

void saveLargeStatsWorkbook(const std::string& path) {
    auto book = host::Workbook::createDefault();
    host::Worksheet& s = book->sheet(0);
    s.beginLoad();
    s.setTyped({0, 0}, "Entries");
    s.setValue({0, 1}, host::Value::fromNumber(kLargeEntries));
    for (int c = 0; c < 11; ++c) s.setTyped({1, c}, kHeaders[c]);
    const auto at = [](int col) { return host::CellAddress{2, col}; };
    const std::pair<int, const char*> formulas[] = {
        {5, "=C3-E3"}, {6, "=B3-D3"}, {8, "=F3/H3"}, {9, "=G3/H3"}, {10, "=I3"}};
    std::vector<std::pair<int, host::FormulaPtr>> codes;
    for (const auto& [col, text] : formulas) codes.emplace_back(col, host::parseFormula(text, at(col)));
    for (int n = 0; n < kLargeEntries; ++n) {
        for (int c : {0, 1, 2, 3, 4, 7}) s.setValue({2 + n, c}, host::Value::fromNumber(largeValue(n, c)));
        for (const auto& [col, code] : codes) s.setFormula({2 + n, col}, code);
    }
    const std::string last = std::to_string(2 + kLargeEntries);
    s.setTyped({2 + kLargeEntries, 0}, "Total");
    for (int c = 1; c <= 9; ++c) {
        const std::string col(1, char('A' + c));
        s.setTyped({2 + kLargeEntries, c}, "=sum(" + col + "3:" + col + last + ")");
    }
    s.endLoad();
    host::saveWorkbookFile(*book, path);
}

double largeTotal(int col) {
    double sum = 0;
    for (int n = 0; n < kLargeEntries; ++n) sum += largeValue(n, col);
    return sum;
}

// The number of DIFAT sectors the compound file's header declares.
std::uint32_t difatSectors(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char header[76] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    return header[72] | header[73] << 8 | header[74] << 16 | std::uint32_t(header[75]) << 24;
}

}  // namespace

TEST_F(WriterInterop, XlrdReadsTheStatsSheetWithItsFormats) {
    Expectations e;
    e.line("{\"sheets\": [\"Sheet1\", \"Sheet2\", \"Sheet3\"]}");
    e.line("{\"datemode\": 0}");
    e.line("{\"active_sheet\": \"Sheet1\"}");
    e.line("{\"active_cell\": \"Sheet1!A5\"}");
    e.line("{\"active_cell\": \"Sheet2!A1\"}");
    const double widths[] = {15, 15, 15, 18, 18, 24, 24, 30, 36, 36, 36};
    for (int c = 0; c < 11; ++c)
        e.line("{\"width\": \"Sheet1!" + std::string(1, char('A' + c)) +
               "\", \"value\": " + Expectations::num(widths[c] * 256) + "}");
    e.line("{\"width\": \"Sheet1!L\", \"value\": null}");
    e.cell("Sheet1!A1", "text", "\"Entries\"", false, ", \"bold\": true, \"align\": \"left\"");
    e.cell("Sheet1!B1", "number", "2", false, ", \"bold\": true, \"align\": \"right\"");
    e.line("{\"cell\": \"Sheet1!C1\", \"type\": \"empty\", \"bold\": true, \"align\": \"right\"}");
    for (int c = 0; c < 11; ++c) {
        const std::string ref = "Sheet1!" + std::string(1, char('A' + c)) + "2";
        e.cell(ref, "text", Expectations::str(kHeaders[c]), false,
               std::string(", \"bold\": true, \"align\": \"") + (c == 0 ? "left" : "right") + "\"");
    }
    const double row3[] = {36923, 10, 250, 2, 50, 200, 8, 100, 2, 0.08, 2};
    const double row4[] = {36924, 20, 500, 0, 0, 500, 20, 100, 5, 0.2, 5};
    const double row5[] = {0, 30, 750, 2, 50, 700, 28, 200, 7, 0.08 + 0.2, 3.5};
    for (int c = 0; c < 11; ++c) {
        const std::string col(1, char('A' + c));
        const bool formula = c == 5 || c == 6 || c >= 8;
        const std::string style = c == 0 ? ", \"date\": true, \"bold\": false, \"align\": \"left\""
                                         : ", \"date\": false, \"bold\": false, \"align\": \"general\"";
        e.cell("Sheet1!" + col + "3", "number", Expectations::num(row3[c]), formula, style);
        e.cell("Sheet1!" + col + "4", "number", Expectations::num(row4[c]), formula, style);
        if (c > 0) e.cell("Sheet1!" + col + "5", "number", Expectations::num(row5[c]), true);
    }
    e.cell("Sheet1!A5", "text", "\"Total\"", false, ", \"align\": \"left\"");
    e.line("{\"cell\": \"Sheet1!A1000\", \"type\": \"empty\", \"align\": \"left\", \"bold\": false}");
    e.line("{\"cell\": \"Sheet1!A1001\", \"type\": \"empty\", \"align\": \"general\"}");
    e.line("{\"cell\": \"Sheet1!B6\", \"type\": \"empty\", \"align\": \"general\"}");
    const std::string problems = checkWithXlrd(statsPath, e, "stats");
    EXPECT_EQ(problems, "");
}

TEST_F(WriterInterop, XlrdReadsEveryKindOfValueAndLongStrings) {
    Expectations e;
    e.line("{\"active_sheet\": \"Sheet2\"}");
    e.line("{\"active_cell\": \"Sheet1!A5\"}");
    e.line("{\"active_cell\": \"Sheet2!C3\"}");
    e.cell("Sheet2!A1", "text", "\"plain text\"", false);
    e.cell("Sheet2!A2", "text",
           Expectations::str("Gr\xC3\xBC\xC3\x9F"
                             "e \xE2\x82\xAC \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"),
           false);
    e.cell("Sheet2!A3", "bool", "true", false);
    e.cell("Sheet2!A4", "bool", "false", false);
    e.cell("Sheet2!A5", "error", "\"#N/A\"", false);
    e.cell("Sheet2!A6", "error", "\"#DIV/0!\"", true);
    e.cell("Sheet2!A7", "text", "\"abcd\"", true);
    e.cell("Sheet2!A8", "bool", "true", true);
    e.line("{\"text_length\": \"Sheet2!A9\", \"value\": 10000, \"ends\": \"xyz\"}");
    e.line("{\"text_length\": \"Sheet2!A10\", \"value\": " +
           std::to_string(host::xls::toBiffText(longText(6000, "\xE2\x82\xAC", "end")).units.size()) +
           ", \"ends\": \"end\"}");
    e.cell("Sheet2!A11", "number", Expectations::num(0.1 + 0.2), false);
    e.cell("Sheet2!A12", "number", Expectations::num(-123456789.25), false);
    e.cell("Sheet2!A13", "number", Expectations::num(1e300), false);
    e.cell("Sheet2!A14", "number", Expectations::num((0.1 + 0.2) * 3), true);
    e.cell("Sheet2!A15", "text", "\"\"", true);
    e.cell("Sheet2!A16", "text", "\"abcd-plain text\"", true);
    e.cell("Sheet2!C1", "number", Expectations::num((0.1 + 0.2) + -123456789.25), true);
    e.cell("Sheet2!C2", "number", "3", true);
    e.cell("Sheet2!C3", "number", "1", true);
    e.cell("Sheet2!C4", "number", "1.23", true);
    e.cell("Sheet2!C5", "number", Expectations::num(123456789.25 / 100), true);
    e.cell("Sheet2!C6", "number", "27", true);
    e.cell("Sheet2!C7", "number", Expectations::num(0.1 + 0.2 + 4), true);
    // Formats of our own get FORMAT records from 164; built-in ones are referred to by number.
    e.cell("Sheet2!A17", "number", "36923.5", false, ", \"date\": true, \"format\": \"yyyy-mm-dd\"");
    e.cell("Sheet2!A18", "number", "2.5", false, ", \"date\": false, \"format\": \"0.000\"");
    e.cell("Sheet2!A19", "number", "0.25", false, ", \"date\": false, \"format\": \"0%\"");
    for (int i : {0, 1, 199, 399}) {
        char text[64];
        std::snprintf(text, sizeof text, "item %04d of the string table ....", i);
        e.cell("Sheet2!B" + std::to_string(i + 1), "text", Expectations::str(text), false);
    }
    const std::string problems = checkWithXlrd(mixedPath, e, "mixed");
    EXPECT_EQ(problems, "");
}

// One LibreOffice run for both workbooks: each run costs seconds.
TEST_F(WriterInterop, LibreOfficeRecomputesTheSameValues) {
    const auto sheets = libreOffice();
    ASSERT_EQ(sheets.count(statsPath), 1u) << "LibreOffice wrote nothing (is soffice installed?)";
    const auto& stats = sheets.at(statsPath);
    ASSERT_EQ(stats.count("Sheet1"), 1u);
    expectStatsRows(stats.at("Sheet1"), {"02/01/2001", "02/02/2001"}, "LibreOffice");
    EXPECT_EQ(stats.count("Sheet2"), 1u);
    EXPECT_EQ(stats.count("Sheet3"), 1u);

    // The mixed sheet, from the same LibreOffice run.
    ASSERT_EQ(sheets.count(mixedCopy), 1u) << "LibreOffice wrote nothing (is soffice installed?)";
    const Csv& csv = sheets.at(mixedCopy).at("Sheet2");
    // LibreOffice keeps a boolean as the number 1 or 0 in a boolean format; raw csv shows 1.
    const auto isTrue = [](const std::string& f) { return f == "TRUE" || f == "1"; };
    const auto isFalse = [](const std::string& f) { return f == "FALSE" || f == "0"; };
    ASSERT_GE(csv.size(), 16u);
    EXPECT_EQ(csv[0][0], "plain text");
    EXPECT_EQ(csv[1][0],
              "Gr\xC3\xBC\xC3\x9F"
              "e \xE2\x82\xAC \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80");
    EXPECT_TRUE(isTrue(csv[2][0])) << csv[2][0];
    EXPECT_TRUE(isFalse(csv[3][0])) << csv[3][0];
    EXPECT_EQ(csv[4][0], "#N/A");
    EXPECT_EQ(csv[5][0], "#DIV/0!");
    EXPECT_EQ(csv[6][0], "abcd");
    EXPECT_TRUE(isTrue(csv[7][0])) << csv[7][0];
    EXPECT_EQ(csv[8][0], longText(10000, "x", "xyz"));
    EXPECT_EQ(csv[9][0], longText(6000, "\xE2\x82\xAC", "end"));
    EXPECT_TRUE(sameField(csv[13][0], "0.9"));
    EXPECT_EQ(csv[15][0], "abcd-plain text");
    EXPECT_TRUE(sameField(csv[0][2], "-123456788.95"));
    EXPECT_EQ(csv[1][2], "3");
    EXPECT_EQ(csv[2][2], "1");
    EXPECT_EQ(csv[3][2], "1.23");
    EXPECT_TRUE(sameField(csv[4][2], "1234567.8925"));
    EXPECT_EQ(csv[5][2], "27");
    EXPECT_TRUE(sameField(csv[6][2], "4.3"));
    EXPECT_EQ(csv[399][1], "item 0399 of the string table ....");
}

// xlrd reads every sector through the FAT it finds via the DIFAT; LibreOffice sums every
// entry again. Cells are checked all along the stream and the totals cover the rest.
TEST_F(WriterInterop, AWorkbookWhoseFatNeedsDifatSectorsReadsBackWhole) {
    const std::string largeDir = dir + "/large";
    fs::create_directories(largeDir);
    const std::string path = largeDir + "/large.xls";
    saveLargeStatsWorkbook(path);
    ASSERT_GE(difatSectors(path), 1u) << "the workbook no longer needs DIFAT sectors; make it larger";

    Expectations e;
    e.cell("Sheet1!A1", "text", "\"Entries\"", false);
    std::vector<int> entries;
    for (int n = 0; n < kLargeEntries; n += 977) entries.push_back(n);
    entries.push_back(kLargeEntries - 1);
    for (int n : entries) {
        const std::string row = std::to_string(3 + n);
        for (int c : {0, 2, 7})
            e.cell("Sheet1!" + std::string(1, char('A' + c)) + row, "number", Expectations::num(largeValue(n, c)),
                   false);
        e.cell("Sheet1!F" + row, "number", Expectations::num(largeValue(n, 5)), true);
        e.cell("Sheet1!J" + row, "number", Expectations::num(largeValue(n, 9)), true);
    }
    const std::string totals = std::to_string(3 + kLargeEntries);
    e.cell("Sheet1!A" + totals, "text", "\"Total\"", false);
    for (int c : {1, 2, 5, 8})
        e.cell("Sheet1!" + std::string(1, char('A' + c)) + totals, "number", Expectations::num(largeTotal(c)), true);
    EXPECT_EQ(checkWithXlrd(path, e, "large"), "");

    const auto sheets = libreOfficeSheets({path}, largeDir);
    ASSERT_EQ(sheets.count(path), 1u) << "LibreOffice wrote nothing (is soffice installed?)";
    const Csv& csv = sheets.at(path).at("Sheet1");
    ASSERT_GE(csv.size(), std::size_t(3 + kLargeEntries));
    const auto& row = csv[2 + kLargeEntries];
    EXPECT_EQ(row.at(0), "Total");
    for (int c = 1; c <= 9; ++c) {
        char want[40];
        std::snprintf(want, sizeof want, "%.17g", largeTotal(c));
        EXPECT_TRUE(sameField(row.at(c), want)) << "column " << c << ": " << row.at(c) << " != " << want;
    }
}

TEST_F(WriterInterop, GnumericShowsTheCachedResults) {
    std::string messages;
    const auto sheets = gnumericSheets(statsPath, dir, &messages);
    ASSERT_EQ(sheets.size(), 3u) << "Gnumeric wrote nothing (is ssconvert installed?) " << messages;
    EXPECT_EQ(messages, "");  // no complaint about the file
    expectStatsRows(sheets[0], {"2001/02/01", "2001/02/02"}, "Gnumeric");

    const auto mixed = gnumericSheets(mixedPath, dir, &messages);
    ASSERT_EQ(mixed.size(), 3u) << messages;
    EXPECT_EQ(messages, "");
    const Csv& csv = mixed[1];
    ASSERT_GE(csv.size(), 16u);
    EXPECT_EQ(csv[5][0], "#DIV/0!");
    EXPECT_EQ(csv[6][0], "abcd");
    EXPECT_EQ(csv[7][0], "TRUE");
    EXPECT_EQ(csv[8][0], longText(10000, "x", "xyz"));
    EXPECT_EQ(csv[15][0], "abcd-plain text");
    EXPECT_TRUE(sameField(csv[6][2], "4.3"));
}

TEST_F(WriterInterop, AFailedSaveChangesNothing) {
    const std::string before = [] {
        std::ifstream in(statsPath, std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), {}};
    }();
    host::Application app;
    app.addWorkbook();
    EXPECT_THROW(app.saveActiveWorkbookAs(dir + "/no such folder/book.xls"), host::HostError);
    EXPECT_THROW(app.saveActiveWorkbookAs(dir + "/"), host::HostError);
    EXPECT_THROW(app.saveActiveWorkbookAs(""), host::HostError);
    EXPECT_THROW(app.saveActiveWorkbook(), host::HostError);  // it has no file yet
    std::ifstream in(statsPath, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), before);
}

TEST_F(WriterInterop, ASmallWorkbookKeepsItsDateSystemAndStaysOutOfTheMiniStream) {
    auto book = host::Workbook::createDefault();
    book->date1904 = true;
    book->sheet(0).setValue({0, 0}, host::Value::fromNumber(1));
    const std::string path = dir + "/small1904.xls";
    host::saveWorkbookFile(*book, path);
    Expectations e;
    e.line("{\"sheets\": [\"Sheet1\", \"Sheet2\", \"Sheet3\"]}");
    e.line("{\"datemode\": 1}");
    e.line("{\"stream_at_least\": 4096}");
    e.cell("Sheet1!A1", "number", "1", false);
    EXPECT_EQ(checkWithXlrd(path, e, "small1904"), "");
}

TEST_F(WriterInterop, AFormulaTooLongForItsRecordFailsTheSaveAndWritesNothing) {
    auto book = host::Workbook::createDefault();
    book->sheet(0).setFormula({0, 0}, writer_test::formulaTooLongToSave());
    const std::string path = dir + "/too-long.xls";
    EXPECT_THROW(host::saveWorkbookFile(*book, path), host::HostError);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(WriterInterop, TheCommandLineCopyRewritesAWorkbookAndRefusesWhatItCannotDo) {
    const std::string cli = std::string(TALLOMER_BINARY_DIR) + "/tools/tallomer-cli";
    const std::string copy = dir + "/cli-copy.xls";
    auto r = runCommand(quote(cli) + " copy " + quote(statsPath) + " " + quote(copy));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "");
    r = runCommand("cd " + quote(scriptPath("")) + " && " + systemPython() + " xlrd_compare.py " + quote(statsPath) +
                   " " + quote(copy));
    EXPECT_EQ(r.status, 0) << r.output;

    const auto oneLine = [](const std::string& s) {
        return !s.empty() && s.back() == '\n' && s.find('\n') == s.size() - 1;
    };
    r = runCommand(quote(cli) + " copy " + quote(dir + "/missing.xls") + " " + quote(dir + "/out.xls"));
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(oneLine(r.output)) << r.output;
    r = runCommand(quote(cli) + " copy " + quote(statsPath) + " " + quote(dir + "/no such folder/out.xls"));
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(oneLine(r.output)) << r.output;
    EXPECT_FALSE(fs::exists(dir + "/out.xls"));
}

namespace {
// Whether any process (of those this one may look at) has the file `dev`:`ino` open.
bool someProcessHolds(dev_t dev, ino_t ino) {
    std::error_code ec;
    for (const auto& process : fs::directory_iterator("/proc", ec)) {
        const std::string pid = process.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code gone;  // processes come and go meanwhile
        for (const auto& fd : fs::directory_iterator(process.path() / "fd", gone)) {
            struct stat st {};
            if (stat(fd.path().c_str(), &st) == 0 && st.st_dev == dev && st.st_ino == ino) return true;
        }
    }
    return false;
}

// Runs `argv` with its output into a pipe; the output, once the pipe's every writer has
// closed it, or nullopt when that takes longer than `limit`. Its exit status in `status`.
std::optional<std::string> outputOf(const std::vector<std::string>& argv, std::chrono::seconds limit, int& status) {
    int out[2];
    if (pipe(out) != 0) return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string output;
    bool ended = spawned != 0;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!ended && std::chrono::steady_clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char buffer[4096];
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n > 0)
            output.append(buffer, std::size_t(n));
        else
            ended = true;
    }
    close(out[0]);
    int raw = 0;
    if (spawned == 0) waitpid(pid, &raw, 0);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    if (!ended) return std::nullopt;
    return output;
}
}  // namespace

// Once the copy has ended, nothing of it keeps the caller's pipe open or holds the file it
// replaced.
TEST_F(WriterInterop, TheCommandLineCopyLetsTheFileItReplacedGoOnceItHasEnded) {
    const std::string cli = std::string(TALLOMER_BINARY_DIR) + "/tools/tallomer-cli";
    const std::string target = dir + "/replaced.xls";
    fs::copy_file(mixedPath, target, fs::copy_options::overwrite_existing);
    struct stat old {};
    ASSERT_EQ(stat(target.c_str(), &old), 0);

    int status = -1;
    const auto output = outputOf({cli, "copy", statsPath, target}, std::chrono::seconds(60), status);
    ASSERT_TRUE(output.has_value()) << "the copy's output pipe was still open after a minute";
    EXPECT_EQ(*output, "");
    EXPECT_EQ(status, 0);
    struct stat now {};
    ASSERT_EQ(stat(target.c_str(), &now), 0);
    EXPECT_NE(now.st_ino, old.st_ino);

    bool held = true;
    for (int tries = 0; tries < 1000 && held; ++tries) {
        held = someProcessHolds(old.st_dev, old.st_ino);
        if (held) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(held) << "the replaced file was still open ten seconds after the copy";
}
