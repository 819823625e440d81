#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/address.h"
#include "host/function_table.h"
#include "host/value.h"

namespace host {

// A compiled formula: tokens in reverse Polish order (the order BIFF8 stores them in too, so the
// .xls reader and writer translate token for token). Functions are named by the engine's own
// FunctionId; a file format maps its function numbers on its own side.
//
// References are position-independent: a relative row or column holds the offset from the
// cell that owns the formula, an absolute one the zero-based row or column itself. So the
// formulas =C5-E5 in F5 and =C6-E6 in F6 are the same code, and cells of one shape share
// one FormulaCode.

enum class TokenKind : std::uint8_t {
    // operands
    Number,
    String,
    Boolean,
    Error,
    Missing,  // Missing: an omitted argument, IF(A1,,2)
    Ref,
    Area,
    Array,  // an array constant, {1,2;3,4}
    // operators
    Add,
    Sub,
    Mul,
    Div,
    Pow,
    Concat,
    Lt,
    Le,
    Eq,
    Ge,
    Gt,
    Ne,
    Plus,
    Minus,
    Percent,  // unary + and -, postfix %
    Paren,  // parentheses as written, kept so the text reads back the same
    Func,  // function call: func, with argc arguments
};

struct RefPart {
    int row = 0;  // offset when rowRelative, else zero-based row
    int col = 0;  // offset when colRelative, else zero-based column
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
    std::uint8_t argc = 0;  // Func
    FunctionId func = FunctionId::Count;  // Func
    double number = 0;  // Number
    std::uint32_t string = 0;  // String: index into FormulaCode::strings; Array: into FormulaCode::arrays
    bool boolean = false;  // Boolean
    ErrorCode error = ErrorCode::Value;  // Error
    RefPart a;  // Ref, Area (first corner)
    RefPart b;  // Area (second corner)
    friend bool operator==(const Token&, const Token&) = default;
};

// An array constant's values, row by row: numbers, texts, truth values and errors.
struct ArrayConstant {
    int rows = 0;
    int cols = 0;
    std::vector<Value> values;
    friend bool operator==(const ArrayConstant&, const ArrayConstant&) = default;
};

// How many operands a token takes from the evaluation stack (none for an operand itself).
inline int operandsTaken(const Token& t) {
    switch (t.kind) {
        case TokenKind::Number:
        case TokenKind::String:
        case TokenKind::Boolean:
        case TokenKind::Error:
        case TokenKind::Missing:
        case TokenKind::Ref:
        case TokenKind::Area:
        case TokenKind::Array: return 0;
        case TokenKind::Plus:
        case TokenKind::Minus:
        case TokenKind::Percent:
        case TokenKind::Paren: return 1;
        case TokenKind::Func: return t.argc;
        default: return 2;
    }
}

struct FormulaCode {
    std::vector<Token> rpn;
    std::vector<std::string> strings;
    std::vector<ArrayConstant> arrays;

    // A formula read from a file with parts the engine does not know (3-D references, names,
    // functions it lacks): it is not computed and the cell keeps its cached value. `text` is
    // what the reader could make of it for display ("=Sheet2!A1+1", the "=" included). The
    // file's own form of it stays with the file format's filter, which writes it back.
    bool opaque = false;
    // An array formula (entered with Ctrl+Shift+Enter) over the cells `arrayRange`, all of
    // which hold this one code, its relative references counted from the range's first cell.
    // The engine computes it element by element, each cell showing its element; one read from
    // a file that the engine does not compute so is opaque too, and keeps its results. The
    // filters write it back as an array formula.
    bool array = false;
    CellRange arrayRange;
    std::string text;

    // The cell the relative references count from, for the code in the cell at `at`.
    CellAddress origin(CellAddress at) const { return array ? arrayRange.first : at; }

    friend bool operator==(const FormulaCode&, const FormulaCode&) = default;
};

using FormulaPtr = std::shared_ptr<const FormulaCode>;

// Whether the engine computes every token and function of `code` exactly as Excel does (see
// FunctionInfo::exact). A formula read from a file that fails this keeps the stored result.
bool computedAsExcel(const FormulaCode& code);
// Whether `code` calls a volatile function (TODAY), whose result is the moment's.
bool callsVolatile(const FormulaCode& code);

// Parses formula text, "=" included ("=sum(B3:B5)"), as typed into the cell at `owner`.
// Function names in any case. Throws HostError for a formula that cannot be parsed.
FormulaPtr parseFormula(std::string_view text, CellAddress owner);
// The formula's text as the cell at `owner` reads it back: "=" then the formula, function
// names in upper case, references relative to `owner` (to its first cell in an array formula).
std::string formulaText(const FormulaCode& code, CellAddress owner);

}  // namespace host
