// Opening the sample workbooks in the host: values as the engine computes them, formulas as
// the host reads them back, dates, and the statistics sheets' formatting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <regex>

#include "formula_text.h"
#include "host/host_error.h"
#include "host/workbook_files.h"
#include "mini_json.h"
#include "sample_files.h"

namespace {

using testing_json::Json;

host::CellAddress cellAt(const std::string& a1) { return *host::parseAddress(a1); }

// The value xlrd reports for a cell, as a host value.
host::Value expectedValue(const Json& e) {
    const std::string type = e["type"].string;
    if (type == "text") return host::Value::fromText(e["value"].string);
    if (type == "bool") return host::Value::fromBoolean(e["value"].boolean);
    if (type == "error") return host::Value::fromError(*host::errorFromText(e["value"].string));
    return host::Value::fromNumber(e["value"].number);
}

void expectSameValue(const host::Value& expected, const host::Value& actual, const std::string& where) {
    ASSERT_EQ(expected.kind, actual.kind) << where;
    if (expected.isNumber()) {
        EXPECT_NEAR(expected.number, actual.number, std::abs(expected.number) * 1e-12 + 1e-12) << where;
    } else {
        EXPECT_EQ(expected, actual) << where;
    }
}

// Statistics sheets hold the same figures whichever program wrote them; xlwt stores no formula
// results, so its files are compared with the values LibreOffice stored for the same sheet.
const Json* recomputedTwin(const std::string& file) {
    static std::map<std::string, Json> twins;
    static const std::regex xlwt(R"(stats/stats_xlwt_(\d)\.xls)");
    std::smatch m;
    if (!std::regex_match(file, m, xlwt)) return nullptr;
    const std::string twin = "stats_lo_" + m[1].str();
    if (!twins.count(twin)) {
        twins[twin] = testing_json::readJsonFile((xls_test::samplesDir() / "expected" / (twin + ".json")).string());
    }
    return &twins[twin];
}

const Json* cellIn(const Json& expected, const std::string& ref) {
    for (const Json& c : expected["first_sheet"]["cells"].array) {
        if (c["ref"].string == ref) return &c;
    }
    return nullptr;
}

TEST(OpenSamples, EveryCellHasTheExpectedValueFormulaAndDateForm) {
    const auto files = xls_test::expectedFiles();
    if (files.empty()) GTEST_SKIP() << "no ../shared/samples in this checkout";
    for (const auto& jsonPath : files) {
        const Json expected = testing_json::readJsonFile(jsonPath.string());
        if (expected.has("error") || expected["biff_version"].number != 80) continue;
        const std::string file = expected["file"].string;
        SCOPED_TRACE(file);
        std::unique_ptr<host::Workbook> book;
        try {
            book = host::loadWorkbookFile((xls_test::samplesDir() / file).string());
        } catch (const host::HostError& e) {
            ADD_FAILURE() << e.what();
            continue;
        }
        EXPECT_EQ(expected["sheet_names"].array.size(), static_cast<std::size_t>(book->sheetCount()));
        EXPECT_EQ(expected["datemode"].number == 1, book->date1904);
        const host::Worksheet& sheet = book->sheet(0);
        const Json* twin = recomputedTwin(file);
        for (const Json& e : expected["first_sheet"]["cells"].array) {
            const std::string ref = e["ref"].string;
            const host::CellAddress at = cellAt(ref);
            const host::CellView view = sheet.cell(at);
            host::Value want = expectedValue(e);
            if (twin && e.has("formula")) want = expectedValue(*cellIn(*twin, ref));
            expectSameValue(want, sheet.value(at), ref);
            if (e.has("formula")) {
                ASSERT_EQ(view.kind, host::CellView::Kind::Formula) << ref;
                if (e["formula"].kind == Json::Kind::String) {
                    EXPECT_EQ(xls_test::normalizedFormula(e["formula"].string),
                              xls_test::normalizedFormula(sheet.formulaText(at)))
                        << ref;
                } else {
                    EXPECT_EQ(sheet.formulaText(at).rfind('=', 0), 0u) << ref << " shows no formula";
                }
            } else {
                EXPECT_EQ(view.kind, host::CellView::Kind::Constant) << ref;
            }
            if (e["type"].string == "date" && host::isDateFormat(e["format"].string)) {
                EXPECT_TRUE(sheet.read(at).isDate) << ref;
            }
        }
    }
}

TEST(OpenSamples, StatisticsSheetsKeepBoldAlignmentAndWidths) {
    const auto dir = xls_test::samplesDir();
    if (dir.empty()) GTEST_SKIP() << "no ../shared/samples in this checkout";
    const double widths[] = {15, 15, 15, 18, 18, 24, 24, 30, 36, 36, 36};
    for (const char* writer : {"lo", "gnm", "xlwt"}) {
        for (int n = 0; n <= 3; ++n) {
            const std::string file = std::string("stats_") + writer + "_" + std::to_string(n) + ".xls";
            SCOPED_TRACE(file);
            const auto book = host::loadWorkbookFile((dir / "stats" / file).string());
            const host::Worksheet& sheet = book->sheet(0);
            EXPECT_EQ(3, book->sheetCount());
            EXPECT_TRUE(sheet.style(cellAt("A1")).bold);
            EXPECT_TRUE(sheet.style(cellAt("K2")).bold);
            EXPECT_FALSE(sheet.style(cellAt("A3")).bold);
            EXPECT_EQ(host::HAlign::Right, sheet.style(cellAt("B1")).align);
            EXPECT_EQ(host::HAlign::Right, sheet.style(cellAt("K2")).align);
            EXPECT_EQ(host::HAlign::Left, sheet.style(cellAt("A1000")).align);
            for (int c = 0; c < 11; ++c) EXPECT_NEAR(widths[c], sheet.columnWidth(c), 0.01) << "column " << c;
            EXPECT_EQ(host::Value::fromNumber(n), sheet.value(cellAt("B1")));
            if (n >= 1) {
                EXPECT_TRUE(sheet.read(cellAt("A3")).isDate);
                EXPECT_EQ(36923, sheet.value(cellAt("A3")).number);
                EXPECT_EQ(200, sheet.value(cellAt("F3")).number);
                EXPECT_EQ(8, sheet.value(cellAt("G3")).number);
                EXPECT_EQ(2, sheet.value(cellAt("I3")).number);
                EXPECT_EQ("=C3-E3", sheet.formulaText(cellAt("F3")));
            }
            if (n == 3) {
                EXPECT_EQ(1087.5, sheet.value(cellAt("C6")).number);
                EXPECT_NEAR(3.0555555555555554, sheet.value(cellAt("K6")).number, 1e-12);
                EXPECT_EQ("=AVERAGE(K3:K5)", sheet.formulaText(cellAt("K6")));
            }
        }
    }
}

TEST(OpenSamples, OlderFormatsAreRefusedSayingSo) {
    const auto dir = xls_test::samplesDir();
    if (dir.empty()) GTEST_SKIP() << "no ../shared/samples in this checkout";
    for (const char* file : {"real/calamine_biff5_write.xls", "real/xlrd_biff4_no_format_no_window2.xls"}) {
        try {
            host::loadWorkbookFile((dir / file).string());
            ADD_FAILURE() << file << " was opened";
        } catch (const host::HostError& e) {
            EXPECT_NE(std::string(e.what()).find("older Excel format"), std::string::npos) << e.what();
        }
    }
}

}  // namespace
