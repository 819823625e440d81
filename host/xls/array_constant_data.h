#pragma once
// The data of an array constant (tArray) in a BIFF8 formula: not in the token itself but after
// the formula's tokens (the rgcb), one block per tArray in token order: the columns less one
// (a byte), the rows less one (two bytes), then each value row by row, a type byte and its data.
#include <cstdint>
#include <span>
#include <vector>

#include "host/formula_code.h"

namespace host::xls {

// Reads the array constant starting at `pos` in `data`, moving `pos` past it. Throws
// HostError when the data runs short or holds a value type the format does not have.
ArrayConstant readArrayConstant(std::span<const std::uint8_t> data, std::size_t& pos);
// Appends the data of `array` to `out`.
void writeArrayConstant(const ArrayConstant& array, std::vector<std::uint8_t>& out);

}  // namespace host::xls
