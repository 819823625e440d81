#pragma once
// A FORMULA record's tokens as the .xls reader finds them, and the names they can refer to:
// what the reader decodes into the engine's code before a document sees the formula.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace host::xls {

// Names a formula's tokens can refer to, gathered from the workbook globals, so that a
// formula the engine cannot compute can still be shown ("=Sheet2!A1+1").
struct FormulaNames {
    struct ExternSheet {
        std::uint16_t supBook = 0;
        int firstSheet = 0;
        int lastSheet = 0;
    };
    std::vector<std::string> sheetNames;  // every sheet of the workbook, in order
    std::vector<ExternSheet> externSheets;  // EXTERNSHEET entries, by ixti
    std::vector<bool> supBookIsOwnWorkbook;  // SUPBOOK records, in order
    std::vector<bool> supBookIsAddIn;  // ... the add-in SUPBOOK, whose names are functions
    std::vector<std::vector<std::string>> externNames;  // by SUPBOOK: its EXTERNNAME records' names
    std::vector<std::string> definedNames;  // NAME records, in order (tName counts from 1)
};

// A FORMULA record's tokens, with shared and array formulas already resolved.
struct FormulaTokens {
    std::span<const std::uint8_t> tokens;  // the rgce
    std::span<const std::uint8_t> extra;  // the rgcb: array constants after the tokens
    bool relativeForms = false;  // from SHRFMLA: tRefN/tAreaN are offsets from the cell
    bool partOfArray = false;  // one cell of a multi-cell array formula
    bool array = false;  // from ARRAY: an array formula, of one cell or many
    int arrayFirstRow = 0, arrayLastRow = 0, arrayFirstCol = 0, arrayLastCol = 0;  // its cells
    // Not null when these tokens serve many cells (one SHRFMLA or ARRAY record): the same
    // key always comes with the same tokens, so a document may decode them once.
    const void* shareKey = nullptr;
};

}  // namespace host::xls
