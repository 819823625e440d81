#pragma once
#include <cstdint>
#include <string_view>

namespace tallomer {

// Row numbers, column offsets and the entries count are 16-bit signed integers. These
// conversions fail (SheetFailure) on overflow instead of wrapping.

// a + b, or SheetFailure when the sum leaves -32768..32767.
std::int16_t add16(std::int16_t a, std::int16_t b);

// A number converted as an Integer assignment does: rounded half to even, SheetFailure when
// out of range.
std::int16_t toInt16(double value);

// A numeric text (as the locale's number test reads it) converted like toInt16; SheetFailure
// for a text that is not a number.
std::int16_t parseInt16(std::string_view text);

}  // namespace tallomer
