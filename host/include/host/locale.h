#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace host {

// Locale services, English-US conventions.

// The number test: surrounding blanks, a sign, a decimal point, thousands separators and an
// exponent; the empty text is not a number. The host reads typed numbers with the same rules,
// so a text this accepts is always stored as a number.
std::optional<double> parseNumber(std::string_view text);
inline bool isNumeric(std::string_view text) { return parseNumber(text).has_value(); }

// General number form: no group separators, at most 15 significant digits, no trailing
// zeros, exponent form for very large or small values: 10, 10.5, 0.333333333333333.
std::string generalNumber(double value);

// Rounds to 2 decimals; an exact decimal half goes to the even digit (0.125 -> 0.12,
// 0.135 -> 0.14).
double roundHalfEven2(double value);

// Serial day numbers of the 1900 date system, with its 1900 leap-year quirk:
// 1/1/1900 is 1, 2/1/2001 is 36923.
struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
};
std::optional<double> serialFromDate(Date date);  // nullopt for an invalid date
std::optional<Date> dateFromSerial(double serial);  // nullopt below 1 or past 9999

// The short date form m/d/yy: 2/1/01.
std::string shortDate(double serial);

// A month/day/year text as typed: 1- or 2-digit month and day, 2- or 4-digit year (00-29 the
// 2000s, 30-99 the 1900s). nullopt when it is not a valid date.
std::optional<double> parseTypedDate(std::string_view text);

}  // namespace host
