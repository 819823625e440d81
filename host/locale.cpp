// Locale services, English-US conventions: the number test, the general number form, rounding
// to 2 decimals with ties to even, and the 1900 date system with its leap-year quirk.
#include "host/locale.h"

#include "decimal.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace host {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The value's decimal form with 15 significant digits: digits "d1d2...d15" and the decimal
// exponent of d1 (value = 0.d1d2... * 10^(exp+1)). Zero gives "000000000000000", exp 0.
struct Decimal15 {
    bool negative = false;
    std::string digits;  // exactly 15 digits
    int exp = 0;  // power of ten of the first digit
};

Decimal15 decimal15(double value) {
    Decimal15 d;
    d.negative = std::signbit(value) && value != 0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    // buf: "d.dddddddddddddde[+-]xx"
    std::string s(buf);
    const auto e = s.find('e');
    d.digits = s.substr(0, 1) + s.substr(2, e - 2);
    d.exp = std::atoi(s.c_str() + e + 1);
    if (value == 0) d.exp = 0;
    return d;
}

}  // namespace

std::optional<double> parseNumber(std::string_view text) {
    std::string_view s = trimBlanks(text);
    if (s.empty()) return std::nullopt;
    std::string clean;
    clean.reserve(s.size());
    std::size_t i = 0;
    if (s[i] == '+' || s[i] == '-') {
        if (s[i] == '-') clean.push_back('-');
        ++i;
    }
    // Integer part, with optional thousands separators: each comma follows at least one digit
    // and is followed by exactly three digits.
    std::size_t intDigits = 0;
    std::size_t sinceComma = 0;
    bool sawComma = false;
    while (i < s.size() && (isDigit(s[i]) || s[i] == ',')) {
        if (s[i] == ',') {
            if (intDigits == 0 || (sawComma && sinceComma != 3)) return std::nullopt;
            sawComma = true;
            sinceComma = 0;
        } else {
            clean.push_back(s[i]);
            ++intDigits;
            ++sinceComma;
        }
        ++i;
    }
    if (sawComma && sinceComma != 3) return std::nullopt;
    std::size_t fracDigits = 0;
    if (i < s.size() && s[i] == '.') {
        clean.push_back('.');
        ++i;
        while (i < s.size() && isDigit(s[i])) {
            clean.push_back(s[i]);
            ++fracDigits;
            ++i;
        }
    }
    if (intDigits + fracDigits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        clean.push_back('e');
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) clean.push_back(s[i++]);
        std::size_t expDigits = 0;
        while (i < s.size() && isDigit(s[i])) {
            clean.push_back(s[i]);
            ++expDigits;
            ++i;
        }
        if (expDigits == 0) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(clean.c_str(), &end);
    if (end != clean.c_str() + clean.size() || !std::isfinite(v)) return std::nullopt;
    return v == 0 ? 0.0 : v;  // no negative zero
}

std::string generalNumber(double value) {
    if (std::isnan(value)) return "#NUM!";
    if (std::isinf(value)) return value > 0 ? "1E+308" : "-1E+308";
    if (value == 0) return "0";
    Decimal15 d = decimal15(value);
    // Drop trailing zeros of the 15 significant digits.
    std::string digits = d.digits;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out = d.negative ? "-" : "";
    if (d.exp >= 15 || d.exp < -4) {
        // Exponent form: 1.5E+20, 1E-05.
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out += digits.substr(1);
        }
        char e[16];
        std::snprintf(e, sizeof e, "E%c%02d", d.exp < 0 ? '-' : '+', std::abs(d.exp));
        out += e;
        return out;
    }
    if (d.exp < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-d.exp - 1), '0');
        out += digits;
        return out;
    }
    const std::size_t intLen = static_cast<std::size_t>(d.exp) + 1;
    if (digits.size() <= intLen) {
        out += digits;
        out.append(intLen - digits.size(), '0');
    } else {
        out += digits.substr(0, intLen);
        out += '.';
        out += digits.substr(intLen);
    }
    return out;
}

double roundHalfEven2(double value) { return detail::roundDecimal(value, 2, detail::RoundMode::HalfEven); }

namespace detail {

double roundDecimal(double value, int digits, RoundMode mode) {
    if (!std::isfinite(value) || value == 0) return value;
    if (digits > 30) return value;
    if (digits < -308) return 0.0;
    Decimal15 d = decimal15(value);
    const int keep = d.exp + 1 + digits;  // leading significant digits kept
    if (keep >= 15) return value;  // no digit of the 15-digit form is dropped
    long long units = 0;  // the kept digits, in units of 10^-digits
    std::string dropped = d.digits;
    if (keep > 0) {
        units = std::stoll(d.digits.substr(0, static_cast<std::size_t>(keep)));
        dropped = d.digits.substr(static_cast<std::size_t>(keep));
    }
    const bool droppedZero = dropped.find_first_not_of('0') == std::string::npos;
    // When keep < 0 the dropped part is below half a unit: value < 10^(-digits-1).
    const char first = keep >= 0 ? dropped[0] : '0';
    const bool restZero = keep >= 0 && dropped.find_first_not_of('0', 1) == std::string::npos;
    bool up = false;
    switch (mode) {
        case RoundMode::HalfEven: up = first > '5' || (first == '5' && (!restZero || units % 2 == 1)); break;
        case RoundMode::HalfAwayFromZero: up = first >= '5'; break;
        case RoundMode::AwayFromZero: up = !droppedZero; break;
        case RoundMode::TowardZero: up = false; break;
    }
    if (up) ++units;
    if (units == 0) return 0.0;
    double result;
    if (digits >= 0) {
        result = static_cast<double>(units) / std::pow(10.0, digits);
    } else {
        result = static_cast<double>(units) * std::pow(10.0, -digits);
    }
    // For digits <= 22 the power of ten is exact, so the division is correctly rounded.
    return d.negative ? -result : result;
}

}  // namespace detail

namespace {

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && isLeap(y)) return 29;
    return kDays[m - 1];
}

// Days from 1970-01-01 (civil calendar, proleptic Gregorian).
long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

Date civilFromDays(long z) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long y = yoe + era * 400;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return Date{static_cast<int>(y + (m <= 2)), m, d};
}

// 1899-12-30 is serial 0 for every date from 1 March 1900 on.
const long kEpoch = daysFromCivil(1899, 12, 30);
constexpr double kMaxSerial = 2958465;  // 12/31/9999

}  // namespace

std::optional<double> serialFromDate(Date date) {
    if (date.year < 1900 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1) {
        return std::nullopt;
    }
    if (date.year == 1900 && date.month == 2 && date.day == 29) return 60.0;  // the quirk
    if (date.day > daysInMonth(date.year, date.month)) return std::nullopt;
    long serial = daysFromCivil(date.year, date.month, date.day) - kEpoch;
    if (serial < 61) serial -= 1;  // before 1 March 1900 the quirk shifts nothing: 1/1/1900 is 1
    return static_cast<double>(serial);
}

std::optional<Date> dateFromSerial(double serial) {
    if (!std::isfinite(serial) || serial < 1 || serial >= kMaxSerial + 1) return std::nullopt;
    long day = static_cast<long>(std::floor(serial));
    if (day == 60) return Date{1900, 2, 29};
    if (day < 60) day += 1;
    return civilFromDays(day + kEpoch);
}

std::string shortDate(double serial) {
    const auto d = dateFromSerial(serial);
    if (!d) return generalNumber(serial);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d/%d/%02d", d->month, d->day, d->year % 100);
    return buf;
}

std::optional<double> parseTypedDate(std::string_view text) {
    std::string_view s = trimBlanks(text);
    int parts[3] = {0, 0, 0};
    std::size_t lengths[3] = {0, 0, 0};
    std::size_t i = 0;
    for (int p = 0; p < 3; ++p) {
        while (i < s.size() && isBlank(s[i])) ++i;
        while (i < s.size() && isDigit(s[i])) {
            if (++lengths[p] > 4) return std::nullopt;
            parts[p] = parts[p] * 10 + (s[i] - '0');
            ++i;
        }
        while (i < s.size() && isBlank(s[i])) ++i;
        if (p < 2) {
            if (i >= s.size() || s[i] != '/') return std::nullopt;
            ++i;
        }
    }
    if (i != s.size()) return std::nullopt;
    if (lengths[0] < 1 || lengths[0] > 2 || lengths[1] < 1 || lengths[1] > 2) return std::nullopt;
    int year = parts[2];
    if (lengths[2] == 2) {
        year += year < 30 ? 2000 : 1900;
    } else if (lengths[2] != 4) {
        return std::nullopt;
    }
    return serialFromDate(Date{year, parts[0], parts[1]});
}

}  // namespace host
