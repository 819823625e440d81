#pragma once
// What a file reader finds, handed to a document one item at a time. The interface knows
// cells, styles and the engine's formula code, not any file format: the .xls reader, a reader
// of any other format, the host's importer, the tests' recorders and the fuzz target meet here.
//
// Formulas arrive as the engine's own code (host/formula_code.h). A reader of a format that
// stores formulas as binary tokens decodes them; a reader of a format that stores them as A1
// text parses the text as typed into the formula's own cell, `parseFormula(text, at)`, and
// hands over the result. Either way the code is position-independent (a relative reference
// holds an offset from its cell), so a formula that serves many cells is passed once, as a
// shared formula with an index, and each of its cells names that index.
#include <cstdint>
#include <span>
#include <string_view>

#include "host/address.h"
#include "host/formula_code.h"
#include "host/style.h"
#include "host/value.h"

namespace host {

class WorkbookImport {
public:
    virtual ~WorkbookImport() = default;

    virtual void dateSystem1904(bool) {}
    // The cell formats; every cell names one by its index here (`style`).
    virtual void cellStyles(std::span<const Style> styles) { (void)styles; }
    // The sheet the user had active, counted among the worksheets passed, from 0.
    virtual void activeSheet(int index) { (void)index; }
    // A defined name (its sheet counted among the worksheets passed), after the sheets.
    virtual void definedName(std::string_view name, int sheet, std::string_view formula) {
        (void)name;
        (void)sheet;
        (void)formula;
    }

    // A worksheet begins; the cells, shared formulas, widths and selection that follow belong to it.
    virtual void beginSheet(std::string_view name) = 0;
    virtual void endSheet() {}
    // How many rows and columns the sheet's cells span, as the file states it ahead of them:
    // a hint to take room at once, never a limit (a damaged file may say anything).
    virtual void sheetExtent(int rows, int cols) {
        (void)rows;
        (void)cols;
    }

    virtual void number(CellAddress at, std::uint16_t style, double value) = 0;
    virtual void text(CellAddress at, std::uint16_t style, std::string_view value) = 0;
    virtual void boolean(CellAddress at, std::uint16_t style, bool value) = 0;
    virtual void error(CellAddress at, std::uint16_t style, ErrorCode value) = 0;
    virtual void blank(CellAddress at, std::uint16_t style) = 0;

    // A formula of this cell alone. `cached` is the result the file stored (Empty when it
    // stored none); an opaque code (tokens the engine does not know) keeps it as the value.
    virtual void formula(CellAddress at, std::uint16_t style, const FormulaPtr& code, const Value& cached) = 0;
    // The code of shared formula `index` of the current sheet (indexes count from 0 per sheet),
    // given before the first cell that names it. Never opaque.
    virtual void sharedFormula(int index, const FormulaPtr& code) = 0;
    // A cell of shared formula `index`.
    virtual void sharedFormulaCell(CellAddress at, std::uint16_t style, int index, const Value& cached) = 0;

    // Width in characters of the standard font, for columns first..last.
    virtual void columnWidth(int firstCol, int lastCol, double width) = 0;
    virtual void activeCell(CellAddress at) { (void)at; }
};

}  // namespace host
