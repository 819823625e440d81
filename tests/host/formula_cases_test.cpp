// Runs the cases of formula_cases.txt: cells typed in, values and formula texts read back.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "host/address.h"
#include "host/host_error.h"
#include "host/workbook.h"
#include "host/worksheet.h"

namespace {

std::string describe(const host::Value& v) {
    switch (v.kind) {
        case host::Value::Kind::Empty: return "empty";
        case host::Value::Kind::Number: {
            std::ostringstream s;
            s.precision(17);
            s << v.number;
            return s.str();
        }
        case host::Value::Kind::Text: return "\"" + v.text + "\"";
        case host::Value::Kind::Boolean: return v.boolean ? "TRUE" : "FALSE";
        case host::Value::Kind::Error: return std::string(host::errorText(v.error));
    }
    return "?";
}

// Reads an expected value: a number, "text" (\" for a quote), TRUE, FALSE, #ERROR, empty.
host::Value expected(const std::string& s) {
    if (s == "empty") return host::Value::empty();
    if (s == "TRUE" || s == "FALSE") return host::Value::fromBoolean(s == "TRUE");
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') {
        std::string t;
        for (std::size_t i = 1; i + 1 < s.size(); ++i) {
            if (s[i] == '\\' && i + 2 < s.size()) ++i;
            t += s[i];
        }
        return host::Value::fromText(t);
    }
    if (auto e = host::errorFromText(s)) return host::Value::fromError(*e);
    return host::Value::fromNumber(std::stod(s));
}

bool same(const host::Value& got, const host::Value& want) {
    if (got.isNumber() && want.isNumber()) {
        return std::fabs(got.number - want.number) <= 1e-12 * std::max(1.0, std::fabs(want.number));
    }
    return got == want;
}

TEST(FormulaCases, EveryCaseOfTheFile) {
    const std::string path = std::string(TALLOMER_SOURCE_DIR) + "/tests/host/formula_cases.txt";
    std::ifstream in(path);
    ASSERT_TRUE(in) << "cannot read " << path;
    std::unique_ptr<host::Workbook> book;
    host::Worksheet* sheet = nullptr;
    std::string caseName;
    std::string line;
    int lineNo = 0, cases = 0, checks = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (line.empty() || line[0] == '#') continue;
        const auto sp = line.find(' ');
        const std::string verb = line.substr(0, sp);
        const std::string rest = sp == std::string::npos ? "" : line.substr(sp + 1);
        const std::string where = path + ":" + std::to_string(lineNo) + " [" + caseName + "] " + line;
        if (verb == "case") {
            caseName = rest;
            book = host::Workbook::createDefault();
            sheet = &book->sheet(0);
            ++cases;
            continue;
        }
        ASSERT_NE(sheet, nullptr) << where << ": no case started";
        const auto sp2 = rest.find(' ');
        const std::string cellText = rest.substr(0, sp2);
        const std::string arg = sp2 == std::string::npos ? "" : rest.substr(sp2 + 1);
        if (verb == "array") {
            const auto range = host::parseRange(cellText);
            ASSERT_TRUE(range) << where << ": bad range";
            ++checks;
            try {
                sheet->setArrayFormula(*range, arg);
            } catch (const host::HostError& e) {
                ADD_FAILURE() << where << ": refused: " << e.what();
            }
            continue;
        }
        const auto cell = host::parseAddress(cellText);
        ASSERT_TRUE(cell) << where << ": bad cell";
        ++checks;
        if (verb == "set") {
            try {
                sheet->setTyped(*cell, arg);
            } catch (const host::HostError& e) {
                ADD_FAILURE() << where << ": refused: " << e.what();
            }
        } else if (verb == "clear") {
            sheet->clearContents(*cell);
        } else if (verb == "refuse") {
            const host::Value before = sheet->value(*cell);
            const std::string formulaBefore = sheet->formulaText(*cell);
            try {
                sheet->setTyped(*cell, arg);
                ADD_FAILURE() << where << ": accepted, reads " << describe(sheet->value(*cell));
            } catch (const host::HostError& e) {
                EXPECT_FALSE(std::string(e.what()).empty());
            }
            EXPECT_TRUE(sheet->value(*cell) == before) << where << ": the cell changed";
            EXPECT_EQ(sheet->formulaText(*cell), formulaBefore) << where;
        } else if (verb == "expect") {
            const host::Value got = sheet->value(*cell);
            EXPECT_TRUE(same(got, expected(arg))) << where << ": got " << describe(got);
        } else if (verb == "date") {
            const host::CellValue got = sheet->read(*cell);
            EXPECT_TRUE(same(got.value, expected(arg)) && got.isDate)
                << where << ": got " << describe(got.value) << (got.isDate ? " (date)" : " (not a date)");
        } else if (verb == "formula") {
            EXPECT_EQ(sheet->formulaText(*cell), arg) << where;
        } else {
            ADD_FAILURE() << where << ": unknown line";
        }
    }
    EXPECT_GE(cases, 30);
    std::cout << cases << " cases, " << checks << " lines\n";
}

}  // namespace
