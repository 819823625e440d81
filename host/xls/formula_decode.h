#pragma once
// BIFF8 formula tokens to the host's compiled formulas.
#include <cstdint>

#include "host/formula_code.h"
#include "xls/formula_tokens.h"
#include "xls/opaque_formulas.h"

namespace host::xls {

// Decodes the tokens of the formula in the cell at `owner`. References come out relative to
// `owner` where the file marks them relative. Tokens the engine cannot compute give an opaque
// code with a rendering of the formula for display, and `kept`, when given, gets the bytes to
// write back: the tokens as valid in `owner` (relative N forms made absolute) and the data
// after them. Never throws on bad tokens: what cannot be read is opaque.
FormulaPtr decodeFormula(const FormulaTokens& formula, CellAddress owner, const FormulaNames& names,
                         OpaqueBytes* kept = nullptr);

// The code an array formula's cells share (FormulaCode::array), its references counted from
// the range's first cell; nullptr when its tokens are ones the engine does not compute.
FormulaPtr decodeArrayFormula(const FormulaTokens& formula, const FormulaNames& names);

// The opaque code of a formula the engine decodes but does not compute as Excel does: the
// cell keeps the result the file stored, and the writer these tokens.
FormulaPtr keptFormula(const FormulaTokens& formula, CellAddress owner, const FormulaNames& names,
                       OpaqueBytes* kept = nullptr);

// The cells from which every reference of a code points inside the sheet: a code decoded for
// one cell of a shared formula serves another cell only when that cell is among them.
struct OwnersThatFit {
    int firstRow = 0, lastRow = kMaxRows - 1;
    int firstCol = 0, lastCol = kMaxColumns - 1;
    bool contains(CellAddress a) const {
        return a.row >= firstRow && a.row <= lastRow && a.col >= firstCol && a.col <= lastCol;
    }
};
OwnersThatFit ownersThatFit(const FormulaCode& code);
bool referencesFitSheet(const FormulaCode& code, CellAddress owner);

}  // namespace host::xls
