#include "xlsx/shared_formula_text.h"

#include <cctype>

namespace host::xlsx {

namespace {

constexpr int kSheetRows = 1048576;
constexpr int kSheetColumns = 16384;

bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
// Characters of names, cell references and function names; "$" marks an absolute part.
bool isWordChar(char c) {
    return isLetter(c) || isDigit(c) || c == '_' || c == '.' || c == '$' || c == '\\' || c == '?' ||
           static_cast<unsigned char>(c) >= 0x80;
}

std::string letters(int col) {
    std::string out;
    for (int c = col + 1; c > 0; c = (c - 1) / 26) out.insert(out.begin(), static_cast<char>('A' + (c - 1) % 26));
    return out;
}

struct CellWord {
    bool colAbsolute = false, rowAbsolute = false;
    int col = 0, row = 0;  // zero-based
};

// "B7", "$B$7", "b$7": a cell within the sheet, nothing else.
std::optional<CellWord> cellWord(std::string_view w) {
    CellWord cell;
    std::size_t i = 0;
    if (i < w.size() && w[i] == '$') cell.colAbsolute = true, ++i;
    const std::size_t lettersStart = i;
    long col = 0;
    while (i < w.size() && isLetter(w[i]))
        col = col * 26 + (std::toupper(static_cast<unsigned char>(w[i++])) - 'A' + 1);
    if (i == lettersStart || i - lettersStart > 3) return std::nullopt;
    if (i < w.size() && w[i] == '$') cell.rowAbsolute = true, ++i;
    const std::size_t digitsStart = i;
    long row = 0;
    while (i < w.size() && isDigit(w[i]) && row <= kSheetRows) row = row * 10 + (w[i++] - '0');
    if (i == digitsStart || i != w.size() || w[digitsStart] == '0') return std::nullopt;
    if (col > kSheetColumns || row > kSheetRows) return std::nullopt;
    cell.col = static_cast<int>(col - 1);
    cell.row = static_cast<int>(row - 1);
    return cell;
}

// A word that is only a column ("A", "$C") or only a row ("7", "$12"), as whole-column and
// whole-row ranges are written.
bool columnOrRowOnly(std::string_view w) {
    if (!w.empty() && w.front() == '$') w.remove_prefix(1);
    if (w.empty()) return false;
    bool allLetters = true, allDigits = true;
    for (char c : w) {
        allLetters = allLetters && isLetter(c);
        allDigits = allDigits && isDigit(c);
    }
    return (allLetters && w.size() <= 3) || allDigits;
}

// Passes over a quoted run ("text" or 'sheet name'), a doubled quote standing for one.
std::size_t endOfQuoted(std::string_view text, std::size_t i) {
    const char quote = text[i++];
    while (i < text.size()) {
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return i;
}

}  // namespace

std::optional<std::string> moveFormulaText(std::string_view text, int rows, int cols) {
    std::string out;
    out.reserve(text.size() + 8);
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"' || c == '\'') {
            const std::size_t end = endOfQuoted(text, i);
            out.append(text.substr(i, end - i));
            i = end;
        } else if (c == '[') {  // a table's columns or another workbook's number: no cell in it
            std::size_t end = i;
            for (int depth = 0; end < text.size(); ++end) {
                if (text[end] == '[') ++depth;
                if (text[end] == ']' && --depth == 0) break;
            }
            end = std::min(end + 1, text.size());
            out.append(text.substr(i, end - i));
            i = end;
        } else if (c == '#') {  // an error value: #REF!, #DIV/0!, #N/A
            std::size_t end = i + 1;
            while (end < text.size() &&
                   (isLetter(text[end]) || isDigit(text[end]) || text[end] == '/' || text[end] == '_'))
                ++end;
            if (end < text.size() && (text[end] == '!' || text[end] == '?')) ++end;
            out.append(text.substr(i, end - i));
            i = end;
        } else if (isDigit(c) || (c == '.' && i + 1 < text.size() && isDigit(text[i + 1]))) {
            std::size_t end = i;
            while (end < text.size() && (isDigit(text[end]) || text[end] == '.')) ++end;
            if (end < text.size() && text[end] == ':') return std::nullopt;  // 3:5, whole rows
            if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
                std::size_t k = end + 1;
                if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
                if (k < text.size() && isDigit(text[k])) {
                    while (k < text.size() && isDigit(text[k])) ++k;
                    end = k;
                }
            }
            out.append(text.substr(i, end - i));
            i = end;
        } else if (isWordChar(c)) {
            std::size_t end = i;
            while (end < text.size() && isWordChar(text[end])) ++end;
            const std::string_view word = text.substr(i, end - i);
            const char next = end < text.size() ? text[end] : '\0';
            const char before = out.empty() ? '\0' : out.back();
            const auto cell = next == '(' || next == '!' ? std::nullopt : cellWord(word);
            if (cell) {
                CellWord moved = *cell;
                if (!moved.rowAbsolute) moved.row += rows;
                if (!moved.colAbsolute) moved.col += cols;
                if (moved.row < 0 || moved.row >= kSheetRows || moved.col < 0 || moved.col >= kSheetColumns)
                    return std::nullopt;
                out += (moved.colAbsolute ? "$" : "") + letters(moved.col) + (moved.rowAbsolute ? "$" : "") +
                       std::to_string(moved.row + 1);
            } else {
                // A:C or $A:$A: whole columns, which this does not move.
                if (next != '(' && next != '!' && columnOrRowOnly(word) && (next == ':' || before == ':'))
                    return std::nullopt;
                out.append(word);
            }
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

}  // namespace host::xlsx
