#pragma once
// Number format codes as TEXT applies them: "0.00", "#,##0", "0%", "$#,##0.00", quoted and
// escaped literals, sections for positive;negative;zero;text, and the date and time codes
// d dd ddd dddd m mm mmm mmmm yy yyyy h hh mm ss AM/PM.
#include <optional>
#include <string>
#include <string_view>

namespace host::formula {

// Whether every part of the code is one the formatter renders as Excel does. A code with
// anything else (colours, conditions, fractions, exponents, scaling commas, General ...) is
// still rendered, as closely as the formatter can, but a file's stored result of it wins.
bool formatCodeHandled(std::string_view code);

// The number shown by the code; nullopt when a date or time section gets a number no date
// has (negative or past the year 9999).
std::optional<std::string> formatNumber(double value, std::string_view code);

// A text shown by the code: through its fourth section, where it has one, else unchanged.
std::string formatText(std::string_view text, std::string_view code);

}  // namespace host::formula
