// The formula printer: RPN back into A1 text, "=" first, function names upper case,
// references relative to the cell that reads it.
#include <charconv>
#include <string>
#include <vector>

#include "host/formula_code.h"
#include "host/function_table.h"

namespace host {

namespace {

std::string numberText(double n) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, n);
    std::string s(buf, res.ptr);
    for (char& c : s) {
        if (c == 'e') c = 'E';
    }
    return s;
}

std::string refText(const RefPart& r, CellAddress owner) {
    const CellAddress at = r.resolve(owner);
    if (at.row < 0 || at.row >= kMaxRows || at.col < 0 || at.col >= kMaxColumns) return "#REF!";
    std::string s;
    if (!r.colRelative) s += '$';
    s += columnLetters(at.col);
    if (!r.rowRelative) s += '$';
    s += std::to_string(at.row + 1);
    return s;
}

std::string quoted(const std::string& text) {
    std::string s = "\"";
    for (char c : text) {
        s += c;
        if (c == '"') s += '"';
    }
    return s + "\"";
}

std::string arrayText(const ArrayConstant& a) {
    std::string s = "{";
    for (std::size_t i = 0; i < a.values.size(); ++i) {
        if (i) s += i % static_cast<std::size_t>(a.cols) == 0 ? ";" : ",";
        const Value& v = a.values[i];
        switch (v.kind) {
            case Value::Kind::Number: s += numberText(v.number); break;
            case Value::Kind::Text: s += quoted(v.text); break;
            case Value::Kind::Boolean: s += v.boolean ? "TRUE" : "FALSE"; break;
            case Value::Kind::Error: s += errorText(v.error); break;
            case Value::Kind::Empty: break;
        }
    }
    return s + "}";
}

std::string pop(std::vector<std::string>& st) {
    if (st.empty()) return "#REF!";
    std::string s = std::move(st.back());
    st.pop_back();
    return s;
}

}  // namespace

std::string formulaText(const FormulaCode& code, CellAddress owner) {
    if (code.opaque) {
        if (!code.text.empty() && code.text.front() == '=') return code.text;
        return "=" + code.text;
    }
    owner = code.origin(owner);  // every cell of an array formula reads as its first cell does
    std::vector<std::string> st;
    for (const Token& t : code.rpn) {
        switch (t.kind) {
            case TokenKind::Number: st.push_back(numberText(t.number)); break;
            case TokenKind::String: {
                std::string s = "\"";
                for (char c : t.string < code.strings.size() ? code.strings[t.string] : std::string()) {
                    s += c;
                    if (c == '"') s += '"';
                }
                st.push_back(s + "\"");
                break;
            }
            case TokenKind::Boolean: st.push_back(t.boolean ? "TRUE" : "FALSE"); break;
            case TokenKind::Error: st.emplace_back(errorText(t.error)); break;
            case TokenKind::Missing: st.emplace_back(); break;
            case TokenKind::Ref: st.push_back(refText(t.a, owner)); break;
            case TokenKind::Area: {
                const std::string a = refText(t.a, owner);
                const std::string b = refText(t.b, owner);
                st.push_back(a == "#REF!" || b == "#REF!" ? "#REF!" : a + ":" + b);
                break;
            }
            case TokenKind::Array:
                st.push_back(t.string < code.arrays.size() ? arrayText(code.arrays[t.string]) : "{}");
                break;
            case TokenKind::Plus: st.push_back("+" + pop(st)); break;
            case TokenKind::Minus: st.push_back("-" + pop(st)); break;
            case TokenKind::Percent: st.push_back(pop(st) + "%"); break;
            case TokenKind::Paren: st.push_back("(" + pop(st) + ")"); break;
            case TokenKind::Func: {
                std::vector<std::string> args(t.argc);
                for (int i = t.argc - 1; i >= 0; --i) args[i] = pop(st);
                const FunctionInfo* f = functionById(t.func);
                std::string s = f ? std::string(f->name) : "FUNC" + std::to_string(static_cast<int>(t.func));
                s += '(';
                for (int i = 0; i < t.argc; ++i) {
                    if (i) s += ',';
                    s += args[i];
                }
                st.push_back(s + ")");
                break;
            }
            default: {
                static constexpr const char* kOps[] = {"+", "-", "*", "/", "^", "&", "<", "<=", "=", ">=", ">", "<>"};
                const int index = static_cast<int>(t.kind) - static_cast<int>(TokenKind::Add);
                const std::string rhs = pop(st);
                const std::string lhs = pop(st);
                st.push_back(lhs + (index >= 0 && index < 12 ? kOps[index] : "?") + rhs);
                break;
            }
        }
    }
    std::string out = "=";
    for (auto& s : st) out += s;  // one item for well-formed code
    return out;
}

}  // namespace host
