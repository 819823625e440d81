#pragma once
// RK: the 32-bit number form of RK and MULRK records. It holds a 30-bit integer or the top
// 30 bits of a double, either optionally divided by 100.
#include <cmath>
#include <cstdint>
#include <optional>

namespace host::xls {

// Sets `rk` to the RK form of `value` when that holds the value exactly; false when it does
// not (write a NUMBER). An out parameter, not an optional: the writer calls this per cell.
bool encodeRkSlow(double value, std::uint32_t& rk);
inline bool encodeRk(double value, std::uint32_t& rk) {
    // Most sheet numbers are small whole numbers: the integer form, inline. -0.0 goes the
    // long way, which keeps its sign.
    if (value >= -(1 << 29) && value < (1 << 29)) {
        const auto n = static_cast<std::int32_t>(value);
        if (n == value && (n != 0 || !std::signbit(value))) {
            rk = (static_cast<std::uint32_t>(n) << 2) | 2u;
            return true;
        }
    }
    return encodeRkSlow(value, rk);
}
inline std::optional<std::uint32_t> encodeRk(double value) {
    std::uint32_t rk = 0;
    if (encodeRk(value, rk)) return rk;
    return std::nullopt;
}
double decodeRk(std::uint32_t rk);

}  // namespace host::xls
