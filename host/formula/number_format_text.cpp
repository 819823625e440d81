// TEXT's formatter: a format code read into sections of parts, then one section rendered.
#include "formula/number_format_text.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "host/locale.h"

namespace host::formula {

namespace {

struct Part {
    enum class Kind { Literal, Zero, Hash, Point, Comma, Percent, Date, AmPm, At } kind;
    std::string text{};  // Literal
    char letter = 0;  // Date: d m y h s; 'n' is m read as minutes
    int count = 0;  // Date: how many letters in a row
};

struct Section {
    std::vector<Part> parts;
    bool isDate = false;
    bool handled = true;
};

constexpr std::string_view kPlainLiterals = "$-+/():!^&'~{}<>= ";

bool startsWith(std::string_view s, std::size_t i, std::string_view what) { return s.substr(i, what.size()) == what; }

// One section, from `i` up to the next ';' outside quotes (which `i` is left on).
Section readSection(std::string_view code, std::size_t& i) {
    Section s;
    auto literal = [&](std::string text, bool handled) {
        s.parts.push_back({Part::Kind::Literal, std::move(text)});
        if (!handled) s.handled = false;
    };
    while (i < code.size() && code[i] != ';') {
        const char c = code[i];
        const char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (c == '"') {
            const std::size_t end = code.find('"', i + 1);
            if (end == std::string_view::npos) {
                literal(std::string(code.substr(i + 1)), false);
                i = code.size();
                break;
            }
            literal(std::string(code.substr(i + 1, end - i - 1)), true);
            i = end + 1;
        } else if (c == '\\') {
            if (i + 1 < code.size())
                literal(std::string(1, code[i + 1]), true);
            else
                s.handled = false;
            i += 2;
        } else if (c == '[') {  // colours, conditions, elapsed time: not rendered
            const std::size_t end = code.find(']', i);
            i = end == std::string_view::npos ? code.size() : end + 1;
            s.handled = false;
        } else if (c == '_' || c == '*') {  // padding and fill: a blank at most
            if (c == '_') literal(" ", false);
            s.handled = false;
            i += 2;
        } else if (c == '0' || c == '#' || c == '?') {
            s.parts.push_back({c == '0' ? Part::Kind::Zero : Part::Kind::Hash});
            if (c == '?') s.handled = false;
            ++i;
        } else if (c == '.') {
            s.parts.push_back({Part::Kind::Point});
            ++i;
        } else if (c == ',') {
            s.parts.push_back({Part::Kind::Comma});
            ++i;
        } else if (c == '%') {
            s.parts.push_back({Part::Kind::Percent});
            ++i;
        } else if (c == '@') {
            s.parts.push_back({Part::Kind::At});
            ++i;
        } else if (l == 'd' || l == 'm' || l == 'y' || l == 'h' || l == 's') {
            int n = 0;
            while (i < code.size() && std::tolower(static_cast<unsigned char>(code[i])) == l) {
                ++n;
                ++i;
            }
            Part p{Part::Kind::Date};
            p.letter = l;
            p.count = n;
            const int most = l == 'd' ? 4 : l == 'm' ? 5 : l == 'y' ? 4 : 2;
            if (n > most || (l == 'y' && n != 2 && n != 4)) s.handled = false;
            s.parts.push_back(p);
            s.isDate = true;
        } else if (l == 'a') {
            if (startsWith(code, i, "AM/PM")) {
                s.parts.push_back({Part::Kind::AmPm});
                i += 5;
            } else {
                literal(std::string(1, c), false);
                ++i;
            }
        } else {
            literal(std::string(1, c), kPlainLiterals.find(c) != std::string_view::npos);
            ++i;
        }
    }
    // m right after an hour or right before seconds counts minutes.
    for (std::size_t k = 0; k < s.parts.size(); ++k) {
        Part& p = s.parts[k];
        if (p.kind != Part::Kind::Date || p.letter != 'm' || p.count > 2) continue;
        bool minutes = false;
        for (std::size_t j = k; j-- > 0;) {
            if (s.parts[j].kind != Part::Kind::Date) continue;
            minutes = s.parts[j].letter == 'h';
            break;
        }
        for (std::size_t j = k + 1; j < s.parts.size() && !minutes; ++j) {
            if (s.parts[j].kind != Part::Kind::Date) continue;
            minutes = s.parts[j].letter == 's';
            break;
        }
        if (minutes) p.letter = 'n';
    }
    if (s.isDate) {
        // Commas and points are literal in a date ("mmm d, yyyy", "dd.mm.yyyy"); digits
        // (fractions of a second) and percent are not rendered.
        for (std::size_t k = 0; k < s.parts.size(); ++k) {
            Part& p = s.parts[k];
            if (p.kind == Part::Kind::Comma || p.kind == Part::Kind::Point) {
                const bool fraction =
                    p.kind == Part::Kind::Point && k + 1 < s.parts.size() && s.parts[k + 1].kind == Part::Kind::Zero;
                if (fraction) s.handled = false;
                p = Part{Part::Kind::Literal, p.kind == Part::Kind::Comma ? "," : "."};
            } else if (p.kind == Part::Kind::Zero || p.kind == Part::Kind::Hash || p.kind == Part::Kind::Percent ||
                       p.kind == Part::Kind::At) {
                s.handled = false;
            }
        }
    }
    return s;
}

std::vector<Section> readCode(std::string_view code) {
    std::vector<Section> sections;
    std::size_t i = 0;
    for (;;) {
        sections.push_back(readSection(code, i));
        if (i >= code.size()) break;
        ++i;  // the ';'
    }
    return sections;
}

bool isDigit(const Part& p) { return p.kind == Part::Kind::Zero || p.kind == Part::Kind::Hash; }

// A number section: its integer placeholders, its decimals, grouping and percent signs.
struct NumberShape {
    int firstInteger = -1;  // part index of the first integer placeholder
    int firstDecimal = -1;
    int point = -1;
    int integerZerosFromFirstZero = 0;  // placeholders from the leftmost 0 of the integer part
    std::string decimalKinds;  // '0' or '#' per decimal placeholder
    int percents = 0;
    bool grouping = false;
    bool handled = true;
};

NumberShape shapeOf(const Section& s) {
    NumberShape n;
    int lastDigit = -1;
    bool seenZero = false;
    for (int k = 0; k < static_cast<int>(s.parts.size()); ++k) {
        const Part& p = s.parts[k];
        if (p.kind == Part::Kind::Point && n.point < 0)
            n.point = k;
        else if (p.kind == Part::Kind::Point)
            n.handled = false;
        else if (p.kind == Part::Kind::Percent)
            ++n.percents;
        else if (p.kind == Part::Kind::At || p.kind == Part::Kind::Date || p.kind == Part::Kind::AmPm)
            n.handled = false;
        if (!isDigit(p)) continue;
        if (lastDigit >= 0) {
            for (int j = lastDigit + 1; j < k; ++j) {  // what sits between two placeholders
                const Part& between = s.parts[j];
                if (between.kind == Part::Kind::Comma && n.point < 0)
                    n.grouping = true;
                else if (between.kind != Part::Kind::Point)
                    n.handled = false;
            }
        }
        lastDigit = k;
        if (n.point < 0) {
            if (n.firstInteger < 0) n.firstInteger = k;
            if (p.kind == Part::Kind::Zero) seenZero = true;
            if (seenZero) ++n.integerZerosFromFirstZero;
        } else {
            if (n.firstDecimal < 0) n.firstDecimal = k;
            n.decimalKinds += p.kind == Part::Kind::Zero ? '0' : '#';
        }
    }
    // A comma after the last placeholder scales by a thousand: not rendered.
    for (int k = lastDigit + 1; k < static_cast<int>(s.parts.size()); ++k) {
        if (s.parts[k].kind == Part::Kind::Comma) n.handled = false;
    }
    for (int k = 0; k < n.firstInteger; ++k) {
        if (s.parts[k].kind == Part::Kind::Comma) n.handled = false;
    }
    return n;
}

std::string group(const std::string& digits) {
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

// The value with `decimals` decimals, rounded half away from zero on its 15-significant-digit
// decimal form, digits past the fifteenth shown as zeros, as Excel shows them.
std::string fixedDigits(double value, int decimals) {
    std::array<char, 32> buf{};
    std::snprintf(buf.data(), buf.size(), "%.14e", value);  // d.dddddddddddddde+XX
    const std::string_view e(buf.data());
    std::string digits;
    digits += e[0];
    digits += e.substr(2, 14);
    const int exponent = std::atoi(e.data() + 17);
    // digits[k] has the place value 10^(exponent - k); keep places down to 10^-decimals.
    const int keep = exponent + 1 + decimals;  // how many of the digits are kept
    std::string kept;  // the kept digits, from the place 10^max(exponent, 0) down
    const int top = std::max(exponent, 0);
    for (int place = top; place >= -decimals; --place) {
        const int k = exponent - place;
        kept += (k >= 0 && k < 15) ? digits[static_cast<std::size_t>(k)] : '0';
    }
    if (keep >= 0 && keep < 15 && digits[static_cast<std::size_t>(keep)] >= '5') {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9') kept[static_cast<std::size_t>(i--)] = '0';
        if (i >= 0)
            ++kept[static_cast<std::size_t>(i)];
        else
            kept.insert(kept.begin(), '1');
    }
    const std::size_t integerDigits = kept.size() - static_cast<std::size_t>(decimals);
    std::string integer = kept.substr(0, integerDigits);
    while (integer.size() > 1 && integer[0] == '0') integer.erase(integer.begin());
    return decimals > 0 ? integer + "." + kept.substr(integerDigits) : integer;
}

std::string renderNumber(const Section& s, double value) {
    const NumberShape n = shapeOf(s);
    for (int k = 0; k < n.percents; ++k) value *= 100;
    const int decimals = static_cast<int>(n.decimalKinds.size());
    std::string text = fixedDigits(value, decimals);
    const std::size_t dot = text.find('.');
    std::string integer = text.substr(0, dot);
    std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
    if (integer == "0") integer.clear();
    while (static_cast<int>(integer.size()) < n.integerZerosFromFirstZero) integer.insert(integer.begin(), '0');
    if (n.grouping) integer = group(integer);
    // Optional decimals drop their trailing zeros, up to the last required one.
    for (int k = decimals; k-- > 0 && n.decimalKinds[k] == '#' && !fraction.empty() && fraction.back() == '0';) {
        fraction.pop_back();
    }
    std::string out;
    bool integerShown = false;
    for (int k = 0; k < static_cast<int>(s.parts.size()); ++k) {
        const Part& p = s.parts[k];
        switch (p.kind) {
            case Part::Kind::Literal: out += p.text; break;
            case Part::Kind::Percent: out += '%'; break;
            case Part::Kind::Point:
                if (!integerShown) {
                    out += integer;
                    integerShown = true;
                }
                out += '.';
                break;
            case Part::Kind::Zero:
            case Part::Kind::Hash:
                if (n.point < 0 || k < n.point) {
                    if (!integerShown) {
                        out += integer;
                        integerShown = true;
                    }
                } else if (k == n.firstDecimal) {
                    out += fraction;
                }
                break;
            default: break;
        }
    }
    return out;
}

constexpr std::array<std::string_view, 12> kMonths{"January",   "February", "March",    "April",
                                                   "May",       "June",     "July",     "August",
                                                   "September", "October",  "November", "December"};
constexpr std::array<std::string_view, 7> kDays{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                "Thursday", "Friday", "Saturday"};

std::string twoDigits(long n) {
    std::string s = std::to_string(n);
    return s.size() < 2 ? "0" + s : s;
}

std::optional<std::string> renderDate(const Section& s, double value) {
    if (!(value >= 0) || value >= 2958466) return std::nullopt;
    // Shown to the nearest second.
    const long long total = std::llround(value * 86400.0);
    const long day = static_cast<long>(total / 86400);
    const long secs = static_cast<long>(total % 86400);
    Date d{1900, 1, 0};  // serial 0 is the 0th of January 1900
    if (day >= 1) {
        const auto parts = dateFromSerial(static_cast<double>(day));
        if (!parts) return std::nullopt;
        d = *parts;
    }
    const long weekday = (day + 6) % 7;  // serial 1 is a Sunday as Excel counts
    bool twelveHour = false;
    for (const Part& p : s.parts) twelveHour = twelveHour || p.kind == Part::Kind::AmPm;
    long hour = secs / 3600;
    const long minute = secs / 60 % 60;
    const long second = secs % 60;
    const bool pm = hour >= 12;
    if (twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;
    std::string out;
    for (const Part& p : s.parts) {
        switch (p.kind) {
            case Part::Kind::Literal: out += p.text; break;
            case Part::Kind::AmPm: out += pm ? "PM" : "AM"; break;
            case Part::Kind::Date: {
                const auto number = [&](long v) { out += p.count >= 2 ? twoDigits(v) : std::to_string(v); };
                switch (p.letter) {
                    case 'd':
                        if (p.count <= 2)
                            number(d.day);
                        else
                            out += p.count == 3 ? kDays[weekday].substr(0, 3) : kDays[weekday];
                        break;
                    case 'm': {
                        const std::string_view name = kMonths[d.month - 1];
                        if (p.count <= 2)
                            number(d.month);
                        else if (p.count == 3)
                            out += name.substr(0, 3);
                        else if (p.count == 4)
                            out += name;
                        else
                            out += name.substr(0, 1);
                        break;
                    }
                    case 'n': number(minute); break;
                    case 'y': out += p.count <= 2 ? twoDigits(d.year % 100) : std::to_string(d.year); break;
                    case 'h': number(hour); break;
                    case 's': number(second); break;
                    default: break;
                }
                break;
            }
            default: break;
        }
    }
    return out;
}

// The section a text goes through: the fourth, or a lone section holding @.
const Section* textSection(const std::vector<Section>& sections) {
    if (sections.size() >= 4) return &sections[3];
    if (sections.size() == 1) {
        for (const Part& p : sections[0].parts) {
            if (p.kind == Part::Kind::At) return &sections[0];
        }
    }
    return nullptr;
}

}  // namespace

bool formatCodeHandled(std::string_view code) {
    if (code.empty()) return false;
    const std::vector<Section> sections = readCode(code);
    if (sections.size() > 4) return false;
    const Section* text = textSection(sections);
    for (std::size_t k = 0; k < sections.size(); ++k) {
        const Section& s = sections[k];
        if (!s.handled) return false;
        if (&s == text) {
            for (const Part& p : s.parts) {
                if (p.kind != Part::Kind::Literal && p.kind != Part::Kind::At) return false;
            }
            if (sections.size() == 1) return false;  // numbers through a lone @ section: not rendered
            continue;
        }
        if (!s.isDate && !shapeOf(s).handled) return false;
    }
    return true;
}

std::optional<std::string> formatNumber(double value, std::string_view code) {
    const std::vector<Section> sections = readCode(code);
    const std::size_t numeric = std::min<std::size_t>(sections.size(), 3);
    const Section* s = &sections[0];
    bool minus = false;
    if (value < 0) {
        if (numeric >= 2)
            s = &sections[1];
        else
            minus = true;
        value = -value;
    } else if (value == 0 && numeric >= 3) {
        s = &sections[2];
    }
    if (s->isDate) {
        if (minus) return std::nullopt;
        return renderDate(*s, value);
    }
    std::string out = renderNumber(*s, value);
    return minus ? "-" + out : out;
}

std::string formatText(std::string_view text, std::string_view code) {
    const std::vector<Section> sections = readCode(code);
    const Section* s = textSection(sections);
    if (!s) return std::string(text);
    std::string out;
    for (const Part& p : s->parts) {
        if (p.kind == Part::Kind::Literal)
            out += p.text;
        else if (p.kind == Part::Kind::At)
            out += text;
    }
    return out;
}

}  // namespace host::formula
