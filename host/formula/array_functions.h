#pragma once
// Functions inside array formulas: which arguments go element by element, and which functions
// the engine computes there exactly as Excel does.
#include <vector>

#include "host/formula_code.h"
#include "host/function_table.h"

namespace host::formula {

// The most elements an array formula's values may have; a larger result is #NUM!. (Sixteen
// full columns, far beyond any shop workbook; it bounds the memory an array takes.)
inline constexpr long kMostArrayElements = 1L << 20;

// The engine computes `func` in an array formula as Excel does, element by element or over the
// whole array as Excel has it. An array formula calling any other keeps the results it stored.
bool exactInArrays(FunctionId func);
// The tokens Excel computes element by element in an ordinary formula: those of SUMPRODUCT's
// arguments, whose ranges and operators give arrays without Ctrl+Shift+Enter. Sets marks[i]
// for each such token; false (marks left empty) when the formula has none.
bool markArrayArguments(const std::vector<Token>& rpn, std::vector<bool>& marks);
// Whether an ordinary formula's SUMPRODUCT arguments hold only what the engine computes there as
// Excel does: references, constants, operators and the functions exact in arrays other than
// IF and CHOOSE (which Excel evaluates element by element only in an array formula).
bool arrayArgumentsExact(const std::vector<Token>& rpn);

// Whether an ordinary formula's array constants meet only what takes them as Excel does:
// operators, element by element, and the functions that take arrays whole (SUM, OR, ...).
bool arrayConstantsExact(const std::vector<Token>& rpn);

// Whether argument `index` of `func` is taken whole (a range as a range: SUM's arguments, the
// range of SUMIF, the table of VLOOKUP), not element by element, inside an array formula.
bool takesArgumentWhole(FunctionId func, int index);

}  // namespace host::formula
