#include "workbook/int16.h"

#include <cmath>
#include <string>

#include "host/locale.h"
#include "workbook/sheet_failure.h"

namespace tallomer {

std::int16_t add16(std::int16_t a, std::int16_t b) {
    const int sum = int{a} + int{b};
    if (sum < INT16_MIN || sum > INT16_MAX) {
        throw SheetFailure("Overflow: " + std::to_string(a) + " + " + std::to_string(b));
    }
    return static_cast<std::int16_t>(sum);
}

std::int16_t toInt16(double value) {
    if (!std::isfinite(value)) throw SheetFailure("Overflow: not a finite number");
    const double rounded = std::nearbyint(value);  // the default mode rounds halves to even
    if (rounded < INT16_MIN || rounded > INT16_MAX) {
        throw SheetFailure("Overflow: " + std::to_string(value) + " is not a 16-bit integer");
    }
    return static_cast<std::int16_t>(rounded);
}

std::int16_t parseInt16(std::string_view text) {
    const auto number = host::parseNumber(text);
    if (!number) throw SheetFailure("Type mismatch: \"" + std::string(text) + "\" is not a number");
    return toInt16(*number);
}

}  // namespace tallomer
