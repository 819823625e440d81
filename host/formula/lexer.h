#pragma once
// The formula lexer: formula text (after the leading "=") into tokens.
#include <string>
#include <string_view>
#include <vector>

#include "host/address.h"
#include "host/value.h"

namespace host::formula {

struct LexToken {
    enum class Type {
        Number,
        String,
        Boolean,
        Error,
        Ref,
        Function,
        Op,
        LParen,
        RParen,
        Comma,
        Colon,
        LBrace,
        RBrace,
        Semicolon,
        End
    };
    Type type = Type::End;
    std::string text;  // String: the unquoted text; Function: the name; Op: the operator
    double number = 0;  // Number
    bool boolean = false;  // Boolean
    ErrorCode error = ErrorCode::Value;  // Error
    CellAddress ref;  // Ref
    bool rowAbsolute = false, colAbsolute = false;  // Ref
    std::size_t pos = 0;  // where it starts in the text, for messages
};

// Throws HostError for text that holds no formula tokens (an unclosed string, a stray
// character, an unknown name).
std::vector<LexToken> lex(std::string_view text);

}  // namespace host::formula
