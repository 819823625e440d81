#include "host/address.h"

#include <algorithm>
#include <cctype>

namespace host {

std::string columnLetters(int col) {
    std::string letters;
    for (int n = col + 1; n > 0; n = (n - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    }
    return letters;
}

std::string formatAddress(CellAddress a, bool absolute) {
    const char* dollar = absolute ? "$" : "";
    return dollar + columnLetters(a.col) + dollar + std::to_string(a.row + 1);
}

std::optional<CellAddress> parseAddress(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && text[i] == '$') ++i;
    int col = 0;
    std::size_t letters = 0;
    while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) {
        col = col * 26 + (std::toupper(static_cast<unsigned char>(text[i])) - 'A' + 1);
        if (++letters > 3) return std::nullopt;
        ++i;
    }
    if (letters == 0 || col > kMaxColumns) return std::nullopt;
    if (i < text.size() && text[i] == '$') ++i;
    long row = 0;
    std::size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        row = row * 10 + (text[i] - '0');
        if (++digits > 6) return std::nullopt;
        ++i;
    }
    if (digits == 0 || i != text.size() || row < 1 || row > kMaxRows) return std::nullopt;
    return CellAddress{static_cast<int>(row - 1), col - 1};
}

std::optional<CellRange> parseRange(std::string_view text) {
    const auto colon = text.find(':');
    const auto first = parseAddress(text.substr(0, colon));
    if (!first) return std::nullopt;
    if (colon == std::string_view::npos) return CellRange{*first, *first};
    const auto last = parseAddress(text.substr(colon + 1));
    if (!last) return std::nullopt;
    return CellRange{{std::min(first->row, last->row), std::min(first->col, last->col)},
                     {std::max(first->row, last->row), std::max(first->col, last->col)}};
}

}  // namespace host
