#include "formula/evaluator.h"

#include <cctype>
#include <cmath>

#include "formula/array_functions.h"
#include "formula/array_operands.h"
#include "formula/text_to_number.h"
#include "host/locale.h"

namespace host::formula {

namespace {

bool validCell(CellAddress a) { return a.row >= 0 && a.row < kMaxRows && a.col >= 0 && a.col < kMaxColumns; }

int compareText(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int x = std::tolower(static_cast<unsigned char>(a[i]));
        const int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Ordering of other spreadsheets: numbers < texts < booleans; an empty cell compares as the
// other side's zero value.
int compareValues(Value a, Value b) {
    auto zeroOf = [](const Value& other) {
        switch (other.kind) {
            case Value::Kind::Text: return Value::fromText("");
            case Value::Kind::Boolean: return Value::fromBoolean(false);
            default: return Value::fromNumber(0);
        }
    };
    if (a.isEmpty() && b.isEmpty()) return 0;
    if (a.isEmpty()) a = zeroOf(b);
    if (b.isEmpty()) b = zeroOf(a);
    auto rank = [](const Value& v) { return v.isNumber() ? 0 : v.isText() ? 1 : 2; };
    if (rank(a) != rank(b)) return rank(a) < rank(b) ? -1 : 1;
    if (a.isNumber()) return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    if (a.isText()) return compareText(a.text, b.text);
    return a.boolean == b.boolean ? 0 : (a.boolean ? 1 : -1);
}

Value combine(TokenKind kind, const Value& lv, const Value& rv) {
    if (kind == TokenKind::Concat) {
        if (lv.isError()) return lv;
        if (rv.isError()) return rv;
        return Value::fromText(toText(lv) + toText(rv));
    }
    if (kind >= TokenKind::Lt && kind <= TokenKind::Ne) {
        if (lv.isError()) return lv;
        if (rv.isError()) return rv;
        const int c = compareValues(lv, rv);
        bool res = false;
        switch (kind) {
            case TokenKind::Lt: res = c < 0; break;
            case TokenKind::Le: res = c <= 0; break;
            case TokenKind::Eq: res = c == 0; break;
            case TokenKind::Ge: res = c >= 0; break;
            case TokenKind::Gt: res = c > 0; break;
            default: res = c != 0; break;
        }
        return Value::fromBoolean(res);
    }
    double a = 0, b = 0;
    ErrorCode err{};
    if (!toNumber(lv, a, err)) return Value::fromError(err);
    if (!toNumber(rv, b, err)) return Value::fromError(err);
    switch (kind) {
        case TokenKind::Add: return numberResult(a + b);
        case TokenKind::Sub: return numberResult(a - b);
        case TokenKind::Mul: return numberResult(a * b);
        case TokenKind::Div:
            if (b == 0) return Value::fromError(ErrorCode::Div0);
            return numberResult(a / b);
        case TokenKind::Pow:
            if (a == 0 && b == 0) return Value::fromError(ErrorCode::Num);
            if (a == 0 && b < 0) return Value::fromError(ErrorCode::Div0);
            return numberResult(std::pow(a, b));
        default: return Value::fromError(ErrorCode::Value);
    }
}

// Unary minus and percent.
Value negateOrPercent(TokenKind kind, const Value& v) {
    double n = 0;
    ErrorCode err{};
    if (!toNumber(v, n, err)) return Value::fromError(err);
    return numberResult(kind == TokenKind::Minus ? -n : n / 100);
}

Operand arithmetic(TokenKind kind, const Operand& lhs, const Operand& rhs, const EvalContext& ctx, bool arrayMode) {
    if (!isArrayLike(lhs, arrayMode) && !isArrayLike(rhs, arrayMode))
        return Operand::of(combine(kind, scalar(lhs, ctx), scalar(rhs, ctx)));
    // Beside an array constant in an ordinary formula, a range still gives the one cell
    // implicit intersection takes.
    const auto side = [&](const Operand& o) {
        return !arrayMode && o.type == Operand::Type::Area ? Operand::of(scalar(o, ctx)) : o;
    };
    const Operand l = side(lhs);
    const Operand r = side(rhs);
    const ArrayShape s = combinedShape(shapeOf(l), shapeOf(r));
    if (tooLarge(s)) return Operand::of(Value::fromError(ErrorCode::Num));
    ValueArray out{s.rows, s.cols, {}};
    out.values.reserve(static_cast<std::size_t>(s.rows) * s.cols);
    for (int i = 0; i < s.rows; ++i) {
        for (int j = 0; j < s.cols; ++j)
            out.values.push_back(combine(kind, scalar(elementOf(l, i, j), ctx), scalar(elementOf(r, i, j), ctx)));
    }
    return arrayOperand(std::move(out));
}

Operand unary(TokenKind kind, const Operand& o, const EvalContext& ctx, bool arrayMode) {
    if (!isArrayLike(o, arrayMode)) return Operand::of(negateOrPercent(kind, scalar(o, ctx)));
    ValueArray out = valuesOf(o, ctx);
    for (Value& v : out.values) v = negateOrPercent(kind, v);
    return arrayOperand(std::move(out));
}

// A sheet computes tens of thousands of small formulas; each taking a fresh operand stack was
// an allocation and a release apiece, so stacks are handed back and reused. A nested
// evaluation takes a stack of its own.
class OperandStackLease {
public:
    OperandStackLease() {
        auto& spare = spares();
        if (spare.empty()) {
            stack_.reserve(8);
        } else {
            stack_ = std::move(spare.back());
            spare.pop_back();
        }
    }
    ~OperandStackLease() {
        stack_.clear();
        spares().push_back(std::move(stack_));
    }
    OperandStackLease(const OperandStackLease&) = delete;
    OperandStackLease& operator=(const OperandStackLease&) = delete;
    std::vector<Operand>& stack() { return stack_; }

private:
    static std::vector<std::vector<Operand>>& spares() {
        thread_local std::vector<std::vector<Operand>> spare;
        return spare;
    }
    std::vector<Operand> stack_;
};

}  // namespace

Value numberResult(double n) {
    if (!std::isfinite(n)) return Value::fromError(ErrorCode::Num);
    return Value::fromNumber(n == 0 ? 0.0 : n);
}

Value scalar(const Operand& o, const EvalContext& ctx) {
    switch (o.type) {
        case Operand::Type::Value: return o.value;
        case Operand::Type::Ref: return ctx.cellValue(o.area.first);
        case Operand::Type::Area: {
            const CellRange& r = o.area;
            if (r.first == r.last) return ctx.cellValue(r.first);
            if (r.first.col == r.last.col && o.anchor.row >= r.first.row && o.anchor.row <= r.last.row)
                return ctx.cellValue({o.anchor.row, r.first.col});
            if (r.first.row == r.last.row && o.anchor.col >= r.first.col && o.anchor.col <= r.last.col)
                return ctx.cellValue({r.first.row, o.anchor.col});
            return Value::fromError(ErrorCode::Value);
        }
        case Operand::Type::Array:
            if (o.array->values.empty()) return Value::fromError(ErrorCode::Value);
            return o.array->values.front();
    }
    return Value::fromError(ErrorCode::Value);
}

bool toNumber(const Value& v, double& out, ErrorCode& err) {
    switch (v.kind) {
        case Value::Kind::Empty: out = 0; return true;
        case Value::Kind::Number: out = v.number; return true;
        case Value::Kind::Boolean: out = v.boolean ? 1 : 0; return true;
        case Value::Kind::Error: err = v.error; return false;
        case Value::Kind::Text:
            if (auto n = textToNumber(v.text)) {
                out = *n;
                return true;
            }
            err = ErrorCode::Value;
            return false;
    }
    err = ErrorCode::Value;
    return false;
}

bool toBoolean(const Value& v, bool& out, ErrorCode& err) {
    switch (v.kind) {
        case Value::Kind::Empty: out = false; return true;
        case Value::Kind::Number: out = v.number != 0; return true;
        case Value::Kind::Boolean: out = v.boolean; return true;
        case Value::Kind::Error: err = v.error; return false;
        case Value::Kind::Text:
            if (compareText(v.text, "TRUE") == 0) {
                out = true;
                return true;
            }
            if (compareText(v.text, "FALSE") == 0) {
                out = false;
                return true;
            }
            err = ErrorCode::Value;
            return false;
    }
    err = ErrorCode::Value;
    return false;
}

std::string toText(const Value& v) {
    switch (v.kind) {
        case Value::Kind::Empty: return "";
        case Value::Kind::Number: return generalNumber(v.number);
        case Value::Kind::Text: return v.text;
        case Value::Kind::Boolean: return v.boolean ? "TRUE" : "FALSE";
        case Value::Kind::Error: return std::string(errorText(v.error));
    }
    return "";
}

bool EvalContext::numberAt(CellAddress at, double& out) const {
    const Value v = cellValue(at);
    if (v.isEmpty()) {
        out = 0;
        return true;
    }
    if (!v.isNumber()) return false;
    out = v.number;
    return true;
}

namespace {

// a op b for the four arithmetic operators, when the result is a finite number (a zero
// without its sign); the stack answers the rest (#DIV/0!, overflow, other operators).
bool operateOnNumbers(TokenKind op, double a, double b, double& r) {
    switch (op) {
        case TokenKind::Add: r = a + b; break;
        case TokenKind::Sub: r = a - b; break;
        case TokenKind::Mul: r = a * b; break;
        case TokenKind::Div:
            if (b == 0) return false;
            r = a / b;
            break;
        default: return false;
    }
    if (!std::isfinite(r)) return false;
    if (r == 0) r = 0.0;
    return true;
}

bool numberOfRef(const RefPart& part, CellAddress owner, const EvalContext& ctx, double& out) {
    const CellAddress a = part.resolve(owner);
    return validCell(a) && ctx.numberAt(a, out);
}

// A statistics sheet is tens of thousands of =C3-E3, =F3/H3 and =I3: when the cells they read
// hold numbers (or nothing, which counts as 0) they are computed here. Anything else (texts,
// booleans, errors, a division by zero, a result that is not finite) goes the general way.
bool evaluateOnNumbers(const std::vector<Token>& rpn, CellAddress owner, const EvalContext& ctx, double& out) {
    if (rpn.size() == 1 && rpn[0].kind == TokenKind::Ref) return numberOfRef(rpn[0].a, owner, ctx, out);
    if (rpn.size() != 3 || rpn[0].kind != TokenKind::Ref || rpn[1].kind != TokenKind::Ref) return false;
    double a = 0, b = 0;
    return numberOfRef(rpn[0].a, owner, ctx, a) && numberOfRef(rpn[1].a, owner, ctx, b) &&
           operateOnNumbers(rpn[2].kind, a, b, out);
}

}  // namespace

namespace {

// The formula's result as an operand; in `arrayMode` ranges and arrays go element by element.
Operand run(const FormulaCode& code, CellAddress owner, const EvalContext& ctx, bool wholeFormulaInArrays) {
    OperandStackLease lease;
    std::vector<Operand>& st = lease.stack();
    const auto bad = [] { return Operand::of(Value::fromError(ErrorCode::Value)); };
    // In an ordinary formula, SUMPRODUCT's arguments are still computed element by element.
    std::vector<bool> inArrays;  // stays empty, no allocation, for a formula without SUMPRODUCT
    const bool someInArrays = !wholeFormulaInArrays && markArrayArguments(code.rpn, inArrays);
    for (std::size_t i = 0; i < code.rpn.size(); ++i) {
        const Token& t = code.rpn[i];
        const bool arrayMode = wholeFormulaInArrays || (someInArrays && inArrays[i]);
        switch (t.kind) {
            case TokenKind::Number: st.push_back(Operand::of(Value::fromNumber(t.number))); break;
            case TokenKind::String:
                st.push_back(
                    Operand::of(Value::fromText(t.string < code.strings.size() ? code.strings[t.string] : "")));
                break;
            case TokenKind::Boolean: st.push_back(Operand::of(Value::fromBoolean(t.boolean))); break;
            case TokenKind::Error: st.push_back(Operand::of(Value::fromError(t.error))); break;
            case TokenKind::Missing: {
                Operand o;
                o.missing = true;
                st.push_back(o);
                break;
            }
            case TokenKind::Ref: {
                const CellAddress a = t.a.resolve(owner);
                if (!validCell(a)) {
                    st.push_back(Operand::of(Value::fromError(ErrorCode::Ref)));
                } else {
                    Operand o;
                    o.type = Operand::Type::Ref;
                    o.area = {a, a};
                    st.push_back(o);
                }
                break;
            }
            case TokenKind::Area: {
                const CellAddress a = t.a.resolve(owner);
                const CellAddress b = t.b.resolve(owner);
                if (!validCell(a) || !validCell(b)) {
                    st.push_back(Operand::of(Value::fromError(ErrorCode::Ref)));
                } else {
                    Operand o;
                    o.type = Operand::Type::Area;
                    o.anchor = owner;
                    o.area = {{std::min(a.row, b.row), std::min(a.col, b.col)},
                              {std::max(a.row, b.row), std::max(a.col, b.col)}};
                    st.push_back(o);
                }
                break;
            }
            case TokenKind::Array: {
                if (t.string >= code.arrays.size()) return bad();
                const ArrayConstant& a = code.arrays[t.string];
                st.push_back(arrayOperand(ValueArray{a.rows, a.cols, a.values}));
                break;
            }
            case TokenKind::Paren: break;
            case TokenKind::Plus: {
                if (st.empty()) return bad();
                // Unary plus leaves its operand as it is, references included.
                break;
            }
            case TokenKind::Minus:
            case TokenKind::Percent: {
                if (st.empty()) return bad();
                st.back() = unary(t.kind, st.back(), ctx, arrayMode);
                break;
            }
            case TokenKind::Func: {
                if (st.size() < t.argc) return bad();
                std::span<Operand> args(st.data() + (st.size() - t.argc), t.argc);
                Operand result = arrayMode ? callFunctionInArray(t.func, args, ctx) : callFunction(t.func, args, ctx);
                st.resize(st.size() - t.argc);
                st.push_back(std::move(result));
                break;
            }
            default: {
                if (st.size() < 2) return bad();
                Operand r = std::move(st.back());
                st.pop_back();
                Operand res = arithmetic(t.kind, st.back(), r, ctx, arrayMode);
                st.back() = std::move(res);
                break;
            }
        }
    }
    if (st.size() != 1) return bad();
    return std::move(st.back());
}

}  // namespace

Value evaluate(const FormulaCode& code, CellAddress owner, const EvalContext& ctx) {
    if (code.opaque) return Value::fromError(ErrorCode::Name);
    if (double n = 0; evaluateOnNumbers(code.rpn, owner, ctx, n)) return Value::fromNumber(n);
    Value v = scalar(run(code, owner, ctx, false), ctx);
    if (v.isEmpty()) v = Value::fromNumber(0);  // =A1 of an empty cell shows 0
    return v;
}

ValueArray evaluateArray(const FormulaCode& code, CellAddress origin, const EvalContext& ctx) {
    if (code.opaque) return ValueArray{1, 1, {Value::fromError(ErrorCode::Name)}};
    return valuesOf(run(code, origin, ctx, true), ctx);
}

Value arrayElementForCell(const ValueArray& result, int row, int col) {
    const int r = result.rows == 1 ? 0 : row;
    const int c = result.cols == 1 ? 0 : col;
    if (r >= result.rows || c >= result.cols || result.values.empty()) return Value::fromError(ErrorCode::NA);
    Value v = result.at(r, c);
    if (v.isEmpty()) v = Value::fromNumber(0);
    return v;
}

}  // namespace host::formula
