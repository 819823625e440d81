#pragma once
// A WorkbookImport that keeps everything the reader hands it, to test the reader on its own.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/workbook_import.h"

namespace xls_test {

struct RecordedCell {
    enum class Kind { Blank, Number, Text, Boolean, Error, Formula } kind = Kind::Blank;
    host::Value value;  // the constant, or a formula's cached result
    std::uint16_t xf = 0;
    host::FormulaPtr code;
    int sharedIndex = -1;  // the shared formula it was passed as, -1 for a formula of its own
    std::string renderedFormula;  // "=...", as the code reads back in its cell
};

struct RecordedSheet {
    std::string name;
    std::map<std::pair<int, int>, RecordedCell> cells;  // (row, col)
    std::vector<std::pair<std::pair<int, int>, double>> widths;
    host::CellAddress active{};

    const RecordedCell* at(const std::string& a1) const;
};

class RecordingSink : public host::WorkbookImport {
public:
    bool date1904 = false;
    std::vector<host::Style> styles;
    std::vector<RecordedSheet> sheets;
    int activeSheetIndex = -1;

    void dateSystem1904(bool on) override { date1904 = on; }
    void cellStyles(std::span<const host::Style> s) override { styles.assign(s.begin(), s.end()); }
    void activeSheet(int index) override { activeSheetIndex = index; }
    void beginSheet(std::string_view name) override {
        sheets.push_back({std::string(name), {}, {}, {}});
        sharedCodes.clear();
    }

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
    void formula(host::CellAddress at, std::uint16_t xf, const host::FormulaPtr& code,
                 const host::Value& cached) override {
        RecordedCell& c = put(at, xf, RecordedCell::Kind::Formula, cached);
        c.code = code;
        c.renderedFormula = code->opaque ? code->text : host::formulaText(*code, at);
    }
    void sharedFormula(int index, const host::FormulaPtr& code) override { sharedCodes[index] = code; }
    void sharedFormulaCell(host::CellAddress at, std::uint16_t xf, int index, const host::Value& cached) override {
        formula(at, xf, sharedCodes.at(index), cached);
        sheets.back().cells[{at.row, at.col}].sharedIndex = index;
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
    std::map<int, host::FormulaPtr> sharedCodes;  // of the current sheet
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
