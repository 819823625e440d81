#pragma once
// Operands that stand for many values at once inside an array formula (ranges and arrays), and
// how two of them line up, element by element, as Excel lines them up.
#include "formula/evaluator.h"

namespace host::formula {

struct ArrayShape {
    int rows = 1;
    int cols = 1;
};

// An array, or inside an array formula (`arrayMode`) a range of more than one cell.
bool isArrayLike(const Operand& o, bool arrayMode);
// Rows and columns of an array or a range; 1 x 1 for anything else.
ArrayShape shapeOf(const Operand& o);
// The shape of an element-by-element result: the larger of the two each way. A side of one row
// (or column) is stretched to the other's; the elements beyond a smaller side are #N/A.
ArrayShape combinedShape(ArrayShape a, ArrayShape b);
// Element (r, c) of `o` in such a result: a cell reference for a range, a value for an array,
// #N/A past its edge; any other operand is itself.
Operand elementOf(const Operand& o, int r, int c);
Operand arrayOperand(ValueArray values);
// Whether an array of this shape is more than the engine computes (kMostArrayElements).
bool tooLarge(ArrayShape s);
// Every value of an operand as an array (a single value is 1 x 1).
ValueArray valuesOf(const Operand& o, const EvalContext& ctx);

}  // namespace host::formula
