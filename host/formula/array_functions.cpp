// Functions inside array formulas. A function of single values (NOT, ISBLANK, VALUE, ABS, ...)
// given an array or a range goes element by element, its result an array of the shape the
// arguments line up to (array_operands.h); the functions that take ranges (SUM, MIN, COUNT,
// AND, SUMPRODUCT, ...) take an array whole, as they take a range. IF and CHOOSE go element by
// element when their first argument is an array; given a single value they pick an argument
// whole, as outside array formulas.
#include "formula/array_functions.h"

#include <algorithm>
#include <vector>

#include "formula/array_operands.h"
#include "formula/evaluator.h"

namespace host::formula {

namespace {

using F = FunctionId;

enum class Lifting {
    Every,  // every argument is a single value
    None,  // every argument is taken whole
    ByFirst,  // IF, CHOOSE: every argument element by element when the first is an array
    Criterion,  // SUMIF, COUNTIF, AVERAGEIF: the criterion only
    Lookup,  // VLOOKUP, MATCH: all but the table
    IndexAt,  // INDEX: the row and column numbers
};

Lifting liftingOf(FunctionId func) {
    switch (func) {
        case F::Sum:
        case F::Average:
        case F::Min:
        case F::Max:
        case F::Count:
        case F::CountA:
        case F::Product:
        case F::And:
        case F::Or:
        case F::SumProduct:
        case F::Na:
        case F::Pi:
        case F::Today: return Lifting::None;
        case F::If:
        case F::Choose: return Lifting::ByFirst;
        case F::SumIf:
        case F::CountIf:
        case F::AverageIf: return Lifting::Criterion;
        case F::VLookup:
        case F::Match: return Lifting::Lookup;
        case F::Index: return Lifting::IndexAt;
        default: return Lifting::Every;
    }
}

bool lifted(Lifting how, std::size_t i, std::span<const Operand> args) {
    switch (how) {
        case Lifting::Every: return true;
        case Lifting::None: return false;
        case Lifting::ByFirst: return isArrayLike(args[0], true);
        case Lifting::Criterion: return i == 1;
        case Lifting::Lookup: return i != 1;
        case Lifting::IndexAt: return i != 0;
    }
    return false;
}

// For each SUMPRODUCT call, `visit(first, call)`: its arguments are the tokens first..call-1.
template <class Visit>
void forEachSumProduct(const std::vector<Token>& rpn, Visit&& visit) {
    std::vector<std::size_t> starts;  // where the subexpression of each stack entry begins
    for (std::size_t i = 0; i < rpn.size(); ++i) {
        const int n = std::min<int>(operandsTaken(rpn[i]), static_cast<int>(starts.size()));
        std::size_t start = i;
        for (int k = 0; k < n; ++k) {
            start = starts.back();
            starts.pop_back();
        }
        if (rpn[i].kind == TokenKind::Func && rpn[i].func == F::SumProduct && n > 0) visit(start, i);
        starts.push_back(start);
    }
}
}  // namespace

bool markArrayArguments(const std::vector<Token>& rpn, std::vector<bool>& marks) {
    bool any = false;
    for (const Token& t : rpn) any = any || (t.kind == TokenKind::Func && t.func == F::SumProduct);
    if (!any) return false;
    marks.assign(rpn.size(), false);
    forEachSumProduct(rpn, [&](std::size_t first, std::size_t call) {
        for (std::size_t k = first; k < call; ++k) marks[k] = true;
    });
    return true;
}

bool arrayArgumentsExact(const std::vector<Token>& rpn) {
    bool exact = true;
    forEachSumProduct(rpn, [&](std::size_t first, std::size_t call) {
        for (std::size_t k = first; k < call; ++k) {
            const Token& t = rpn[k];
            if (t.kind != TokenKind::Func) continue;
            if (!exactInArrays(t.func) || t.func == F::If || t.func == F::Choose) exact = false;
        }
    });
    return exact;
}

bool arrayConstantsExact(const std::vector<Token>& rpn) {
    bool constants = false, others = false;
    for (const Token& t : rpn) {
        constants = constants || t.kind == TokenKind::Array;
        others = others || (t.kind == TokenKind::Func && liftingOf(t.func) != Lifting::None);
    }
    return !constants || !others;
}

bool takesArgumentWhole(FunctionId func, int index) {
    switch (liftingOf(func)) {
        case Lifting::None: return func != F::SumProduct;  // SUMPRODUCT takes arrays
        case Lifting::Criterion: return index != 1;
        case Lifting::Lookup: return index == 1;
        case Lifting::IndexAt: return index == 0;
        default: return false;
    }
}

bool exactInArrays(FunctionId func) {
    // Each of these has its element-by-element or whole-array behaviour tested in the formula
    // cases ("array" lines).
    switch (func) {
        case F::If:
        case F::Not:
        case F::IsBlank:
        case F::IsNumber:
        case F::IsText:
        case F::IsNonText:
        case F::IsLogical:
        case F::IsError:
        case F::IsErr:
        case F::IsNa:
        case F::Value:
        case F::Abs:
        case F::Int:
        case F::Len:
        case F::Round:
        case F::Mod:
        case F::Sum:
        case F::Average:
        case F::Min:
        case F::Max:
        case F::Count:
        case F::CountA:
        case F::Product:
        case F::And:
        case F::Or:
        case F::SumProduct: return true;
        default: return false;
    }
}

Operand callFunctionInArray(FunctionId func, std::span<Operand> args, const EvalContext& ctx) {
    const Lifting how = liftingOf(func);
    bool any = false;
    ArrayShape shape;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (!lifted(how, i, args) || !isArrayLike(args[i], true)) continue;
        shape = any ? combinedShape(shape, shapeOf(args[i])) : shapeOf(args[i]);
        any = true;
    }
    if (!any) return callFunction(func, args, ctx);
    if (tooLarge(shape)) return Operand::of(Value::fromError(ErrorCode::Num));
    ValueArray out{shape.rows, shape.cols, {}};
    out.values.reserve(static_cast<std::size_t>(shape.rows) * shape.cols);
    std::vector<Operand> element(args.begin(), args.end());
    for (int r = 0; r < shape.rows; ++r) {
        for (int c = 0; c < shape.cols; ++c) {
            for (std::size_t i = 0; i < args.size(); ++i) {
                if (lifted(how, i, args)) element[i] = elementOf(args[i], r, c);
            }
            const Operand result = callFunction(func, element, ctx);
            out.values.push_back(result.missing ? Value::empty() : scalar(result, ctx));
        }
    }
    return arrayOperand(std::move(out));
}

}  // namespace host::formula
