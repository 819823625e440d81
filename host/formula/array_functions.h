#pragma once
// Functions inside array formulas: which arguments go element by element, and which functions
// the engine computes there exactly as Excel does.
#include "host/function_table.h"

namespace host::formula {

// The most elements an array formula's values may have; a larger result is #NUM!. (Sixteen
// full columns, far beyond any shop workbook; it bounds the memory an array takes.)
inline constexpr long kMostArrayElements = 1L << 20;

// The engine computes `func` in an array formula as Excel does, element by element or over the
// whole array as Excel has it. An array formula calling any other keeps the results it stored.
bool exactInArrays(FunctionId func);
// Whether argument `index` of `func` is taken whole (a range as a range: SUM's arguments, the
// range of SUMIF, the table of VLOOKUP), not element by element, inside an array formula.
bool takesArgumentWhole(FunctionId func, int index);

}  // namespace host::formula
