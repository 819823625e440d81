// The functions the engine computes, their argument counts and whether they compute as Excel
// does, in FunctionId order.
#include "host/function_table.h"
#include "formula/array_functions.h"
#include "formula/number_format_text.h"
#include "host/formula_code.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <cstdlib>

namespace host {

namespace {
constexpr std::array<FunctionInfo, 55> kFunctions{{
    {"COUNT", FunctionId::Count, 0, 30, true},
    {"IF", FunctionId::If, 2, 3, true},
    {"ISNA", FunctionId::IsNa, 1, 1, true},
    {"ISERROR", FunctionId::IsError, 1, 1, true},
    {"SUM", FunctionId::Sum, 0, 30, true},
    {"AVERAGE", FunctionId::Average, 1, 30, true},
    {"MIN", FunctionId::Min, 1, 30, true},
    {"MAX", FunctionId::Max, 1, 30, true},
    {"NA", FunctionId::Na, 0, 0, true},
    {"PI", FunctionId::Pi, 0, 0, true},
    {"SQRT", FunctionId::Sqrt, 1, 1, true},
    {"EXP", FunctionId::Exp, 1, 1, true},
    {"LN", FunctionId::Ln, 1, 1, true},
    {"LOG10", FunctionId::Log10, 1, 1, true},
    {"ABS", FunctionId::Abs, 1, 1, true},
    {"INT", FunctionId::Int, 1, 1, true},
    {"SIGN", FunctionId::Sign, 1, 1, true},
    {"ROUND", FunctionId::Round, 2, 2, true},
    {"LEN", FunctionId::Len, 1, 1, true},
    {"VALUE", FunctionId::Value, 1, 1, true},
    {"AND", FunctionId::And, 1, 30, true},
    {"OR", FunctionId::Or, 1, 30, true},
    {"NOT", FunctionId::Not, 1, 1, true},
    {"MOD", FunctionId::Mod, 2, 2, true},
    {"DATE", FunctionId::Date, 3, 3, true},
    {"DAY", FunctionId::Day, 1, 1, true},
    {"MONTH", FunctionId::Month, 1, 1, true},
    {"YEAR", FunctionId::Year, 1, 1, true},
    {"CHOOSE", FunctionId::Choose, 2, 30, true},
    {"LOWER", FunctionId::Lower, 1, 1, false},  // letters beyond ASCII keep their case here
    {"UPPER", FunctionId::Upper, 1, 1, false},
    {"ISERR", FunctionId::IsErr, 1, 1, true},
    {"ISTEXT", FunctionId::IsText, 1, 1, true},
    {"ISNUMBER", FunctionId::IsNumber, 1, 1, true},
    {"ISBLANK", FunctionId::IsBlank, 1, 1, true},
    {"COUNTA", FunctionId::CountA, 0, 30, true},
    {"PRODUCT", FunctionId::Product, 0, 30, true},
    {"ISNONTEXT", FunctionId::IsNonText, 1, 1, true},
    {"TRUNC", FunctionId::Trunc, 1, 2, true},
    {"ISLOGICAL", FunctionId::IsLogical, 1, 1, true},
    {"ROUNDUP", FunctionId::RoundUp, 2, 2, true},
    {"ROUNDDOWN", FunctionId::RoundDown, 2, 2, true},
    {"CONCATENATE", FunctionId::Concatenate, 0, 30, true},
    {"POWER", FunctionId::Power, 2, 2, true},
    {"SUMIF", FunctionId::SumIf, 2, 3, true},
    {"COUNTIF", FunctionId::CountIf, 2, 2, true},
    {"AVERAGEIF", FunctionId::AverageIf, 2, 3, true},
    {"SUMPRODUCT", FunctionId::SumProduct, 1, 30, true},
    {"VLOOKUP", FunctionId::VLookup, 3, 4, false, true},
    {"MATCH", FunctionId::Match, 2, 3, false, true},
    {"INDEX", FunctionId::Index, 2, 3, true},
    {"IFERROR", FunctionId::IfError, 2, 2, true},
    {"WEEKDAY", FunctionId::Weekday, 1, 2, true},
    // Volatile: the day it is, on open too, as Excel gives it when it opens a file.
    {"TODAY", FunctionId::Today, 0, 0, true, false, true},
    // Exact only for a literal format code the formatter renders in full (computedAsExcel).
    {"TEXT", FunctionId::Text, 2, 2, false},
}};

constexpr bool inIdOrder() {
    for (std::size_t i = 0; i < kFunctions.size(); ++i) {
        if (static_cast<std::size_t>(kFunctions[i].id) != i) return false;
    }
    return true;
}
static_assert(inIdOrder(), "the table is indexed by FunctionId");
}  // namespace

const FunctionInfo* functionByName(std::string_view name) {
    for (const auto& f : kFunctions) {
        if (f.name.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) {
            same = std::toupper(static_cast<unsigned char>(name[i])) == f.name[i];
        }
        if (same) return &f;
    }
    return nullptr;
}

const FunctionInfo* functionById(FunctionId id) {
    const auto i = static_cast<std::size_t>(id);
    return i < kFunctions.size() ? &kFunctions[i] : nullptr;
}

bool callsVolatile(const FormulaCode& code) {
    for (const Token& t : code.rpn) {
        if (t.kind != TokenKind::Func) continue;
        const FunctionInfo* f = functionById(t.func);
        if (f && f->isVolatile) return true;
    }
    return false;
}

namespace {
// Whether the ranges of an array formula, and the cells it spans, stay within what the engine
// computes element by element (formula::kMostArrayElements): a result lines up at most the
// most rows of any of its ranges by the most columns of any.
bool arrayWithinEngine(const FormulaCode& code) {
    long rows = code.arrayRange.last.row - code.arrayRange.first.row + 1;  // its own cells too
    long cols = code.arrayRange.last.col - code.arrayRange.first.col + 1;
    for (const Token& t : code.rpn) {
        if (t.kind != TokenKind::Area) continue;
        // The corners' distance is the same from every cell when both are relative or both
        // absolute; a mixed pair may span the whole sheet.
        const long r = t.a.rowRelative == t.b.rowRelative ? std::labs(long(t.b.row) - t.a.row) + 1 : kMaxRows;
        const long c = t.a.colRelative == t.b.colRelative ? std::labs(long(t.b.col) - t.a.col) + 1 : kMaxColumns;
        rows = std::max(rows, r);
        cols = std::max(cols, c);
    }
    return rows * cols <= formula::kMostArrayElements;
}
}  // namespace

bool computedAsExcel(const FormulaCode& code) {
    if (code.opaque) return false;
    if (code.array && !arrayWithinEngine(code)) return false;
    if (!code.array && !formula::arrayConstantsExact(code.rpn)) return false;
    for (std::size_t i = 0; i < code.rpn.size(); ++i) {
        const Token& t = code.rpn[i];
        if (t.kind != TokenKind::Func) continue;
        const FunctionInfo* f = functionById(t.func);
        if (!f) return false;
        if (code.array) {  // element by element: only what is tested there
            if (!f->exact || !formula::exactInArrays(t.func)) return false;
            continue;
        }
        if (t.func == FunctionId::SumProduct && !formula::arrayArgumentsExact(code.rpn)) return false;
        if (f->exact) continue;
        if (t.func == FunctionId::Text && i > 0) {  // a literal format code, fully rendered
            const Token& format = code.rpn[i - 1];
            if (format.kind == TokenKind::String && format.string < code.strings.size() &&
                formula::formatCodeHandled(code.strings[format.string])) {
                continue;
            }
            return false;
        }
        if (!f->exactWhenMatchingExactly || t.argc != f->maxArgs || i == 0) return false;
        const Token& last = code.rpn[i - 1];  // a literal last argument is the token before the call
        const bool zero =
            (last.kind == TokenKind::Number && last.number == 0) || (last.kind == TokenKind::Boolean && !last.boolean);
        if (!zero) return false;
    }
    return true;
}

}  // namespace host
