#pragma once
#include <cstdint>

#include "host/value.h"

namespace tallomer {

// B1, read as a 16-bit integer: an empty cell is 0, a number is rounded half to even; a text,
// logical or error value, or a count past 32767, is a SheetFailure.
std::int16_t EntriesCount(const host::CellValue& b1);

}  // namespace tallomer
