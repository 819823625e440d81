#pragma once
// RK: the 32-bit number form of RK and MULRK records. It holds a 30-bit integer or the top
// 30 bits of a double, either optionally divided by 100.
#include <cstdint>
#include <optional>

namespace host::xls {

// The RK form of `value` when it holds the value exactly, else nullopt (write a NUMBER).
std::optional<std::uint32_t> encodeRkSlow(double value);
inline std::optional<std::uint32_t> encodeRk(double value) {
    // Most sheet numbers are small whole numbers: the integer form, inline. -0.0 goes the
    // long way, which keeps its sign.
    if (value >= -(1 << 29) && value < (1 << 29)) {
        const auto n = static_cast<std::int32_t>(value);
        if (n == value && n != 0) return (static_cast<std::uint32_t>(n) << 2) | 2u;
    }
    return encodeRkSlow(value);
}
double decodeRk(std::uint32_t rk);

}  // namespace host::xls
