#pragma once
// An XlsImport that keeps everything the reader hands it, to test the reader on its own.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "xls/formula_render.h"
#include "xls/xls_import.h"

namespace xls_test {

struct RecordedCell {
    enum class Kind { Blank, Number, Text, Boolean, Error, Formula } kind = Kind::Blank;
    host::Value value;         // the constant, or a formula's cached result
    std::uint16_t xf = 0;
    std::vector<std::uint8_t> tokens;
    bool relativeForms = false;
    bool partOfArray = false;
    const void* shareKey = nullptr;
    std::string renderedFormula;  // "=..." or "" when the tokens cannot be shown
};

struct RecordedSheet {
    std::string name;
    std::map<std::pair<int, int>, RecordedCell> cells;  // (row, col)
    std::vector<std::pair<std::pair<int, int>, double>> widths;
    host::CellAddress active{};

    const RecordedCell* at(const std::string& a1) const;
};

class RecordingSink : public host::xls::XlsImport {
public:
    bool date1904 = false;
    std::vector<host::Style> styles;
    host::xls::FormulaNames names;
    std::vector<RecordedSheet> sheets;
    int activeSheetIndex = -1;

    void dateSystem1904(bool on) override { date1904 = on; }
    void cellStyles(std::span<const host::Style> s) override { styles.assign(s.begin(), s.end()); }
    void formulaNames(const host::xls::FormulaNames& n) override { names = n; }
    void activeSheet(int index) override { activeSheetIndex = index; }
    void beginSheet(std::string_view name) override { sheets.push_back({std::string(name), {}, {}, {}}); }

    void number(host::CellAddress at, std::uint16_t xf, double v) override {
        put(at, xf, RecordedCell::Kind::Number, host::Value::fromNumber(v));
    }
    void text(host::CellAddress at, std::uint16_t xf, std::string_view v) override {
        put(at, xf, RecordedCell::Kind::Text, host::Value::fromText(std::string(v)));
    }
    void boolean(host::CellAddress at, std::uint16_t xf, bool v) override {
        put(at, xf, RecordedCell::Kind::Boolean, host::Value::fromBoolean(v));
    }
    void error(host::CellAddress at, std::uint16_t xf, host::ErrorCode v) override {
        put(at, xf, RecordedCell::Kind::Error, host::Value::fromError(v));
    }
    void blank(host::CellAddress at, std::uint16_t xf) override { put(at, xf, RecordedCell::Kind::Blank, {}); }
    void formula(host::CellAddress at, std::uint16_t xf, const host::xls::FormulaTokens& f,
                 const host::Value& cached) override {
        RecordedCell& c = put(at, xf, RecordedCell::Kind::Formula, cached);
        c.tokens.assign(f.tokens.begin(), f.tokens.end());
        c.relativeForms = f.relativeForms;
        c.partOfArray = f.partOfArray;
        c.shareKey = f.shareKey;
        c.renderedFormula = host::xls::renderFormula(f.tokens, at, f.relativeForms, names).value_or("");
    }
    void columnWidth(int first, int last, double width) override {
        sheets.back().widths.push_back({{first, last}, width});
    }
    void activeCell(host::CellAddress at) override { sheets.back().active = at; }

    // The XF's number format, for a recorded cell.
    std::string formatOf(const RecordedCell& c) const {
        return c.xf < styles.size() ? styles[c.xf].numberFormat : "General";
    }

private:
    RecordedCell& put(host::CellAddress at, std::uint16_t xf, RecordedCell::Kind kind, host::Value v) {
        RecordedCell& c = sheets.back().cells[{at.row, at.col}];
        c = RecordedCell{};
        c.kind = kind;
        c.xf = xf;
        c.value = std::move(v);
        return c;
    }
};

inline const RecordedCell* RecordedSheet::at(const std::string& a1) const {
    const auto a = host::parseAddress(a1);
    if (!a) return nullptr;
    const auto it = cells.find({a->row, a->col});
    return it == cells.end() ? nullptr : &it->second;
}

}  // namespace xls_test
