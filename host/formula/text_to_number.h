#pragma once
// Text taken as a number where a formula needs one, as Excel (en-US) takes it.
#include <optional>
#include <string_view>

namespace host::formula {

// A number ("1,000", "-1.5e3", "(5)" for -5, "$5"), a percentage ("50%"), a time ("15:43",
// "15:43:20.5", "3:05 PM", "3 PM") as a fraction of a day, a month/day/year date, or a date
// and a time ("2/1/2001 15:43"). Blanks around are ignored. nullopt for any other text.
std::optional<double> textToNumber(std::string_view text);

}  // namespace host::formula
