#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tallomer {

// How an imported field becomes the text Submit is given. These are the only changes made;
// the README lists them for users.

// A figure: surrounding blanks (spaces, tabs, no-break spaces) dropped; one currency sign
// ($, €, £, ¥) before the digits, after a leading minus or after the digits dropped, with the
// blanks beside it; commas between groups of three digits of the whole part dropped
// (1,234,567.89 gives 1234567.89). Anything else stays as it is, for Submit's number test to
// judge. nullopt, with `why`, for a field that is empty once cleaned.
std::optional<std::string> CleanFigure(std::string_view field, std::string& why);

enum class DateOrder {
    Default,  // yyyy-mm-dd, or day first: dd/mm/yyyy, d/m/yyyy
    DMY,
    MDY,
    YMD,
};
std::optional<DateOrder> dateOrderFromName(std::string_view name);  // "dmy", "mdy", "ymd"

// A date field, after surrounding blanks are dropped: a four-digit year and one- or two-digit
// month and day, separated by "/", "-" or ".". A date that starts with its four-digit year is
// read year, month, day in every order; otherwise Default and DMY read day first, MDY month
// first, and YMD refuses it. Gives the date as Submit takes it typed, day first: dd/mm/yyyy.
// nullopt, with `why`, for anything else or a day that does not exist.
struct ImportDate {
    std::string typed;  // dd/mm/yyyy
    double serial = 0;  // the day as the sheet holds it, to find repeats
};
std::optional<ImportDate> ReadImportDate(std::string_view field, DateOrder order, std::string& why);

}  // namespace tallomer
