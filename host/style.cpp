#include "host/style.h"

#include <cctype>

namespace host {

bool isDateFormat(const std::string& numberFormat) {
    // A format shows a date when, outside quoted text, escaped characters and [..] sections,
    // it uses one of the date codes d, m (not as minutes: after h or before s), y. A format
    // with only time codes (h, m as minutes, s) is not a date.
    // Only the first section (positive numbers) counts.
    bool inQuote = false;
    bool sawDate = false;
    bool lastWasHour = false;  // the previous code letter was h (so m means minutes)
    const std::string& f = numberFormat;
    for (std::size_t i = 0; i < f.size(); ++i) {
        const char c = f[i];
        if (inQuote) {
            if (c == '"') inQuote = false;
            continue;
        }
        if (c == '"') {
            inQuote = true;
            continue;
        }
        if (c == '\\' || c == '_' || c == '*') {
            ++i;
            continue;
        }
        if (c == '[') {
            const auto close = f.find(']', i);
            if (close == std::string::npos) break;
            i = close;
            continue;
        }
        if (c == ';') break;
        const char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (l == 'a') {  // AM/PM, A/P
            std::string rest;
            for (std::size_t j = i; j < f.size() && j < i + 5; ++j) {
                rest += static_cast<char>(std::toupper(static_cast<unsigned char>(f[j])));
            }
            if (rest.rfind("AM/PM", 0) == 0) {
                i += 4;
                continue;
            }
            if (rest.rfind("A/P", 0) == 0) {
                i += 2;
                continue;
            }
            continue;
        }
        if (l == 'd' || l == 'y') {
            sawDate = true;
            lastWasHour = false;
        } else if (l == 'h') {
            lastWasHour = true;
        } else if (l == 's') {
            lastWasHour = false;
        } else if (l == 'm') {
            // Minutes when right after an hour code or right before a seconds code.
            std::size_t j = i;
            while (j < f.size() && std::tolower(static_cast<unsigned char>(f[j])) == 'm') ++j;
            std::size_t k = j;
            while (k < f.size() && !std::isalpha(static_cast<unsigned char>(f[k])) && f[k] != ';') ++k;
            const bool beforeSeconds = k < f.size() && std::tolower(static_cast<unsigned char>(f[k])) == 's';
            if (!lastWasHour && !beforeSeconds) sawDate = true;
            lastWasHour = false;
            i = j - 1;
        } else if (l == 'g' && f.compare(i, 7, "General") == 0) {
            i += 6;
        }
    }
    return sawDate;
}

std::uint16_t StyleTable::intern(const Style& style) {
    for (std::size_t i = 0; i < styles_.size(); ++i) {
        if (styles_[i] == style) return static_cast<std::uint16_t>(i);
    }
    styles_.push_back(style);
    return static_cast<std::uint16_t>(styles_.size() - 1);
}

}  // namespace host
