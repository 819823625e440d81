#pragma once
// Turns the formulas of one sheet, as the .xls reader finds their tokens, into the engine's
// code for a WorkbookImport: a shared formula decoded once and passed with its index, a
// formula that repeats the one above it moved down a row recognised without decoding again.
#include <unordered_map>
#include <vector>

#include "host/workbook_import.h"
#include "xls/formula_decode.h"
#include "xls/formula_shape_cache.h"
#include "xls/formula_tokens.h"

namespace host::xls {

class FormulaImport {
public:
    // The bytes of formulas the engine does not compute go to `opaque` (when given), under
    // `sheet`, for the writer.
    FormulaImport(const FormulaNames& names, WorkbookImport& sink, OpaqueFormulas* opaque, int sheet);

    void formula(CellAddress at, std::uint16_t xf, const FormulaTokens& tokens, const Value& cached);

private:
    void shared(CellAddress at, std::uint16_t xf, const FormulaTokens& tokens, const Value& cached);
    void plain(CellAddress at, std::uint16_t xf, const FormulaTokens& tokens, const Value& cached);
    // A cell of an array formula: computed when the engine computes all of it as Excel does,
    // else it keeps the result the file stored.
    void arrayCell(CellAddress at, std::uint16_t xf, const FormulaTokens& tokens, const Value& cached);
    // Decodes the formula of this one cell, keeping its bytes when it is opaque.
    FormulaPtr decode(CellAddress at, const FormulaTokens& tokens);
    // The opaque code of a formula that keeps the result the file stored, its bytes kept.
    FormulaPtr keep(CellAddress at, const FormulaTokens& tokens);

    const FormulaNames& names_;
    WorkbookImport& sink_;
    OpaqueFormulas* opaque_;
    int sheet_;
    // A shared formula's code, decoded once, its index for the sink, and the cells it serves
    // as it is; index -1 when the code serves no cell but its own (opaque).
    struct SharedCode {
        int index = -1;
        FormulaPtr code;
        OwnersThatFit fit;
        bool exact = true;  // computed as Excel does: cells with a stored result keep it otherwise
    };
    std::unordered_map<const void*, SharedCode> sharedCodes_;
    // Array formulas by their ARRAY record: the code all their cells share, null when kept.
    std::unordered_map<const void*, FormulaPtr> arrayCodes_;
    int nextIndex_ = 0;
    // Cells of one shared formula come in a run down a column: the last one per column.
    struct LastShared {
        const void* key = nullptr;
        const SharedCode* code = nullptr;
    };
    std::vector<LastShared> lastShared_;
    FormulaShapeCache plainCodes_;
};

}  // namespace host::xls
