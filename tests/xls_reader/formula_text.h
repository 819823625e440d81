#pragma once
// Formula texts compared the way xlrd shows them: no "=", no spaces, upper case, numbers in
// one form (xlrd writes 256407.0, the host 256407; 1E+06 and 1000000 are the same number).
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <regex>
#include <string>

namespace xls_test {

inline std::string normalizedFormula(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    if (!text.empty() && text[0] == '=') text.erase(0, 1);
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const std::regex number(R"((^|[^A-Z$0-9.])([0-9]+(\.[0-9]+)?(E[+-]?[0-9]+)?))");
    std::string out;
    auto begin = text.cbegin();
    std::smatch m;
    while (std::regex_search(begin, text.cend(), m, number)) {
        out.append(begin, m[0].first);
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.15g", std::stod(m[2].str()));
        out += m[1].str();
        out += buf;
        begin = m[0].second;
    }
    out.append(begin, text.cend());
    return out;
}

}  // namespace xls_test
