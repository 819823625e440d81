// The reader on its own, against every sample workbook and what xlrd read from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <regex>

#include "formula_text.h"
#include "host/host_error.h"
#include "mini_json.h"
#include "read_stream.h"
#include "sample_files.h"

namespace {

using testing_json::Json;
using xls_test::RecordedCell;

void expectSameNumber(double expected, double actual, const std::string& where) {
    EXPECT_NEAR(expected, actual, std::abs(expected) * 1e-12 + 1e-12) << where;
}

// Compares one expected cell with what the reader recorded. Formula cells carry their cached
// result, so the comparison is with xlrd's view of the same bytes.
void compareCell(const Json& e, const xls_test::RecordingSink& sink, const xls_test::RecordedSheet& sheet,
                 const std::string& file) {
    const std::string ref = e["ref"].string;
    const std::string where = file + " " + ref;
    const RecordedCell* c = sheet.at(ref);
    ASSERT_NE(c, nullptr) << where << " missing";
    const std::string type = e["type"].string;
    const host::Value& v = c->value;
    if (type == "text") {
        ASSERT_TRUE(v.isText()) << where;
        EXPECT_EQ(e["value"].string, v.text) << where;
    } else if (type == "number" || type == "date") {
        ASSERT_TRUE(v.isNumber()) << where;
        expectSameNumber(e["value"].number, v.number, where);
        if (type == "date") EXPECT_EQ(e["format"].string, sink.formatOf(*c)) << where;
    } else if (type == "bool") {
        ASSERT_TRUE(v.isBoolean()) << where;
        EXPECT_EQ(e["value"].boolean, v.boolean) << where;
    } else if (type == "error") {
        ASSERT_TRUE(v.isError()) << where;
        EXPECT_EQ(e["value"].string, host::errorText(v.error)) << where;
    }
    if (e.has("formula")) {
        ASSERT_EQ(c->kind, RecordedCell::Kind::Formula) << where;
        if (e["formula"].kind == Json::Kind::String) {
            EXPECT_EQ(xls_test::normalizedFormula(e["formula"].string), xls_test::normalizedFormula(c->renderedFormula))
                << where;
        }
    } else {
        EXPECT_NE(c->kind, RecordedCell::Kind::Formula) << where;
    }
}

TEST(SampleRecords, EverySampleReadsAsXlrdReadsIt) {
    const auto files = xls_test::expectedFiles();
    if (files.empty()) GTEST_SKIP() << "no ../shared/samples in this checkout";
    int compared = 0;
    for (const auto& jsonPath : files) {
        const Json expected = testing_json::readJsonFile(jsonPath.string());
        if (expected.has("error")) continue;
        const std::string file = expected["file"].string;
        const auto bytes = xls_test::readBytes(xls_test::samplesDir() / file);
        SCOPED_TRACE(file);
        if (expected["biff_version"].number != 80) {
            try {
                xls_test::readIntoSink(bytes);
                ADD_FAILURE() << file << ": an older BIFF version was not refused";
            } catch (const host::HostError& e) {
                EXPECT_NE(std::string(e.what()).find("older Excel format"), std::string::npos) << e.what();
            }
            continue;
        }
        xls_test::RecordingSink sink;
        try {
            sink = xls_test::readIntoSink(bytes);
        } catch (const host::HostError& e) {
            ADD_FAILURE() << file << ": " << e.what();
            continue;
        }
        ASSERT_FALSE(sink.sheets.empty());
        const Json& first = expected["first_sheet"];
        const auto& sheet = sink.sheets.front();
        EXPECT_EQ(first["name"].string, sheet.name);
        EXPECT_EQ(expected["datemode"].number == 1, sink.date1904);
        std::size_t contentCells = 0;
        for (const auto& [pos, c] : sheet.cells) contentCells += c.kind != RecordedCell::Kind::Blank;
        EXPECT_EQ(first["cells"].array.size(), contentCells) << file;
        for (const Json& cell : first["cells"].array) compareCell(cell, sink, sheet, file);
        ++compared;
    }
    EXPECT_GE(compared, 20);
}

}  // namespace
