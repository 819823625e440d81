#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace host {

// Error values, numbered as in BIFF8 files so that reader and writer need no table.
enum class ErrorCode : std::uint8_t {
    Null = 0x00,  // #NULL!
    Div0 = 0x07,  // #DIV/0!
    Value = 0x0F,  // #VALUE!
    Ref = 0x17,  // #REF!
    Name = 0x1D,  // #NAME?
    Num = 0x24,  // #NUM!
    NA = 0x2A,  // #N/A
};

std::string_view errorText(ErrorCode code);
std::optional<ErrorCode> errorFromText(std::string_view text);
// A BIFF error byte; nullopt for a byte that names no error.
std::optional<ErrorCode> errorFromCode(std::uint8_t code);

// The value of a cell or of a formula: what the formula engine computes with.
struct Value {
    enum class Kind : std::uint8_t { Empty, Number, Text, Boolean, Error };

    Kind kind = Kind::Empty;
    double number = 0;  // Number
    std::string text;  // Text
    bool boolean = false;  // Boolean
    ErrorCode error = ErrorCode::Value;  // Error

    static Value empty() { return {}; }
    static Value fromNumber(double n) {
        Value v;
        v.kind = Kind::Number;
        v.number = n;
        return v;
    }
    static Value fromText(std::string t) {
        Value v;
        v.kind = Kind::Text;
        v.text = std::move(t);
        return v;
    }
    static Value fromBoolean(bool b) {
        Value v;
        v.kind = Kind::Boolean;
        v.boolean = b;
        return v;
    }
    static Value fromError(ErrorCode e) {
        Value v;
        v.kind = Kind::Error;
        v.error = e;
        return v;
    }

    bool isEmpty() const { return kind == Kind::Empty; }
    bool isNumber() const { return kind == Kind::Number; }
    bool isText() const { return kind == Kind::Text; }
    bool isBoolean() const { return kind == Kind::Boolean; }
    bool isError() const { return kind == Kind::Error; }

    friend bool operator==(const Value& a, const Value& b);
};

// What reading a cell's Value gives: the value, and whether the cell's number format makes
// a number a date (the number is then the serial day).
struct CellValue {
    Value value;
    bool isDate = false;
};

}  // namespace host
