#pragma once
// Functions that live in files of their own, called from callFunction.
#include <span>

#include "formula/evaluator.h"

namespace host::formula {

// SUMIF, COUNTIF, AVERAGEIF: cells picked by a criterion ("Y", ">=5", "<>", "a*").
Operand sumIf(std::span<Operand> args, const EvalContext& ctx);
Operand countIf(std::span<Operand> args, const EvalContext& ctx);
Operand averageIf(std::span<Operand> args, const EvalContext& ctx);
Operand sumProduct(std::span<Operand> args, const EvalContext& ctx);

// VLOOKUP, MATCH, INDEX.
Operand vlookup(std::span<Operand> args, const EvalContext& ctx);
Operand match(std::span<Operand> args, const EvalContext& ctx);
Operand index(std::span<Operand> args, const EvalContext& ctx);

// Case-insensitive text comparison (ASCII letters), -1, 0 or 1.
int compareTextNoCase(std::string_view a, std::string_view b);
// Excel's wildcards: * any run, ? any one character, ~ takes the next literally. No case.
bool wildcardMatch(std::string_view pattern, std::string_view text);
bool hasWildcards(std::string_view text);

}  // namespace host::formula
