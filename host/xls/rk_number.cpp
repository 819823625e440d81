#include "xls/rk_number.h"

#include <cmath>
#include <cstring>

namespace host::xls {
namespace {

constexpr std::int32_t kRkIntMin = -(1 << 29);
constexpr std::int32_t kRkIntMax = (1 << 29) - 1;

std::uint64_t bitsOf(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, 8);
    return b;
}

bool sameBits(double a, double b) { return bitsOf(a) == bitsOf(b); }

std::optional<std::uint32_t> asInteger(double v, std::uint32_t flags) {
    if (!(v >= kRkIntMin && v <= kRkIntMax) || v != std::floor(v)) return std::nullopt;
    const auto n = static_cast<std::int32_t>(v);
    return (static_cast<std::uint32_t>(n) << 2) | flags | 2u;
}

std::optional<std::uint32_t> asTruncatedDouble(double v, std::uint32_t flags) {
    const std::uint64_t b = bitsOf(v);
    if (b & 0x3FFFFFFFFull) return std::nullopt;  // the 34 bits RK drops must be zero
    return static_cast<std::uint32_t>(b >> 32) | flags;
}

}  // namespace

double decodeRk(std::uint32_t rk) {
    double v;
    if (rk & 2) {
        v = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        const std::uint64_t b = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &b, 8);
    }
    return (rk & 1) ? v / 100 : v;
}

bool encodeRkSlow(double value, std::uint32_t& rk) {
    const auto found = [&rk](std::uint32_t candidate) {
        rk = candidate;
        return true;
    };
    if (value >= kRkIntMin && value <= kRkIntMax) {
        const auto n = static_cast<std::int32_t>(value);
        if (n == value && !(n == 0 && std::signbit(value))) return found((static_cast<std::uint32_t>(n) << 2) | 2u);
    }
    if (!std::isfinite(value)) return false;
    // -0.0 would come back as 0 from the integer form.
    if (value == 0 && std::signbit(value)) {
        const auto negativeZero = asTruncatedDouble(value, 0);
        return negativeZero && found(*negativeZero);
    }
    // Amounts in cents: the x100 integer form.
    const double hundred = value * 100;
    if (auto cents = asInteger(hundred, 1); cents && sameBits(decodeRk(*cents), value)) return found(*cents);
    for (auto candidate : {asTruncatedDouble(value, 0), asTruncatedDouble(hundred, 1)}) {
        if (candidate && sameBits(decodeRk(*candidate), value)) return found(*candidate);
    }
    return false;
}

}  // namespace host::xls
