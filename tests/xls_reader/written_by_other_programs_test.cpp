// Workbooks that LibreOffice, Gnumeric and xlwt write while the test runs, opened in the host:
// one sheet of the program's shape, many shared strings (the table spans CONTINUE records),
// a long string split at a record boundary, dates, shared formulas, SUM and AVERAGE.
#include <gtest/gtest.h>

#include <sstream>

#include "host/host_error.h"
#include "host/workbook_files.h"
#include "writer_clients.h"

namespace {

constexpr int kDays = 30;
constexpr int kStrings = 2000;
constexpr double kFirstDate = 36923;  // 2/1/2001

std::string itemName(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "item %04d", i);
    return buf;
}

// 5000 euro signs: two bytes each, more than one record holds, so the string goes on in a
// CONTINUE record after a flag byte of its own.
std::string longText() {
    std::string s;
    for (int i = 0; i < 5000; ++i) s += "\xE2\x82\xAC";
    return s + "end";
}

host::CellAddress at(const std::string& a1) { return *host::parseAddress(a1); }

void expectTheSheet(const std::filesystem::path& file, bool formatted) {
    ASSERT_FALSE(file.empty());
    std::unique_ptr<host::Workbook> book;
    try {
        book = host::loadWorkbookFile(file.string());
    } catch (const host::HostError& e) {
        FAIL() << e.what();
    }
    const host::Worksheet& s = book->sheet(0);
    EXPECT_EQ(host::Value::fromText("Entries"), s.value(at("A1")));
    EXPECT_EQ(host::Value::fromNumber(kDays), s.value(at("B1")));
    EXPECT_EQ(host::Value::fromText("Gr\xC3\xBC\xC3\x9F"
                                    "e \xE2\x82\xAC"),
              s.value(at("C1")));
    EXPECT_EQ(host::Value::fromText(longText()), s.value(at("G1")));
    for (int i = 0; i < kDays; ++i) {
        const std::string r = std::to_string(i + 3);
        EXPECT_EQ(kFirstDate + i, s.value(at("A" + r)).number) << r;
        EXPECT_TRUE(s.read(at("A" + r)).isDate) << r;
        EXPECT_EQ(host::Value::fromNumber(10.0 * (i + 1) - 0.5 * i), s.value(at("D" + r))) << r;
        EXPECT_EQ("=B" + r + "-C" + r, s.formulaText(at("D" + r)));
    }
    EXPECT_EQ(host::Value::fromNumber(4650), s.value(at("B33")));
    EXPECT_EQ("=SUM(B3:B32)", s.formulaText(at("B33")));
    EXPECT_EQ(host::Value::fromNumber(7.25), s.value(at("C33")));
    EXPECT_EQ("=AVERAGE(C3:C32)", s.formulaText(at("C33")));
    EXPECT_EQ(host::Value::fromError(host::ErrorCode::Div0), s.value(at("D33")));
    for (int i = 0; i < kStrings; i += 97) {
        EXPECT_EQ(host::Value::fromText(itemName(i)), s.value(at("F" + std::to_string(i + 3)))) << i;
    }
    EXPECT_EQ(host::Value::fromText(itemName(kStrings - 1)), s.value(at("F" + std::to_string(kStrings + 2))));
    if (formatted) {
        EXPECT_TRUE(s.style(at("A1")).bold);
        EXPECT_EQ(host::HAlign::Right, s.style(at("A1")).align);
        EXPECT_NEAR(20, s.columnWidth(0), 1.0);
    }
}

std::string fodsCell(const std::string& attributes, const std::string& text = "") {
    if (text.empty()) return "<table:table-cell " + attributes + "/>";
    return "<table:table-cell " + attributes + "><text:p>" + text + "</text:p></table:table-cell>";
}

TEST(WrittenByOtherPrograms, LibreOffice) {
    xls_test::TempDir dir;
    std::ostringstream rows;
    auto str = [](const std::string& s) { return fodsCell("office:value-type=\"string\"", s); };
    auto num = [](double v) {
        return fodsCell("office:value-type=\"float\" office:value=\"" + std::to_string(v) + "\"");
    };
    auto formula = [](const std::string& f) { return fodsCell("table:formula=\"of:=" + f + "\""); };
    rows << "<table:table-row>" << fodsCell("table:style-name=\"head\" office:value-type=\"string\"", "Entries")
         << num(kDays) << str("Grüße €") << fodsCell("") << fodsCell("") << fodsCell("") << str(longText())
         << "</table:table-row><table:table-row/>";
    for (int i = 0; i < kStrings; ++i) {
        const std::string r = std::to_string(i + 3);
        rows << "<table:table-row>";
        if (i < kDays) {
            char date[16];
            std::snprintf(date, sizeof date, "2001-02-%02d", i + 1 <= 28 ? i + 1 : 28);
            rows << fodsCell("table:style-name=\"date\" office:value-type=\"float\" office:value=\"" +
                             std::to_string(static_cast<int>(kFirstDate) + i) + "\"")
                 << num(10.0 * (i + 1)) << num(0.5 * i) << formula("[.B" + r + "]-[.C" + r + "]") << fodsCell("");
        } else if (i == kDays) {
            rows << str("Total") << formula("SUM([.B3:.B32])") << formula("AVERAGE([.C3:.C32])") << formula("1/0")
                 << fodsCell("");
        } else {
            rows << "<table:table-cell table:number-columns-repeated=\"5\"/>";
        }
        rows << str(itemName(i)) << "</table:table-row>";
    }
    const std::string fods =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
        "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
        "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
        "xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\" "
        "xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\" office:version=\"1.2\" "
        "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\"><office:automatic-styles>"
        "<number:date-style style:name=\"N1\"><number:month/><number:text>/</number:text><number:day/>"
        "<number:text>/</number:text><number:year/></number:date-style>"
        "<style:style style:name=\"date\" style:family=\"table-cell\" style:data-style-name=\"N1\"/>"
        "<style:style style:name=\"head\" style:family=\"table-cell\"><style:text-properties fo:font-weight=\"bold\"/>"
        "<style:paragraph-properties fo:text-align=\"end\"/></style:style>"
        "<style:style style:name=\"wide\" style:family=\"table-column\">"
        "<style:table-column-properties style:column-width=\"1.5in\"/></style:style>"
        "</office:automatic-styles><office:body><office:spreadsheet><table:table table:name=\"Stats\">"
        "<table:table-column table:style-name=\"wide\"/><table:table-column table:number-columns-repeated=\"6\"/>" +
        rows.str() + "</table:table></office:spreadsheet></office:body></office:document>\n";
    xls_test::writeText(dir / "stats.fods", fods);
    expectTheSheet(xls_test::libreOfficeToXls(dir / "stats.fods"), true);
}

TEST(WrittenByOtherPrograms, Gnumeric) {
    xls_test::TempDir dir;
    std::ostringstream csv;
    csv << "Entries," << kDays << ",Grüße €,,,," << longText() << "\n\n";
    for (int i = 0; i < kStrings; ++i) {
        const std::string r = std::to_string(i + 3);
        if (i < kDays) {
            csv << "2/" << i + 1 << "/2001," << 10 * (i + 1) << "," << 0.5 * i << ",=B" << r << "-C" << r << ",,";
        } else if (i == kDays) {
            csv << "Total,=SUM(B3:B32),=AVERAGE(C3:C32),=1/0,,";
        } else {
            csv << ",,,,,";
        }
        csv << itemName(i) << "\n";
    }
    // February has 28 days: the dates run on into March as serial numbers do.
    std::string text = csv.str();
    for (int d = 29; d <= kDays; ++d) {
        const std::string from = "\n2/" + std::to_string(d) + "/2001,";
        const std::string to = "\n3/" + std::to_string(d - 28) + "/2001,";
        text.replace(text.find(from), from.size(), to);
    }
    xls_test::writeText(dir / "stats.csv", text);
    expectTheSheet(xls_test::ssconvertToXls(dir / "stats.csv"), false);
}

TEST(WrittenByOtherPrograms, Xlwt) {
    xls_test::TempDir dir;
    const std::string script = R"PY(
import sys, datetime, xlwt
wb = xlwt.Workbook(encoding="utf-8")
ws = wb.add_sheet("Stats")
head = xlwt.easyxf("font: bold on; align: horiz right")
date = xlwt.easyxf(num_format_str="m/d/yy")
ws.write(0, 0, "Entries", head)
ws.write(0, 1, 30)
ws.write(0, 2, u"Gr\u00fc\u00dfe \u20ac")
ws.write(0, 6, u"\u20ac" * 5000 + "end")
ws.col(0).width = 20 * 256
for i in range(2000):
    r = i + 2
    if i < 30:
        ws.write(r, 0, datetime.date(2001, 2, 1) + datetime.timedelta(days=i), date)
        ws.write(r, 1, 10 * (i + 1))
        ws.write(r, 2, 0.5 * i)
        ws.write(r, 3, xlwt.Formula("B%d-C%d" % (r + 1, r + 1)))
    elif i == 30:
        ws.write(r, 0, "Total")
        ws.write(r, 1, xlwt.Formula("SUM(B3:B32)"))
        ws.write(r, 2, xlwt.Formula("AVERAGE(C3:C32)"))
        ws.write(r, 3, xlwt.Formula("1/0"))
    ws.write(r, 5, "item %04d" % i)
wb.add_sheet("Sheet2")
wb.save(sys.argv[1])
)PY";
    xls_test::writeText(dir / "make.py", script);
    expectTheSheet(xls_test::xlwtScript(dir / "make.py", dir / "stats.xls"), true);
}

}  // namespace
