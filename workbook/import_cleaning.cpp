#include "workbook/import_cleaning.h"

#include <array>
#include <cstdio>

#include "host/locale.h"

namespace tallomer {

namespace {
constexpr std::string_view kBlanks[] = {" ", "\t", "\xC2\xA0", "\xE2\x80\xAF"};  // NBSP, narrow NBSP
constexpr std::string_view kCurrencySigns[] = {"$", "\xE2\x82\xAC", "\xC2\xA3", "\xC2\xA5"};  // $ € £ ¥

std::string_view trimBlanks(std::string_view s) {
    for (bool again = true; again;) {
        again = false;
        for (std::string_view blank : kBlanks) {
            if (s.starts_with(blank)) s.remove_prefix(blank.size()), again = true;
            if (s.ends_with(blank)) s.remove_suffix(blank.size()), again = true;
        }
    }
    return s;
}

bool dropCurrencyPrefix(std::string_view& s) {
    for (std::string_view sign : kCurrencySigns) {
        if (s.starts_with(sign)) {
            s = trimBlanks(s.substr(sign.size()));
            return true;
        }
    }
    return false;
}
bool dropCurrencySuffix(std::string_view& s) {
    for (std::string_view sign : kCurrencySigns) {
        if (s.ends_with(sign)) {
            s = trimBlanks(s.substr(0, s.size() - sign.size()));
            return true;
        }
    }
    return false;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Drops the commas of 1,234,567 in the whole part, only when every group after the first has
// exactly three digits; otherwise the text stays as it is.
std::string dropThousandsSeparators(std::string_view s) {
    const std::size_t start = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
    std::size_t end = start;
    while (end < s.size() && (isDigit(s[end]) || s[end] == ',')) ++end;
    const std::string_view whole = s.substr(start, end - start);
    if (whole.find(',') == std::string_view::npos) return std::string(s);
    std::size_t group = 0;
    bool first = true;
    for (char c : whole) {
        if (c == ',') {
            if (group == 0 || (!first && group != 3)) return std::string(s);
            first = false;
            group = 0;
        } else {
            ++group;
        }
    }
    if (group != 3) return std::string(s);
    std::string out(s.substr(0, start));
    for (char c : whole) {
        if (c != ',') out.push_back(c);
    }
    out += s.substr(end);
    return out;
}
}  // namespace

std::optional<std::string> CleanFigure(std::string_view field, std::string& why) {
    std::string_view s = trimBlanks(field);
    std::string sign;
    if (!dropCurrencyPrefix(s)) {
        if (s.starts_with("-") || s.starts_with("+")) {
            std::string_view rest = trimBlanks(s.substr(1));
            if (dropCurrencyPrefix(rest)) {
                sign = s.substr(0, 1);
                s = rest;
            }
        }
        if (sign.empty()) dropCurrencySuffix(s);
    }
    if (s.empty()) {
        why = "empty";
        return std::nullopt;
    }
    return sign + dropThousandsSeparators(s);
}

std::optional<DateOrder> dateOrderFromName(std::string_view name) {
    if (name == "dmy") return DateOrder::DMY;
    if (name == "mdy") return DateOrder::MDY;
    if (name == "ymd") return DateOrder::YMD;
    return std::nullopt;
}

std::optional<ImportDate> ReadImportDate(std::string_view field, DateOrder order, std::string& why) {
    const std::string_view s = trimBlanks(field);
    if (s.empty()) {
        why = "empty";
        return std::nullopt;
    }
    // Three runs of digits with one separator character between them, the same both times.
    std::array<std::string_view, 3> parts;
    std::size_t pos = 0;
    char separator = 0;
    bool shaped = true;
    for (int i = 0; i < 3 && shaped; ++i) {
        const std::size_t begin = pos;
        while (pos < s.size() && isDigit(s[pos])) ++pos;
        parts[i] = s.substr(begin, pos - begin);
        shaped = !parts[i].empty() && parts[i].size() <= 4;
        if (i < 2 && shaped) {
            shaped = pos < s.size() && (s[pos] == '/' || s[pos] == '-' || s[pos] == '.') &&
                     (separator == 0 || s[pos] == separator);
            if (shaped) separator = s[pos++];
        }
    }
    if (!shaped || pos != s.size()) {
        why = "not a date (yyyy-mm-dd or dd/mm/yyyy)";
        return std::nullopt;
    }
    auto number = [](std::string_view digits) {
        int n = 0;
        for (char c : digits) n = n * 10 + (c - '0');
        return n;
    };
    std::string_view year, month, day;
    if (parts[0].size() == 4) {
        year = parts[0], month = parts[1], day = parts[2];
    } else if (order == DateOrder::YMD) {
        why = "not a year-first date (yyyy-mm-dd)";
        return std::nullopt;
    } else if (order == DateOrder::MDY) {
        month = parts[0], day = parts[1], year = parts[2];
    } else {
        day = parts[0], month = parts[1], year = parts[2];
    }
    if (year.size() != 4 || month.size() > 2 || day.size() > 2) {
        why = "not a date with a four-digit year";
        return std::nullopt;
    }
    const host::Date date{number(year), number(month), number(day)};
    const std::optional<double> serial = host::serialFromDate(date);
    if (!serial || (date.month == 2 && date.day == 29 && date.year == 1900)) {
        why = "no such day";
        return std::nullopt;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", date.day, date.month, date.year);
    return ImportDate{text, *serial};
}

}  // namespace tallomer
