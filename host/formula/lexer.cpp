#include "formula/lexer.h"

#include <cctype>
#include <cstdlib>

#include "host/host_error.h"

namespace host::formula {

namespace {

bool isAlpha(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNameChar(char c) { return isAlpha(c) || isDigit(c) || c == '_' || c == '.'; }

[[noreturn]] void fail(std::string_view text, std::size_t pos, const std::string& why) {
    throw HostError("The formula \"=" + std::string(text) + "\" cannot be read: " + why + " (at character " +
                    std::to_string(pos + 2) + ").");
}

// A cell reference at text[i]: $?letters$?digits, not followed by a name character or "(".
bool lexRef(std::string_view text, std::size_t i, LexToken& tok, std::size_t& end) {
    std::size_t j = i;
    bool colAbs = false, rowAbs = false;
    if (j < text.size() && text[j] == '$') {
        colAbs = true;
        ++j;
    }
    const std::size_t lettersStart = j;
    while (j < text.size() && isAlpha(text[j])) ++j;
    if (j == lettersStart || j - lettersStart > 3) return false;
    if (j < text.size() && text[j] == '$') {
        rowAbs = true;
        ++j;
    }
    const std::size_t digitsStart = j;
    while (j < text.size() && isDigit(text[j])) ++j;
    if (j == digitsStart) return false;
    if (j < text.size() && (isNameChar(text[j]) || text[j] == '(')) return false;
    std::string plain;
    for (std::size_t k = i; k < j; ++k) {
        if (text[k] != '$') plain += text[k];
    }
    const auto at = parseAddress(plain);
    if (!at) return false;
    tok.type = LexToken::Type::Ref;
    tok.ref = *at;
    tok.colAbsolute = colAbs;
    tok.rowAbsolute = rowAbs;
    end = j;
    return true;
}

}  // namespace

std::vector<LexToken> lex(std::string_view text) {
    std::vector<LexToken> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            ++i;
            continue;
        }
        LexToken tok;
        tok.pos = i;
        if (isDigit(c) || (c == '.' && i + 1 < text.size() && isDigit(text[i + 1]))) {
            std::size_t j = i;
            while (j < text.size() && isDigit(text[j])) ++j;
            if (j < text.size() && text[j] == '.') {
                ++j;
                while (j < text.size() && isDigit(text[j])) ++j;
            }
            if (j < text.size() && (text[j] == 'e' || text[j] == 'E')) {
                std::size_t k = j + 1;
                if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
                if (k < text.size() && isDigit(text[k])) {
                    while (k < text.size() && isDigit(text[k])) ++k;
                    j = k;
                } else {
                    fail(text, i, "the number has an incomplete exponent");
                }
            }
            if (j < text.size() && (isAlpha(text[j]) || text[j] == '_')) {
                fail(text, i, "a number runs into a name");
            }
            const std::string num(text.substr(i, j - i));
            tok.type = LexToken::Type::Number;
            tok.number = std::strtod(num.c_str(), nullptr);
            if (!(tok.number <= 1.7976931348623157e308)) fail(text, i, "the number is too large");
            i = j;
        } else if (c == '"') {
            std::size_t j = i + 1;
            std::string s;
            for (;;) {
                if (j >= text.size()) fail(text, i, "a text in quotes is not closed");
                if (text[j] == '"') {
                    if (j + 1 < text.size() && text[j + 1] == '"') {
                        s += '"';
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                s += text[j++];
            }
            if (s.size() > 255) fail(text, i, "a text in a formula is longer than 255 characters");
            tok.type = LexToken::Type::String;
            tok.text = std::move(s);
            i = j;
        } else if (c == '#') {
            bool found = false;
            for (std::size_t len : {7u, 6u, 5u, 4u}) {
                if (i + len <= text.size()) {
                    if (auto e = errorFromText(text.substr(i, len))) {
                        tok.type = LexToken::Type::Error;
                        tok.error = *e;
                        i += len;
                        found = true;
                        break;
                    }
                }
            }
            if (!found) fail(text, i, "\"#\" starts no error value");
        } else if (c == '$' || isAlpha(c) || c == '_') {
            std::size_t end = 0;
            if (lexRef(text, i, tok, end)) {
                i = end;
            } else {
                std::size_t j = i;
                while (j < text.size() && (isNameChar(text[j]) || text[j] == '$')) ++j;
                std::string name(text.substr(i, j - i));
                std::string upper;
                for (char ch : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
                if (j < text.size() && text[j] == '(' && name.find('$') == std::string::npos) {
                    tok.type = LexToken::Type::Function;
                    tok.text = upper;
                } else if (upper == "TRUE" || upper == "FALSE") {
                    tok.type = LexToken::Type::Boolean;
                    tok.boolean = upper == "TRUE";
                } else {
                    fail(text, i, "\"" + name + "\" is neither a cell nor a name the host knows");
                }
                i = j;
            }
        } else if (c == '(') {
            tok.type = LexToken::Type::LParen;
            ++i;
        } else if (c == ')') {
            tok.type = LexToken::Type::RParen;
            ++i;
        } else if (c == ',') {
            tok.type = LexToken::Type::Comma;
            ++i;
        } else if (c == ':') {
            tok.type = LexToken::Type::Colon;
            ++i;
        } else if (c == '{' || c == '}' || c == ';') {  // an array constant and its rows
            tok.type = c == '{'   ? LexToken::Type::LBrace
                       : c == '}' ? LexToken::Type::RBrace
                                  : LexToken::Type::Semicolon;
            ++i;
        } else if (c == '<' || c == '>') {
            tok.type = LexToken::Type::Op;
            tok.text = c;
            if (i + 1 < text.size() && (text[i + 1] == '=' || (c == '<' && text[i + 1] == '>'))) {
                tok.text += text[i + 1];
                ++i;
            }
            ++i;
        } else if (c == '+' || c == '-' || c == '*' || c == '/' || c == '^' || c == '&' || c == '=' || c == '%') {
            tok.type = LexToken::Type::Op;
            tok.text = c;
            ++i;
        } else {
            fail(text, i, std::string("the character '") + c + "' has no meaning here");
        }
        out.push_back(std::move(tok));
    }
    LexToken end;
    end.pos = text.size();
    out.push_back(end);
    return out;
}

}  // namespace host::formula
