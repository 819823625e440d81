// The formula parser: A1 grammar into position-independent RPN (formula_code.h).
// Precedence, loosest first: comparisons, &, + -, * /, ^, unary + -, postfix %, then
// operands: numbers, texts, TRUE/FALSE, errors, cell and area references, parentheses and
// function calls. Binary operators group left to right (2^3^2 is 64, as in other
// spreadsheets); unary minus binds tighter than ^ (-2^2 is 4).
#include <string>

#include "formula/intern.h"
#include "formula/lexer.h"
#include "host/formula_code.h"
#include "host/function_table.h"
#include "host/host_error.h"

namespace host {

namespace {

using formula::LexToken;
using Type = LexToken::Type;

constexpr int kMaxDepth = 100;

class Parser {
public:
    Parser(std::string_view text, CellAddress owner) : text_(text), owner_(owner), toks_(formula::lex(text)) {}

    FormulaCode parse() {
        if (peek().type == Type::End) fail("the formula is empty");
        expression(1);
        if (peek().type != Type::End) fail("unexpected " + describe(peek()));
        return std::move(code_);
    }

private:
    std::string_view text_;
    CellAddress owner_;
    std::vector<LexToken> toks_;
    std::size_t at_ = 0;
    int depth_ = 0;
    FormulaCode code_;

    const LexToken& peek() const { return toks_[at_]; }
    const LexToken& next() { return toks_[at_++]; }

    [[noreturn]] void fail(const std::string& why) const {
        throw HostError("The formula \"=" + std::string(text_) + "\" cannot be read: " + why + ".");
    }

    static std::string describe(const LexToken& t) {
        switch (t.type) {
            case Type::End: return "end of formula";
            case Type::RParen: return "\")\"";
            case Type::LParen: return "\"(\"";
            case Type::Comma: return "\",\"";
            case Type::Colon: return "\":\"";
            case Type::Op: return "\"" + t.text + "\"";
            default: return "operand";
        }
    }

    void emit(TokenKind kind) {
        Token t;
        t.kind = kind;
        code_.rpn.push_back(t);
    }

    static int binaryPrecedence(const LexToken& t, TokenKind& kind) {
        if (t.type != Type::Op) return 0;
        const std::string& o = t.text;
        if (o == "=") {
            kind = TokenKind::Eq;
            return 1;
        }
        if (o == "<>") {
            kind = TokenKind::Ne;
            return 1;
        }
        if (o == "<") {
            kind = TokenKind::Lt;
            return 1;
        }
        if (o == "<=") {
            kind = TokenKind::Le;
            return 1;
        }
        if (o == ">") {
            kind = TokenKind::Gt;
            return 1;
        }
        if (o == ">=") {
            kind = TokenKind::Ge;
            return 1;
        }
        if (o == "&") {
            kind = TokenKind::Concat;
            return 2;
        }
        if (o == "+") {
            kind = TokenKind::Add;
            return 3;
        }
        if (o == "-") {
            kind = TokenKind::Sub;
            return 3;
        }
        if (o == "*") {
            kind = TokenKind::Mul;
            return 4;
        }
        if (o == "/") {
            kind = TokenKind::Div;
            return 4;
        }
        if (o == "^") {
            kind = TokenKind::Pow;
            return 5;
        }
        return 0;
    }

    void expression(int minPrec) {
        if (++depth_ > kMaxDepth) fail("it is nested too deeply");
        unary();
        for (;;) {
            TokenKind kind{};
            const int prec = binaryPrecedence(peek(), kind);
            if (prec == 0 || prec < minPrec) break;
            next();
            expression(prec + 1);
            emit(kind);
        }
        --depth_;
    }

    void unary() {
        if (peek().type == Type::Op && (peek().text == "-" || peek().text == "+")) {
            const bool minus = next().text == "-";
            if (++depth_ > kMaxDepth) fail("it is nested too deeply");
            unary();
            --depth_;
            emit(minus ? TokenKind::Minus : TokenKind::Plus);
            return;
        }
        primary();
        while (peek().type == Type::Op && peek().text == "%") {
            next();
            emit(TokenKind::Percent);
        }
    }

    RefPart refPart(const LexToken& t) const {
        RefPart r;
        r.rowRelative = !t.rowAbsolute;
        r.colRelative = !t.colAbsolute;
        r.row = r.rowRelative ? t.ref.row - owner_.row : t.ref.row;
        r.col = r.colRelative ? t.ref.col - owner_.col : t.ref.col;
        return r;
    }

    void primary() {
        const LexToken& t = next();
        Token tok;
        switch (t.type) {
            case Type::Number:
                tok.kind = TokenKind::Number;
                tok.number = t.number;
                code_.rpn.push_back(tok);
                return;
            case Type::String:
                tok.kind = TokenKind::String;
                tok.string = static_cast<std::uint32_t>(code_.strings.size());
                code_.strings.push_back(t.text);
                code_.rpn.push_back(tok);
                return;
            case Type::Boolean:
                tok.kind = TokenKind::Boolean;
                tok.boolean = t.boolean;
                code_.rpn.push_back(tok);
                return;
            case Type::Error:
                tok.kind = TokenKind::Error;
                tok.error = t.error;
                code_.rpn.push_back(tok);
                return;
            case Type::Ref:
                tok.a = refPart(t);
                if (peek().type == Type::Colon) {
                    next();
                    const LexToken& second = next();
                    if (second.type != Type::Ref) fail("\":\" must be followed by a cell");
                    tok.kind = TokenKind::Area;
                    tok.b = refPart(second);
                } else {
                    tok.kind = TokenKind::Ref;
                }
                code_.rpn.push_back(tok);
                return;
            case Type::LParen:
                expression(1);
                if (next().type != Type::RParen) fail("a \"(\" is not closed");
                emit(TokenKind::Paren);
                return;
            case Type::Function: call(t.text); return;
            case Type::LBrace: arrayConstant(); return;
            default: fail("expected an operand but found " + describe(t));
        }
    }

    // {1,2;3,4}: columns apart by ",", rows by ";", every row as long as the first; each
    // element a number (a minus sign allowed), a text, TRUE or FALSE, or an error.
    void arrayConstant() {
        ArrayConstant a;
        int col = 0;
        for (;;) {
            const LexToken& e = next();
            const bool minus = e.type == Type::Op && e.text == "-";
            const LexToken& v = minus ? next() : e;
            const char* only = "an array constant holds only numbers, texts, TRUE, FALSE and errors";
            if (minus && v.type != Type::Number) fail(only);
            switch (v.type) {
                case Type::Number: a.values.push_back(Value::fromNumber(minus ? -v.number : v.number)); break;
                case Type::String: a.values.push_back(Value::fromText(v.text)); break;
                case Type::Boolean: a.values.push_back(Value::fromBoolean(v.boolean)); break;
                case Type::Error: a.values.push_back(Value::fromError(v.error)); break;
                default: fail(only);
            }
            ++col;
            const LexToken& sep = next();
            if (sep.type == Type::Comma) continue;
            if (a.rows == 0) a.cols = col;
            if (col != a.cols) fail("the rows of an array constant must be equally long");
            ++a.rows;
            col = 0;
            if (sep.type == Type::RBrace) break;
            if (sep.type != Type::Semicolon) fail("\",\", \";\" or \"}\" expected in an array constant");
        }
        Token tok;
        tok.kind = TokenKind::Array;
        tok.string = static_cast<std::uint32_t>(code_.arrays.size());
        code_.arrays.push_back(std::move(a));
        code_.rpn.push_back(tok);
    }

    void call(const std::string& name) {
        const FunctionInfo* f = functionByName(name);
        if (!f) fail("the function " + name + " is not one the host knows");
        if (next().type != Type::LParen) fail("\"(\" expected after " + name);
        int argc = 0;
        if (peek().type == Type::RParen) {
            next();
        } else {
            for (;;) {
                if (peek().type == Type::Comma || peek().type == Type::RParen) {
                    emit(TokenKind::Missing);
                } else {
                    expression(1);
                }
                ++argc;
                const LexToken& sep = next();
                if (sep.type == Type::RParen) break;
                if (sep.type != Type::Comma) fail("\",\" or \")\" expected in the arguments of " + name);
            }
        }
        if (argc < f->minArgs || argc > f->maxArgs) {
            std::string want = f->minArgs == f->maxArgs
                                   ? std::to_string(f->minArgs)
                                   : std::to_string(f->minArgs) + " to " + std::to_string(f->maxArgs);
            fail(std::string(f->name) + " takes " + want + " argument" + (f->maxArgs == 1 ? "" : "s") + ", not " +
                 std::to_string(argc));
        }
        Token tok;
        tok.kind = TokenKind::Func;
        tok.func = f->id;
        tok.argc = static_cast<std::uint8_t>(argc);
        code_.rpn.push_back(tok);
    }
};

}  // namespace

FormulaPtr parseFormula(std::string_view text, CellAddress owner) {
    if (text.empty() || text.front() != '=') {
        throw HostError("\"" + std::string(text) + "\" is not a formula: a formula starts with \"=\".");
    }
    Parser parser(text.substr(1), owner);
    return formula::intern(parser.parse());
}

}  // namespace host
