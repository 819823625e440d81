// VLOOKUP, MATCH and INDEX, and the text matching they share with the conditional functions.
#include <cctype>
#include <cmath>

#include "formula/function_groups.h"

namespace host::formula {

int compareTextNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int x = std::tolower(static_cast<unsigned char>(a[i]));
        const int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool hasWildcards(std::string_view text) { return text.find_first_of("*?~") != std::string_view::npos; }

bool wildcardMatch(std::string_view p, std::string_view t) {
    // Iterative matching with one backtrack point, the usual way for a single kind of star.
    std::size_t pi = 0, ti = 0, star = std::string_view::npos, mark = 0;
    const auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    while (ti < t.size()) {
        if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ti;
        } else if (pi < p.size() && p[pi] == '~' && pi + 1 < p.size() && same(p[pi + 1], t[ti])) {
            pi += 2;
            ++ti;
        } else if (pi < p.size() && p[pi] != '~' && (p[pi] == '?' || same(p[pi], t[ti]))) {
            ++pi;
            ++ti;
        } else if (star != std::string_view::npos) {
            pi = star + 1;
            ti = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

namespace {

Operand error(ErrorCode e) { return Operand::of(Value::fromError(e)); }
bool isReference(const Operand& o) { return o.type == Operand::Type::Ref || o.type == Operand::Type::Area; }

Operand cellOperand(CellAddress at) {
    Operand o;
    o.type = Operand::Type::Ref;
    o.area = {at, at};
    return o;
}

// The order lookups use: numbers, then texts, then booleans never compare with one another;
// -2 for values of different kinds.
int lookupCompare(const Value& cell, const Value& wanted) {
    if (cell.kind != wanted.kind) return -2;
    switch (cell.kind) {
        case Value::Kind::Number: return cell.number < wanted.number ? -1 : cell.number > wanted.number ? 1 : 0;
        case Value::Kind::Text: return compareTextNoCase(cell.text, wanted.text);
        case Value::Kind::Boolean: return cell.boolean == wanted.boolean ? 0 : cell.boolean ? 1 : -1;
        default: return -2;
    }
}

// The position (0-based) of `wanted` among `count` cells. Exact: the first equal one (a text
// with wildcards as a pattern). Ascending: the last of its kind not greater, the search
// ending at the first greater one; descending (MATCH -1): the last not smaller. -1 for none.
template <typename CellAt>
long find(const Value& wanted, long count, int mode, CellAt cellAt) {
    const bool pattern = mode == 0 && wanted.isText() && hasWildcards(wanted.text);
    long found = -1;
    for (long i = 0; i < count; ++i) {
        const Value v = cellAt(i);
        if (mode == 0) {
            if (pattern ? v.isText() && wildcardMatch(wanted.text, v.text) : lookupCompare(v, wanted) == 0) return i;
            continue;
        }
        const int c = lookupCompare(v, wanted);
        if (c == -2 && !(v.kind == wanted.kind)) continue;  // another kind: skipped
        if (mode > 0 ? c > 0 : c < 0) break;
        found = i;
    }
    return found;
}

bool wholeNumber(const Operand& a, const EvalContext& ctx, long& out, ErrorCode& err) {
    double n = 0;
    if (!toNumber(scalar(a, ctx), n, err)) return false;
    out = static_cast<long>(std::trunc(std::clamp(n, -1e9, 1e9)));
    return true;
}

}  // namespace

Operand vlookup(std::span<Operand> args, const EvalContext& ctx) {
    const Value wanted = scalar(args[0], ctx);
    if (wanted.isError()) return Operand::of(wanted);
    if (!isReference(args[1])) return error(ErrorCode::Value);
    const CellRange t = args[1].area;
    long col = 0;
    ErrorCode err{};
    if (!wholeNumber(args[2], ctx, col, err)) return error(err);
    if (col < 1) return error(ErrorCode::Value);
    if (col > t.last.col - t.first.col + 1) return error(ErrorCode::Ref);
    bool approximate = true;
    if (args.size() > 3) {
        if (args[3].missing)
            approximate = false;
        else if (!toBoolean(scalar(args[3], ctx), approximate, err))
            return error(err);
    }
    if (wanted.isEmpty()) return error(ErrorCode::NA);
    const long row = find(wanted, t.last.row - t.first.row + 1, approximate ? 1 : 0, [&](long i) {
        return ctx.cellValue({t.first.row + static_cast<int>(i), t.first.col});
    });
    if (row < 0) return error(ErrorCode::NA);
    Value v = ctx.cellValue({t.first.row + static_cast<int>(row), t.first.col + static_cast<int>(col) - 1});
    if (v.isEmpty()) v = Value::fromNumber(0);
    return Operand::of(std::move(v));
}

Operand match(std::span<Operand> args, const EvalContext& ctx) {
    const Value wanted = scalar(args[0], ctx);
    if (wanted.isError()) return Operand::of(wanted);
    if (!isReference(args[1])) return error(ErrorCode::NA);
    const CellRange r = args[1].area;
    const bool column = r.first.col == r.last.col;
    if (!column && r.first.row != r.last.row) return error(ErrorCode::NA);
    long type = 1;
    ErrorCode err{};
    if (args.size() > 2 && !args[2].missing && !wholeNumber(args[2], ctx, type, err)) return error(err);
    if (args.size() > 2 && args[2].missing) type = 0;
    if (wanted.isEmpty()) return error(ErrorCode::NA);
    const long count = column ? r.last.row - r.first.row + 1 : r.last.col - r.first.col + 1;
    const long at = find(wanted, count, type == 0 ? 0 : (type > 0 ? 1 : -1), [&](long i) {
        const int k = static_cast<int>(i);
        return ctx.cellValue(column ? CellAddress{r.first.row + k, r.first.col}
                                    : CellAddress{r.first.row, r.first.col + k});
    });
    if (at < 0) return error(ErrorCode::NA);
    return Operand::of(Value::fromNumber(static_cast<double>(at + 1)));
}

// INDEX(reference, row, [column]): the cell (a reference, so ISBLANK and SUM see the cell
// itself); row or column 0 is the whole column or row. In a single row or column the one
// number given counts along it.
Operand index(std::span<Operand> args, const EvalContext& ctx) {
    if (!isReference(args[0])) {
        // A single value is a one-cell array.
        long r = 0, c = 0;
        ErrorCode err{};
        if (!wholeNumber(args[1], ctx, r, err)) return error(err);
        if (args.size() > 2 && !args[2].missing && !wholeNumber(args[2], ctx, c, err)) return error(err);
        if (r < 0 || c < 0) return error(ErrorCode::Value);
        if (r > 1 || c > 1) return error(ErrorCode::Ref);
        return Operand::of(args[0].value);
    }
    const CellRange a = args[0].area;
    const long rows = a.last.row - a.first.row + 1;
    const long cols = a.last.col - a.first.col + 1;
    long r = 0, c = 0;
    ErrorCode err{};
    if (!args[1].missing && !wholeNumber(args[1], ctx, r, err)) return error(err);
    const bool hasCol = args.size() > 2 && !args[2].missing;
    if (hasCol && !wholeNumber(args[2], ctx, c, err)) return error(err);
    if (r < 0 || c < 0) return error(ErrorCode::Value);
    if (!hasCol && rows == 1 && cols > 1) {  // INDEX(A1:E1, 3) is C1
        c = r;
        r = 0;
        if (c == 0) return args[0];
    } else if (!hasCol && cols > 1) {
        if (r == 0) return args[0];
        return error(ErrorCode::Ref);  // a row of a table needs its column
    }
    if (r > rows || c > cols) return error(ErrorCode::Ref);
    if (rows == 1 && r == 0) r = 1;
    if (cols == 1 && c == 0) c = 1;
    Operand o = args[0];
    if (r > 0) o.area.first.row = o.area.last.row = a.first.row + static_cast<int>(r) - 1;
    if (c > 0) o.area.first.col = o.area.last.col = a.first.col + static_cast<int>(c) - 1;
    if (o.area.first == o.area.last) return cellOperand(o.area.first);
    return o;
}

}  // namespace host::formula
