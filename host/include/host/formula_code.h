#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/address.h"
#include "host/value.h"

namespace host {

// A compiled formula: tokens in reverse Polish order, the order BIFF8 stores them in, so the
// .xls reader and writer translate token for token.
//
// References are position-independent: a relative row or column holds the offset from the
// cell that owns the formula, an absolute one the zero-based row or column itself. So the
// formulas =C5-E5 in F5 and =C6-E6 in F6 are the same code, and cells of one shape share
// one FormulaCode.

enum class TokenKind : std::uint8_t {
    // operands
    Number, String, Boolean, Error, Missing,  // Missing: an omitted argument, IF(A1,,2)
    Ref, Area,
    // operators
    Add, Sub, Mul, Div, Pow, Concat,
    Lt, Le, Eq, Ge, Gt, Ne,
    Plus, Minus, Percent,  // unary + and -, postfix %
    Paren,                 // parentheses as written, kept so the text reads back the same
    Func,                  // function call: func = BIFF function number, argc arguments
};

struct RefPart {
    int row = 0;          // offset when rowRelative, else zero-based row
    int col = 0;          // offset when colRelative, else zero-based column
    bool rowRelative = true;
    bool colRelative = true;
    friend bool operator==(const RefPart&, const RefPart&) = default;
    // The cell this part points at from the formula's own cell.
    CellAddress resolve(CellAddress owner) const {
        return {rowRelative ? owner.row + row : row, colRelative ? owner.col + col : col};
    }
};

struct Token {
    TokenKind kind = TokenKind::Number;
    std::uint8_t argc = 0;    // Func
    std::uint16_t func = 0;   // Func: BIFF function number (SUM 4, AVERAGE 5, IF 1, ...)
    double number = 0;        // Number
    std::uint32_t string = 0; // String: index into FormulaCode::strings
    bool boolean = false;     // Boolean
    ErrorCode error = ErrorCode::Value;  // Error
    RefPart a;                // Ref, Area (first corner)
    RefPart b;                // Area (second corner)
    friend bool operator==(const Token&, const Token&) = default;
};

struct FormulaCode {
    std::vector<Token> rpn;
    std::vector<std::string> strings;

    // A formula read from a file with tokens the engine does not know (3-D references,
    // names, functions it lacks): it is not computed; the cell keeps its cached value and the
    // writer puts these BIFF8 token bytes back unchanged. `text` is what the reader could make
    // of it for display ("=Sheet2!A1+1"), without the leading "=" convention: it includes it.
    bool opaque = false;
    std::vector<std::uint8_t> biff;
    // What follows the tokens in the FORMULA record (rgcb): the data of array constants and
    // tMemArea tokens in `biff`, written back right after them. Usually empty.
    std::vector<std::uint8_t> biffExtra;
    std::string text;
    // An array formula's cells (entered over them at once, with Ctrl+Shift+Enter), for an
    // opaque code read from an ARRAY record: `biff` holds that record's tokens, which every cell
    // of the range shares, and the writer writes the record back after the range's first cell.
    std::optional<CellRange> biffArray;

    friend bool operator==(const FormulaCode&, const FormulaCode&) = default;
};

using FormulaPtr = std::shared_ptr<const FormulaCode>;

// Parses formula text, "=" included ("=sum(B3:B5)"), as typed into the cell at `owner`.
// Function names in any case. Throws HostError for a formula that cannot be parsed.
FormulaPtr parseFormula(std::string_view text, CellAddress owner);
// The formula's text as the cell at `owner` reads it back: "=" then the formula, function
// names in upper case, references relative to `owner`.
std::string formulaText(const FormulaCode& code, CellAddress owner);

}  // namespace host
