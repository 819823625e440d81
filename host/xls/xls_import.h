#pragma once
// What the .xls reader finds, handed to a document one item at a time. The reader knows
// records and tokens, not documents: the host's importer, the dump tool's tests and the fuzz
// target each implement this interface.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/address.h"
#include "host/formula_code.h"
#include "host/style.h"
#include "host/value.h"

namespace host::xls {

// Names a formula's tokens can refer to, gathered from the workbook globals, so that a
// formula the engine cannot compute can still be shown ("=Sheet2!A1+1").
struct FormulaNames {
    struct ExternSheet {
        std::uint16_t supBook = 0;
        int firstSheet = 0;
        int lastSheet = 0;
    };
    std::vector<std::string> sheetNames;      // every sheet of the workbook, in order
    std::vector<ExternSheet> externSheets;    // EXTERNSHEET entries, by ixti
    std::vector<bool> supBookIsOwnWorkbook;   // SUPBOOK records, in order
    std::vector<std::string> definedNames;    // NAME records, in order (tName counts from 1)
};

// A FORMULA record's tokens, with shared and array formulas already resolved.
struct FormulaTokens {
    std::span<const std::uint8_t> tokens;  // the rgce
    std::span<const std::uint8_t> extra;   // the rgcb: array constants after the tokens
    bool relativeForms = false;            // from SHRFMLA: tRefN/tAreaN are offsets from the cell
    bool partOfArray = false;              // one cell of a multi-cell array formula
    // Not null when these tokens serve many cells (one SHRFMLA or ARRAY record): the same
    // key always comes with the same tokens, so a document may decode them once.
    const void* shareKey = nullptr;
};

class XlsImport {
public:
    virtual ~XlsImport() = default;

    virtual void dateSystem1904(bool) {}
    // The cell formats, indexed by the XF number every cell record carries.
    virtual void cellStyles(std::span<const Style> styles) { (void)styles; }
    virtual void formulaNames(const FormulaNames& names) { (void)names; }
    // The link tables (SUPBOOK, EXTERNSHEET, NAME and EXTERNNAME records), each whole with its
    // header and CONTINUE records, in file order: the tokens of 3-D references and names point
    // into them, so a document that keeps such formulas keeps these too.
    virtual void linkRecords(std::span<const std::span<const std::uint8_t>> records) { (void)records; }
    // The sheet the user had active, counted among the worksheets read, from 0.
    virtual void activeSheet(int index) { (void)index; }

    // A worksheet begins; the cells, widths and selection that follow belong to it.
    virtual void beginSheet(std::string_view name) = 0;
    virtual void endSheet() {}
    // How many rows and columns the sheet's cells span, as the file states it ahead of them:
    // a hint to take room at once, never a limit (a damaged file may say anything).
    virtual void sheetExtent(int rows, int cols) { (void)rows; (void)cols; }

    virtual void number(CellAddress at, std::uint16_t xf, double value) = 0;
    virtual void text(CellAddress at, std::uint16_t xf, std::string_view value) = 0;
    virtual void boolean(CellAddress at, std::uint16_t xf, bool value) = 0;
    virtual void error(CellAddress at, std::uint16_t xf, ErrorCode value) = 0;
    virtual void blank(CellAddress at, std::uint16_t xf) = 0;
    // `cached` is the result the writer stored (Empty when it stored none).
    virtual void formula(CellAddress at, std::uint16_t xf, const FormulaTokens& tokens, const Value& cached) = 0;
    // A formula already in the engine's code, as a reader of formula text makes it (the
    // .xlsx reader, through the host's parser). An opaque code keeps `cached`.
    virtual void formulaCode(CellAddress at, std::uint16_t xf, const FormulaPtr& code, const Value& cached) {
        (void)at, (void)xf, (void)code, (void)cached;
    }

    // Width in characters of the standard font, for columns first..last.
    virtual void columnWidth(int firstCol, int lastCol, double width) = 0;
    virtual void activeCell(CellAddress at) { (void)at; }
};

}  // namespace host::xls
