#include "xls/formula_import.h"

#include "formula/intern.h"

namespace host::xls {

namespace {
// xlwt and other writers that compute nothing store every formula with the "empty text"
// result and no STRING record: such a formula has no result worth keeping, and the engine
// computes it whenever it can. Excel stores an empty text only when the formula gave one.
bool storedResult(const Value& cached) { return !(cached.isText() && cached.text.empty()); }
}  // namespace

FormulaImport::FormulaImport(const FormulaNames& names, WorkbookImport& sink, OpaqueFormulas* opaque, int sheet)
    : names_(names), sink_(sink), opaque_(opaque), sheet_(sheet), lastShared_(kMaxColumns) {}

FormulaPtr FormulaImport::decode(CellAddress at, const FormulaTokens& tokens) {
    OpaqueBytes bytes;
    FormulaPtr code = decodeFormula(tokens, at, names_, opaque_ ? &bytes : nullptr);
    if (code->opaque && opaque_) opaque_->keep(sheet_, at, code, std::move(bytes));
    return code;
}

FormulaPtr FormulaImport::keep(CellAddress at, const FormulaTokens& tokens) {
    OpaqueBytes bytes;
    FormulaPtr code = keptFormula(tokens, at, names_, opaque_ ? &bytes : nullptr);
    if (opaque_) opaque_->keep(sheet_, at, code, std::move(bytes));
    return code;
}

void FormulaImport::formula(CellAddress at, std::uint16_t xf, const FormulaTokens& tokens, const Value& cached) {
    if (tokens.array) {
        arrayCell(at, xf, tokens, cached);
    } else if (tokens.partOfArray) {
        sink_.formula(at, xf, decode(at, tokens), cached);
    } else if (tokens.shareKey) {
        shared(at, xf, tokens, cached);
    } else {
        plain(at, xf, tokens, cached);
    }
}

void FormulaImport::shared(CellAddress at, std::uint16_t xf, const FormulaTokens& tokens, const Value& cached) {
    // One decoding serves every cell of a shared formula: its references are offsets, so the
    // code is the same wherever it stands, unless an offset reaches past the sheet's edge.
    LastShared& last = lastShared_[static_cast<std::size_t>(at.col)];
    if (tokens.shareKey != last.key) {
        SharedCode& entry = sharedCodes_[tokens.shareKey];
        if (!entry.code) {
            entry.code = decodeFormula(tokens, at, names_);
            entry.fit = ownersThatFit(*entry.code);
            entry.exact = computedAsExcel(*entry.code);
            if (!entry.code->opaque) {
                entry.index = nextIndex_++;
                sink_.sharedFormula(entry.index, entry.code);
            }
        }
        last = {tokens.shareKey, &entry};
    }
    if (!last.code->exact && last.code->index >= 0 && storedResult(cached)) {
        sink_.formula(at, xf, keep(at, tokens), cached);
        return;
    }
    if (last.code->index < 0 || !last.code->fit.contains(at)) {
        sink_.formula(at, xf, decode(at, tokens), cached);
        return;
    }
    sink_.sharedFormulaCell(at, xf, last.code->index, cached);
}

void FormulaImport::arrayCell(CellAddress at, std::uint16_t xf, const FormulaTokens& tokens, const Value& cached) {
    const auto [it, added] = arrayCodes_.try_emplace(tokens.shareKey);
    if (added) {
        FormulaPtr code = decodeArrayFormula(tokens, names_);
        if (code && computedAsExcel(*code)) it->second = formula::intern(code);
    }
    if (it->second) {
        sink_.formula(at, xf, it->second, cached);
    } else {
        sink_.formula(at, xf, keep(at, tokens), cached);
    }
}

void FormulaImport::plain(CellAddress at, std::uint16_t xf, const FormulaTokens& tokens, const Value& cached) {
    // The data after the tokens (array constants' values) is no part of a formula's shape.
    const bool byShape = tokens.extra.empty();
    if (const FormulaPtr* same = byShape ? plainCodes_.find(tokens.tokens, at) : nullptr) {
        if (computedAsExcel(**same) || !storedResult(cached))
            sink_.formula(at, xf, *same, cached);
        else
            sink_.formula(at, xf, keep(at, tokens), cached);
        return;
    }
    FormulaPtr code = decode(at, tokens);
    // An opaque code's bytes are this cell's own: it serves no other cell. Another is handed
    // to the rows below as the interned code, which the sheet then already holds.
    if (!code->opaque) code = formula::intern(code);
    if (!code->opaque && storedResult(cached) && !computedAsExcel(*code)) {
        sink_.formula(at, xf, keep(at, tokens), cached);
    } else {
        sink_.formula(at, xf, code, cached);
    }
    if (!code->opaque && byShape) plainCodes_.remember(tokens.tokens, at, std::move(code));
}

}  // namespace host::xls
