#pragma once
// RK: the 32-bit number form of RK and MULRK records. It holds a 30-bit integer or the top
// 30 bits of a double, either optionally divided by 100.
#include <cstdint>
#include <optional>

namespace host::xls {

// The RK form of `value` when it holds the value exactly, else nullopt (write a NUMBER).
std::optional<std::uint32_t> encodeRk(double value);
double decodeRk(std::uint32_t rk);

}  // namespace host::xls
