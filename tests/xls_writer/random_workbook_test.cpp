// Random workbooks, every kind of value the writer has a record for, read back by xlrd:
// numbers at the edges of the RK forms, strings that cross CONTINUE boundaries at random
// places, wide and compressed text, booleans and all the error values.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "host/workbook.h"
#include "host/workbook_files.h"
#include "test_clients.h"

namespace fs = std::filesystem;
using namespace writer_test;

namespace {

std::string utf8(char32_t c) {
    std::string s;
    if (c < 0x80)
        s += char(c);
    else if (c < 0x800) {
        s += char(0xC0 | c >> 6);
        s += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += char(0xE0 | c >> 12);
        s += char(0x80 | (c >> 6 & 0x3F));
        s += char(0x80 | (c & 0x3F));
    } else {
        s += char(0xF0 | c >> 18);
        s += char(0x80 | (c >> 12 & 0x3F));
        s += char(0x80 | (c >> 6 & 0x3F));
        s += char(0x80 | (c & 0x3F));
    }
    return s;
}

std::string jsonText(const std::string& s) {
    std::string o = "\"";
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char b = s[i];
        char32_t c;
        int n;
        if (b < 0x80) {
            c = b;
            n = 1;
        } else if (b < 0xE0) {
            c = b & 0x1F;
            n = 2;
        } else if (b < 0xF0) {
            c = b & 0x0F;
            n = 3;
        } else {
            c = b & 0x07;
            n = 4;
        }
        for (int k = 1; k < n; ++k) c = c << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        i += n;
        char buf[16];
        if (c >= 0x10000) {
            std::snprintf(buf, sizeof buf, "\\u%04x\\u%04x", unsigned(0xD800 + ((c - 0x10000) >> 10)),
                          unsigned(0xDC00 + ((c - 0x10000) & 0x3FF)));
            o += buf;
        } else if (c == '"' || c == '\\') {
            o += '\\';
            o += char(c);
        } else if (c >= 0x20 && c < 0x7F) {
            o += char(c);
        } else {
            std::snprintf(buf, sizeof buf, "\\u%04x", unsigned(c));
            o += buf;
        }
    }
    return o + "\"";
}

class RandomContent {
public:
    explicit RandomContent(unsigned seed) : rng_(seed) {}

    double number() {
        switch (pick(8)) {
            case 0: return double(int(pick(1u << 30)) - (1 << 29));  // around the RK integer range
            case 1: return double((1 << 29) + int(pick(5)) - 2);  // just inside and outside it
            case 2: return double(-(1 << 29) + int(pick(5)) - 2);
            case 3: return (int(pick(2000000)) - 1000000) / 100.0;  // cents
            case 4: return std::uniform_real_distribution<double>(-1e6, 1e6)(rng_);
            case 5: return std::ldexp(1.0, int(pick(600)) - 300);  // tiny to huge powers of two
            case 6: return pick(2) ? -0.0 : 0.0;
            default: return std::uniform_real_distribution<double>(0, 1)(rng_) * 1e15;
        }
    }

    std::string text() {
        const std::size_t length = pick(10) == 0 ? 3000 + pick(9000) : pick(40);
        const bool wide = pick(3) == 0;
        std::string s;
        for (std::size_t i = 0; i < length; ++i) {
            char32_t c = wide ? char32_t(0x20 + pick(0xD7FF - 0x20)) : char32_t(0x20 + pick(0xDF));
            if (c == 0x7F) c = 'x';
            if (wide && pick(50) == 0) c = 0x1F600 + pick(40);  // beyond the basic plane
            s += utf8(c);
        }
        return s;
    }

    std::uint32_t pick(std::uint32_t n) { return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(rng_); }

private:
    std::mt19937 rng_;
};

std::string num(double v) {
    char b[40];
    std::snprintf(b, sizeof b, "%.17g", v);
    return b;
}

const char* const kErrors[] = {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"};
const host::ErrorCode kErrorCodes[] = {host::ErrorCode::Null, host::ErrorCode::Div0, host::ErrorCode::Value,
                                       host::ErrorCode::Ref,  host::ErrorCode::Name, host::ErrorCode::Num,
                                       host::ErrorCode::NA};

}  // namespace

TEST(RandomWorkbooks, EveryValueReadsBackExactly) {
    char tmpl[] = "/tmp/tallomer-random-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    std::string files;
    for (unsigned seed : {1u, 2u, 3u}) {
        RandomContent random(seed);
        auto book = host::Workbook::createDefault();
        std::string expect;
        for (int s = 0; s < book->sheetCount(); ++s) {
            host::Worksheet& sheet = book->sheet(s);
            const std::string name = sheet.name();
            // The third workbook is tall enough for its sheets to be written by two writers at
            // once, with texts that repeat across the rows where they split.
            const unsigned rows = seed == 3 ? 9000 : 300;
            for (int i = 0; i < 1500; ++i) {
                const host::CellAddress at{int(random.pick(rows)), int(random.pick(40))};
                const std::string ref = "\"" + name + "!" + host::formatAddress(at, false) + "\"";
                switch (random.pick(6)) {
                    case 0:
                    case 1:
                    case 2: {
                        const double v = random.number();
                        sheet.setValue(at, host::Value::fromNumber(v));
                        expect += "{\"cell\": " + ref +
                                  ", \"type\": \"number\", \"exact\": true, \"value\": " + num(v) + "}\n";
                        break;
                    }
                    case 3: {
                        const std::string t =
                            random.pick(4) == 0 ? "repeated " + std::to_string(random.pick(5)) : random.text();
                        sheet.setValue(at, host::Value::fromText(t));
                        expect += "{\"cell\": " + ref + ", \"type\": \"text\", \"value\": " + jsonText(t) + "}\n";
                        break;
                    }
                    case 4: {
                        const bool b = random.pick(2);
                        sheet.setValue(at, host::Value::fromBoolean(b));
                        expect +=
                            "{\"cell\": " + ref + ", \"type\": \"bool\", \"value\": " + (b ? "true" : "false") + "}\n";
                        break;
                    }
                    default: {
                        const int e = int(random.pick(7));
                        sheet.setValue(at, host::Value::fromError(kErrorCodes[e]));
                        expect += "{\"cell\": " + ref + ", \"type\": \"error\", \"value\": \"" + kErrors[e] + "\"}\n";
                        break;
                    }
                }
            }
        }
        // Later writes to a cell replace earlier ones: the checker keeps the last line per cell.
        const std::string path = dir + "/random" + std::to_string(seed) + ".xls";
        host::saveWorkbookFile(*book, path);
        std::FILE* f = std::fopen((path + ".expect").c_str(), "w");
        std::fputs(expect.c_str(), f);
        std::fclose(f);
        files += " " + quote(path) + " " + quote(path + ".expect");
    }
    const auto r =
        runCommand("cd " + quote(scriptPath("")) + " && " + systemPython() + " xlrd_expect.py --last-wins" + files);
    EXPECT_EQ(r.status, 0) << r.output.substr(0, 3000);
    fs::remove_all(dir);
}
