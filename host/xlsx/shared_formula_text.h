#pragma once
// A shared formula's text moved from its first cell to another cell of its range, for the
// formulas the engine keeps as text (other sheets, names, functions it lacks): a file holds
// the text only in the first cell, and every other cell of the range says "the same, moved".
#include <optional>
#include <string>
#include <string_view>

#include "host/address.h"

namespace host::xlsx {

// `text` (without the leading "=") as it reads `rows` rows down and `cols` columns across:
// relative rows and columns of its cell references move, absolute ones and everything inside
// quotes stay. nullopt when a reference would leave the sheet (the cell keeps its result
// only) or the text holds whole-row or whole-column ranges, which it does not move.
std::optional<std::string> moveFormulaText(std::string_view text, int rows, int cols);

}  // namespace host::xlsx
