#pragma once
// Shows BIFF8 formula tokens as formula text, for formulas the engine cannot compute
// (3-D references, names, functions it lacks).
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "host/address.h"
#include "xls/formula_tokens.h"

namespace host::xls {

// "=Sheet2!A1+1" for the cell at `owner`; nullopt when the tokens cannot be read.
// `relativeForms`: tRefN/tAreaN and 3-D references hold offsets from `owner` (shared formulas).
std::optional<std::string> renderFormula(std::span<const std::uint8_t> tokens, CellAddress owner, bool relativeForms,
                                         const FormulaNames& names);

// The size in bytes of the token at `tokens[0]` with its operands, or 0 when the token is
// unknown or runs past the end.
std::size_t tokenSize(std::span<const std::uint8_t> tokens);

// A reference field of a token (row, then column with its relative flags in bits 14 and 15),
// resolved to a cell. In relative forms the row and column are offsets from `owner`, wrapping
// around the sheet as the format does.
struct RefField {
    CellAddress cell;
    bool rowRelative = false;
    bool colRelative = false;
};
RefField readRefField(std::uint16_t row, std::uint16_t col, CellAddress owner, bool relativeForm);

}  // namespace host::xls
