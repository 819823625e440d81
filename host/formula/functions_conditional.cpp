// SUMIF, COUNTIF, AVERAGEIF and SUMPRODUCT.
#include <cctype>
#include <cmath>

#include "formula/array_operands.h"
#include "formula/function_groups.h"
#include "formula/text_to_number.h"

namespace host::formula {

namespace {

Operand error(ErrorCode e) { return Operand::of(Value::fromError(e)); }
bool isReference(const Operand& o) { return o.type == Operand::Type::Ref || o.type == Operand::Type::Area; }
bool validCell(CellAddress a) { return a.row >= 0 && a.row < kMaxRows && a.col >= 0 && a.col < kMaxColumns; }

// A criterion as Excel reads it: an optional operator (= <> < <= > >=) and what follows it,
// taken as a number, a date or a time where it reads as one, else a boolean, an error or
// a text (with wildcards, for = and <>).
struct Criterion {
    enum class Op { Eq, Ne, Lt, Le, Gt, Ge } op = Op::Eq;
    Value operand;
    bool wildcard = false;

    explicit Criterion(const Value& c) {
        if (!c.isText()) {
            // An empty cell as the criterion is the number 0.
            operand = c.isEmpty() ? Value::fromNumber(0) : c;
            return;
        }
        std::string_view s = c.text;
        static constexpr std::pair<std::string_view, Op> kOps[] = {{"<>", Op::Ne}, {"<=", Op::Le}, {">=", Op::Ge},
                                                                   {"<", Op::Lt},  {">", Op::Gt},  {"=", Op::Eq}};
        for (const auto& [text, o] : kOps) {
            if (s.substr(0, text.size()) == text) {
                op = o;
                s.remove_prefix(text.size());
                break;
            }
        }
        if (auto n = textToNumber(s)) {
            operand = Value::fromNumber(*n);
        } else if (compareTextNoCase(s, "TRUE") == 0 || compareTextNoCase(s, "FALSE") == 0) {
            operand = Value::fromBoolean(compareTextNoCase(s, "TRUE") == 0);
        } else if (auto e = errorFromText(s)) {
            operand = Value::fromError(*e);
        } else {
            operand = Value::fromText(std::string(s));
            wildcard = (op == Op::Eq || op == Op::Ne) && hasWildcards(s);
        }
    }

    bool ordered(int c) const {
        switch (op) {
            case Op::Eq: return c == 0;
            case Op::Ne: return c != 0;
            case Op::Lt: return c < 0;
            case Op::Le: return c <= 0;
            case Op::Gt: return c > 0;
            default: return c >= 0;
        }
    }

    bool matches(const Value& v) const {
        const bool equalityOnly = op == Op::Eq || op == Op::Ne;
        // What a cell of another kind than the operand gives: only <> picks it.
        const bool otherKind = op == Op::Ne;
        switch (operand.kind) {
            case Value::Kind::Number: {
                // A text that reads as a number is still a text: it never meets a number.
                if (!v.isNumber()) return otherKind;
                const double n = v.number;
                return ordered(n < operand.number ? -1 : n > operand.number ? 1 : 0);
            }
            case Value::Kind::Boolean:
                if (!v.isBoolean()) return otherKind;
                return ordered(v.boolean == operand.boolean ? 0 : v.boolean ? 1 : -1);
            case Value::Kind::Error:
                if (!v.isError()) return otherKind;
                return equalityOnly ? ordered(v.error == operand.error ? 0 : 1) : false;
            default: break;
        }
        if (operand.text.empty()) {
            // "" and "=" pick empty cells (and empty texts), "<>" every cell holding something.
            if (op == Op::Eq) return v.isEmpty() || (v.isText() && v.text.empty());
            if (op == Op::Ne) return !v.isEmpty();
        }
        if (!v.isText()) return otherKind;
        if (wildcard) return wildcardMatch(operand.text, v.text) == (op == Op::Eq);
        return ordered(compareTextNoCase(v.text, operand.text));
    }
};

// Visits the cells of `area` that meet the criterion with the matching cell of `values`
// (the same shape from its top-left corner).
template <typename Visit>
void forEachMatch(const CellRange& area, const Criterion& c, const CellRange& values, const EvalContext& ctx,
                  Visit&& visit) {
    for (int col = area.first.col; col <= area.last.col; ++col) {
        for (int row = area.first.row; row <= area.last.row; ++row) {
            if (!c.matches(ctx.cellValue({row, col}))) continue;
            const CellAddress at{values.first.row + row - area.first.row, values.first.col + col - area.first.col};
            if (validCell(at)) visit(at);
        }
    }
}

// SUMIF and AVERAGEIF: numbers of the picked cells summed and counted; an error among them is
// the result.
Operand conditionalSum(std::span<Operand> args, const EvalContext& ctx, bool average) {
    if (!isReference(args[0]) || (args.size() > 2 && !args[2].missing && !isReference(args[2])))
        return error(ErrorCode::Value);
    const Value criterion = scalar(args[1], ctx);
    if (criterion.isError()) return Operand::of(criterion);
    const Criterion c(criterion);
    const CellRange values = args.size() > 2 && !args[2].missing ? args[2].area : args[0].area;
    double sum = 0;
    long count = 0;
    bool failed = false;
    ErrorCode err{};
    forEachMatch(args[0].area, c, values, ctx, [&](CellAddress at) {
        const Value v = ctx.cellValue(at);
        if (v.isError() && !failed) {
            failed = true;
            err = v.error;
        }
        if (v.isNumber()) {
            sum += v.number;
            ++count;
        }
    });
    if (failed) return error(err);
    if (average) {
        if (count == 0) return error(ErrorCode::Div0);
        return Operand::of(numberResult(sum / static_cast<double>(count)));
    }
    return Operand::of(numberResult(sum));
}

}  // namespace

Operand sumIf(std::span<Operand> args, const EvalContext& ctx) { return conditionalSum(args, ctx, false); }
Operand averageIf(std::span<Operand> args, const EvalContext& ctx) { return conditionalSum(args, ctx, true); }

Operand countIf(std::span<Operand> args, const EvalContext& ctx) {
    if (!isReference(args[0])) return error(ErrorCode::Value);
    const Value criterion = scalar(args[1], ctx);
    if (criterion.isError()) return Operand::of(criterion);
    const Criterion c(criterion);
    long count = 0;
    forEachMatch(args[0].area, c, args[0].area, ctx, [&](CellAddress) { ++count; });
    return Operand::of(Value::fromNumber(static_cast<double>(count)));
}

// The sum of the products of the arguments' elements, position by position: every range or
// array the same shape (else #VALUE!), an element without a number counting as 0 (a boolean
// too), an error the result.
Operand sumProduct(std::span<Operand> args, const EvalContext& ctx) {
    const auto isWhole = [](const Operand& o) { return isReference(o) || o.type == Operand::Type::Array; };
    const Operand& first = args[0];
    if (!isWhole(first)) {
        if (args.size() > 1) return error(ErrorCode::Value);
        const Value v = first.value;
        if (v.isError()) return Operand::of(v);
        return Operand::of(Value::fromNumber(v.isNumber() ? v.number : 0));
    }
    const ArrayShape shape = shapeOf(first);
    for (const Operand& a : args) {
        if (!isWhole(a)) return error(ErrorCode::Value);
        const ArrayShape s = shapeOf(a);
        if (s.rows != shape.rows || s.cols != shape.cols) return error(ErrorCode::Value);
    }
    const auto valueAt = [&](const Operand& a, int r, int c) {
        if (a.type == Operand::Type::Array) return a.array->at(r, c);
        return ctx.cellValue({a.area.first.row + r, a.area.first.col + c});
    };
    double sum = 0;
    for (int r = 0; r < shape.rows; ++r) {
        for (int c = 0; c < shape.cols; ++c) {
            double product = 1;
            for (const Operand& a : args) {
                const Value v = valueAt(a, r, c);
                if (v.isError()) return Operand::of(v);
                product *= v.isNumber() ? v.number : 0;
            }
            sum += product;
        }
    }
    return Operand::of(numberResult(sum));
}

}  // namespace host::formula
