#include "formula/text_to_number.h"

#include <cctype>
#include <string>

#include "host/locale.h"

namespace host::formula {

namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }
bool digit(char c) { return c >= '0' && c <= '9'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

bool endsWithNoCase(std::string_view s, std::string_view end) {
    if (s.size() < end.size()) return false;
    for (std::size_t i = 0; i < end.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(s[s.size() - end.size() + i])) != end[i]) return false;
    }
    return true;
}

// Digits only, at least one and at most `most`; their value in `out`.
bool digitsOf(std::string_view s, std::size_t most, double& out) {
    if (s.empty() || s.size() > most) return false;
    out = 0;
    for (char c : s) {
        if (!digit(c)) return false;
        out = out * 10 + (c - '0');
    }
    return true;
}

// h:mm, h:mm:ss or h:mm:ss.fff, or with AM/PM also a bare hour ("3 PM"). Minutes and
// seconds below 60; the hour any size without AM/PM (a duration, "25:00"), 0 to 12 with it.
std::optional<double> timeOfDay(std::string_view s) {
    int half = 0;  // 1 AM, 2 PM
    if (endsWithNoCase(s, "AM") || endsWithNoCase(s, "PM")) {
        half = std::toupper(static_cast<unsigned char>(s[s.size() - 2])) == 'A' ? 1 : 2;
        s = trim(s.substr(0, s.size() - 2));
    } else if (endsWithNoCase(s, "A") || endsWithNoCase(s, "P")) {
        half = std::toupper(static_cast<unsigned char>(s.back())) == 'A' ? 1 : 2;
        s = trim(s.substr(0, s.size() - 1));
    }
    double parts[3] = {0, 0, 0};
    int count = 0;
    double fraction = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = s.find(':', start);
        std::string_view part =
            s.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start);
        if (count == 2) {  // seconds may carry a decimal fraction
            const std::size_t dot = part.find('.');
            if (dot != std::string_view::npos) {
                const std::string_view frac = part.substr(dot + 1);
                double f = 0;
                if (!frac.empty() && !digitsOf(frac, 15, f)) return std::nullopt;
                double scale = 1;
                for (std::size_t i = 0; i < frac.size(); ++i) scale *= 10;
                fraction = frac.empty() ? 0 : f / scale;
                part = part.substr(0, dot);
            }
        }
        if (count == 3 || !digitsOf(part, count == 0 ? 5 : 2, parts[count])) return std::nullopt;
        ++count;
        if (colon == std::string_view::npos) break;
        start = colon + 1;
    }
    if (count == 1 && !half) return std::nullopt;  // a bare number is no time
    if (parts[1] >= 60 || parts[2] >= 60) return std::nullopt;
    double hour = parts[0];
    if (half) {
        if (hour > 12) return std::nullopt;
        if (hour == 12) hour = 0;
        if (half == 2) hour += 12;
    }
    return (hour * 3600 + parts[1] * 60 + parts[2] + fraction) / 86400;
}

// A number with an optional currency sign before it (after a minus sign too) and brackets
// for a negative one.
std::optional<double> plainNumber(std::string_view s) {
    bool negative = false;
    if (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
        negative = true;
        s = trim(s.substr(1, s.size() - 2));
    }
    std::string text(s);
    const std::size_t dollar = text.find('$');
    if (dollar != std::string::npos) {
        // Only in front of the digits: "$5", "-$5", "$-5".
        if (dollar > 1 || (dollar == 1 && text[0] != '-' && text[0] != '+')) return std::nullopt;
        text.erase(dollar, 1);
        if (text.find('$') != std::string::npos) return std::nullopt;
    }
    if (text.empty() || blank(text.front()) || blank(text.back())) return std::nullopt;
    auto n = parseNumber(text);
    if (!n) return std::nullopt;
    if (negative) {
        if (text[0] == '-' || text[0] == '+') return std::nullopt;
        return -*n;
    }
    return n;
}

}  // namespace

std::optional<double> textToNumber(std::string_view text) {
    const std::string_view s = trim(text);
    if (s.empty()) return std::nullopt;
    if (auto n = plainNumber(s)) return n;
    if (s.back() == '%') {
        if (auto n = plainNumber(trim(s.substr(0, s.size() - 1)))) return *n / 100;
        return std::nullopt;
    }
    if (auto d = parseTypedDate(s)) return d;
    if (auto t = timeOfDay(s)) return t;
    // A date and a time of day: "2/1/2001 15:43".
    const std::size_t space = s.find(' ');
    if (space != std::string_view::npos) {
        const auto d = parseTypedDate(s.substr(0, space));
        const auto t = timeOfDay(trim(s.substr(space + 1)));
        if (d && t) return *d + *t;
    }
    return std::nullopt;
}

}  // namespace host::formula
