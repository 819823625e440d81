#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "host/address.h"
#include "host/formula_code.h"
#include "host/style.h"
#include "host/value.h"

namespace host {

inline constexpr double kDefaultColumnWidth = 8.43;

// What one cell holds, as the .xls writer and the dump tool see it.
struct CellView {
    CellAddress at;
    enum class Kind : std::uint8_t { Blank, Constant, Formula } kind = Kind::Blank;  // Blank: styled, no content
    Value value;  // the constant, or the formula's current (or cached) result
    const FormulaCode* formula = nullptr;  // Formula only
    std::uint16_t style = 0;  // index into the workbook's StyleTable
};

// One cell's fields as the sheet stores them, for a walk over a large sheet that builds no
// Value (and copies no text) per cell.
struct CellFields {
    int col = 0;
    CellView::Kind kind = CellView::Kind::Blank;
    Value::Kind valueKind = Value::Kind::Empty;  // of the constant or the formula's result
    std::uint16_t style = 0;
    double number = 0;  // Number; Boolean 1 or 0; Error its code
    std::string_view text;  // Text; valid until the sheet changes
    const FormulaCode* formula = nullptr;  // Formula only

    bool boolean() const { return number != 0; }
    ErrorCode error() const { return static_cast<ErrorCode>(static_cast<int>(number)); }
};

// One worksheet: its cells, formats, column widths and its own active cell.
// Every change recomputes, at once, the formulas that depend on it (directly or through other
// formulas) and only those, and the volatile ones (TODAY) of every sheet of the workbook; a circular reference gives the cells in it the error #REF!, and
// formulas that read those cells compute with that error.
class Worksheet {
public:
    Worksheet(std::string name, StyleTable& styles);
    ~Worksheet();
    Worksheet(const Worksheet&) = delete;
    Worksheet& operator=(const Worksheet&) = delete;

    const std::string& name() const { return name_; }

    // --- contents ---------------------------------------------------------------------
    // Takes text as if typed: "=..." a formula (refused with HostError if it cannot be
    // parsed, nothing stored), a number, a month/day/year date (stored as its serial with a
    // short-date format), else text. The empty text clears the cell's content.
    void setTyped(CellAddress at, std::string_view text);
    void setValue(CellAddress at, const Value& value);  // a constant (Empty clears)
    void setNumber(CellAddress at, double number);  // setValue for the commonest constant
    // A formula. `cached` is what the file said the result was: kept only while the formula
    // cannot be computed (an opaque formula), otherwise the engine's result replaces it.
    void setFormula(CellAddress at, const FormulaPtr& code, const Value& cached = Value::empty());
    void clearContents(CellAddress at);  // keeps the cell's style
    // An array formula over `range`, as entered with Ctrl+Shift+Enter: "=..." typed into its
    // first cell, computed element by element, each cell of the range showing its element.
    // Refused with HostError (nothing changed) for text that is no formula.
    void setArrayFormula(const CellRange& range, std::string_view text);

    CellView cell(CellAddress at) const;
    Value value(CellAddress at) const;  // current value; a formula's result
    CellValue read(CellAddress at) const;  // value plus whether its format makes it a date
    std::string formulaText(CellAddress at) const;  // "=..." for a formula cell, else ""
    // The formula's code in the cell, null when it holds none. Cells of one shape (the same
    // formula moved down or across) share one code. Safe alongside the row walks below.
    const FormulaCode* formulaAt(CellAddress at) const;

    // Every cell that has content or a style other than the default, in row-major order.
    void forEachCell(const std::function<void(const CellView&)>& visit) const;
    // The same cells in the same order, a row at a time: `visit(row, cells)` for each row
    // that has any, its cells in column order (the span lives until the call returns). Only
    // rows firstRow to endRow - 1 when given. Walks of separate rows may run at the same time
    // on separate threads, as long as nothing changes the sheet meanwhile.
    template <class Visit>
    void forEachRowOfCells(Visit&& visit, int firstRow = 0, int endRow = kMaxRows) const {
        using V = std::remove_reference_t<Visit>;
        walkRows([](void* v, int row, std::span<const CellFields> cells) { (*static_cast<V*>(v))(row, cells); },
                 const_cast<void*>(static_cast<const void*>(&visit)), firstRow, endRow);
    }
    // A row count that every cell lies within (it may be somewhat more than the last used row).
    int rowExtent() const;
    // The smallest rectangle holding every visited cell; nullopt for an empty sheet.
    std::optional<CellRange> usedRange() const;

    // --- formats ----------------------------------------------------------------------
    std::uint16_t styleIndex(CellAddress at) const;
    void setStyleIndex(CellAddress at, std::uint16_t index);
    const Style& style(CellAddress at) const;
    // Change one property over a rectangle, keeping each cell's other properties.
    void setBold(const CellRange& range, bool bold);
    void setAlignment(const CellRange& range, HAlign align);
    void setNumberFormat(const CellRange& range, const std::string& format);

    double columnWidth(int col) const;  // in characters of the standard font
    void setColumnWidth(int col, double width);

    // --- the active cell --------------------------------------------------------------
    CellAddress activeCell() const { return active_; }
    void selectCell(CellAddress at) { active_ = at; }

    // --- loading ----------------------------------------------------------------------
    // While loading, changes are not recomputed; endLoad() computes every formula once, in
    // dependency order. The reader uses this so a large file is computed once, not per cell.
    // An array formula missing from a cell of its range leaves its other cells their values.
    void beginLoad();
    void endLoad();
    // While loading: the rows and columns the cells to come will span, so the store takes its
    // room once instead of growing step by step. Only a hint; values are capped to the sheet.
    void reserveForLoad(int rows, int cols);
    // While loading: a number, or a formula with the result the file gave, and the cell's
    // style, in one step. A cell loaded twice, or anything out of the ordinary, takes the
    // general way (setNumber, setFormula, setStyleIndex).
    void loadNumber(CellAddress at, double number, std::uint16_t styleIndex);
    void loadFormula(CellAddress at, const FormulaPtr& code, const Value& cached, std::uint16_t styleIndex);
    void recalculateAll();
    // How many formula computations this sheet has made: lets tests see that a change
    // recomputes only what depends on it.
    std::uint64_t formulasComputed() const;

    StyleTable& styles() { return *styles_; }
    const StyleTable& styles() const { return *styles_; }

private:
    friend class Workbook;
    using RowVisit = void (*)(void* context, int row, std::span<const CellFields> cells);
    void keepBrokenArraysAsValues();
    void walkRows(RowVisit visit, void* context, int firstRow, int endRow) const;
    // After a change at `at`: what depends on it, and the volatile formulas of this sheet and
    // of the others of its workbook.
    void recomputeAfterChange(CellAddress at);

    struct Store;  // cell storage, dependency index and recalculation
    std::string name_;
    StyleTable* styles_;
    std::unique_ptr<Store> store_;
    CellAddress active_{};
    // The sheets of the workbook this sheet belongs to (itself among them); null for a sheet
    // of its own.
    const std::vector<std::unique_ptr<Worksheet>>* workbookSheets_ = nullptr;
};

}  // namespace host
