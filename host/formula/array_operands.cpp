#include "formula/array_operands.h"

#include <algorithm>

#include "formula/array_functions.h"

namespace host::formula {

bool isArrayLike(const Operand& o, bool arrayMode) {
    if (o.type == Operand::Type::Array) return true;
    return arrayMode && o.type == Operand::Type::Area && !(o.area.first == o.area.last);
}

ArrayShape shapeOf(const Operand& o) {
    switch (o.type) {
        case Operand::Type::Area:
            return {o.area.last.row - o.area.first.row + 1, o.area.last.col - o.area.first.col + 1};
        case Operand::Type::Array: return {o.array->rows, o.array->cols};
        default: return {};
    }
}

ArrayShape combinedShape(ArrayShape a, ArrayShape b) { return {std::max(a.rows, b.rows), std::max(a.cols, b.cols)}; }

namespace {
// The index into a side of `size` for position `i` of a larger result; -1 past its edge.
int stretched(int i, int size) {
    if (size == 1) return 0;
    return i < size ? i : -1;
}
}  // namespace

Operand elementOf(const Operand& o, int r, int c) {
    if (o.type != Operand::Type::Area && o.type != Operand::Type::Array) return o;
    const ArrayShape s = shapeOf(o);
    const int rr = stretched(r, s.rows);
    const int cc = stretched(c, s.cols);
    if (rr < 0 || cc < 0) return Operand::of(Value::fromError(ErrorCode::NA));
    if (o.type == Operand::Type::Array) return Operand::of(o.array->at(rr, cc));
    Operand cell;
    cell.type = Operand::Type::Ref;
    const CellAddress at{o.area.first.row + rr, o.area.first.col + cc};
    cell.area = {at, at};
    return cell;
}

Operand arrayOperand(ValueArray values) {
    Operand o;
    o.type = Operand::Type::Array;
    o.array = std::make_shared<const ValueArray>(std::move(values));
    return o;
}

bool tooLarge(ArrayShape s) { return long(s.rows) * long(s.cols) > kMostArrayElements; }

ValueArray valuesOf(const Operand& o, const EvalContext& ctx) {
    if (o.type == Operand::Type::Array) return *o.array;
    ValueArray a;
    if (o.type != Operand::Type::Area) {
        a.rows = a.cols = 1;
        a.values.push_back(o.missing ? Value::empty() : scalar(o, ctx));
        return a;
    }
    const ArrayShape s = shapeOf(o);
    if (tooLarge(s)) return ValueArray{1, 1, {Value::fromError(ErrorCode::Num)}};
    a.rows = s.rows;
    a.cols = s.cols;
    a.values.reserve(static_cast<std::size_t>(s.rows) * s.cols);
    for (int r = 0; r < s.rows; ++r) {
        for (int c = 0; c < s.cols; ++c)
            a.values.push_back(ctx.cellValue({o.area.first.row + r, o.area.first.col + c}));
    }
    return a;
}

}  // namespace host::formula
