#pragma once
// The formula evaluator: computes a FormulaCode for the cell that owns it, reading other
// cells through an EvalContext (the worksheet's cell store).
#include <functional>
#include <limits>
#include <memory>
#include <span>
#include <vector>

#include "host/formula_code.h"
#include "host/value.h"

namespace host::formula {

// Numbers of an area in one pass: what SUM, AVERAGE, MIN, MAX, COUNT and COUNTA need.
struct AreaStats {
    double sum = 0;
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();
    long numbers = 0;  // cells holding a number
    long nonEmpty = 0;  // cells holding any value
    bool hasError = false;
    ErrorCode firstError = ErrorCode::Value;
};

class EvalContext {
public:
    virtual ~EvalContext() = default;
    // The value of one cell on the sheet (Empty for an empty cell).
    virtual Value cellValue(CellAddress at) const = 0;
    // Stats over an area within the sheet; min and max only when asked.
    virtual AreaStats areaStats(const CellRange& area, bool wantMinMax) const = 0;
    // Visits every non-empty value of an area; the visitor returns false to stop.
    virtual void forEachValue(const CellRange& area, const std::function<bool(const Value&)>& visit) const = 0;
    // The number in a cell on the sheet, an empty one counting as 0; false for any other value.
    // A store that holds numbers apart overrides this to answer without making a Value.
    virtual bool numberAt(CellAddress at, double& out) const;
};

// Values in rows and columns, row by row: what an array formula computes, and what a range
// becomes in one where a single value is expected. An element from an empty cell is Empty.
struct ValueArray {
    int rows = 0;
    int cols = 0;
    std::vector<Value> values;
    const Value& at(int r, int c) const { return values[static_cast<std::size_t>(r) * cols + c]; }
};

// An operand on the evaluation stack: a value, a cell reference, an area reference or an array.
struct Operand {
    enum class Type : std::uint8_t { Value, Ref, Area, Array } type = Type::Value;
    Value value;
    CellRange area;  // Ref: first == last
    bool missing = false;  // an omitted argument
    // Area: the cell of the formula that named it. Where one value is expected, an area gives
    // the cell in this cell's row (a column of cells) or column (a row of cells).
    CellAddress anchor;
    std::shared_ptr<const ValueArray> array;  // Array

    static Operand of(Value v) {
        Operand o;
        o.value = std::move(v);
        return o;
    }
};

// The formula's value in the cell at `owner`. The common shapes of a statistics sheet
// (=C3-E3, =F3/H3, =I3) on cells holding numbers are computed without the operand stack.
Value evaluate(const FormulaCode& code, CellAddress owner, const EvalContext& ctx);
// An array formula's values, computed once for all its cells, its references counted from
// `origin` (the first cell of its range): a range where one value is expected gives all its
// values, operators and functions of single values go element by element.
ValueArray evaluateArray(const FormulaCode& code, CellAddress origin, const EvalContext& ctx);
// The value an array formula's result gives the cell `row`, `col` (counted from its first
// cell): a single row or column repeats along the other way, #N/A where there is no element;
// an element from an empty cell shows 0.
Value arrayElementForCell(const ValueArray& result, int row, int col);

// Helpers shared with the functions.
// One value of an operand: an area gives its cell in the formula's own row or column (implicit
// intersection), #VALUE! when there is none; an array its first element.
Value scalar(const Operand& o, const EvalContext& ctx);
// A number, or an error when the value cannot be one (text that does not read as a number).
bool toNumber(const Value& v, double& out, ErrorCode& err);
bool toBoolean(const Value& v, bool& out, ErrorCode& err);
std::string toText(const Value& v);
Value numberResult(double n);  // #NUM! for infinities and NaN

Operand callFunction(FunctionId func, std::span<Operand> args, const EvalContext& ctx);
// The same inside an array formula: a function of single values given arrays (or ranges) goes
// element by element (see array_functions.cpp); the others take them whole.
Operand callFunctionInArray(FunctionId func, std::span<Operand> args, const EvalContext& ctx);

}  // namespace host::formula
