#pragma once
// Decimal rounding on a value's 15-significant-digit decimal form, shared by the locale
// services (2 decimals, ties to even) and the formula functions (ROUND, ROUNDUP, ROUNDDOWN).
namespace host::detail {

enum class RoundMode { HalfEven, HalfAwayFromZero, AwayFromZero, TowardZero };

// Rounds to `digits` decimals (negative: to tens, hundreds ...), deciding on the decimal digits
// of the value's 15-significant-digit form, so 2.675 rounds as the decimal 2.675 it reads as.
double roundDecimal(double value, int digits, RoundMode mode);

}  // namespace host::detail
