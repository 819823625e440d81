#include "host/value.h"

#include <array>
#include <cctype>
#include <utility>

namespace host {

namespace {
constexpr std::array<std::pair<ErrorCode, std::string_view>, 7> kErrors{{
    {ErrorCode::Null, "#NULL!"},
    {ErrorCode::Div0, "#DIV/0!"},
    {ErrorCode::Value, "#VALUE!"},
    {ErrorCode::Ref, "#REF!"},
    {ErrorCode::Name, "#NAME?"},
    {ErrorCode::Num, "#NUM!"},
    {ErrorCode::NA, "#N/A"},
}};
}  // namespace

std::string_view errorText(ErrorCode code) {
    for (const auto& [c, t] : kErrors) {
        if (c == code) return t;
    }
    return "#VALUE!";
}

std::optional<ErrorCode> errorFromText(std::string_view text) {
    for (const auto& [c, t] : kErrors) {
        if (t.size() == text.size()) {
            bool same = true;
            for (std::size_t i = 0; i < t.size() && same; ++i) {
                same = std::toupper(static_cast<unsigned char>(text[i])) == t[i];
            }
            if (same) return c;
        }
    }
    return std::nullopt;
}

std::optional<ErrorCode> errorFromCode(std::uint8_t code) {
    for (const auto& [c, t] : kErrors) {
        if (static_cast<std::uint8_t>(c) == code) return c;
    }
    return std::nullopt;
}

bool operator==(const Value& a, const Value& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
        case Value::Kind::Empty: return true;
        case Value::Kind::Number: return a.number == b.number;
        case Value::Kind::Text: return a.text == b.text;
        case Value::Kind::Boolean: return a.boolean == b.boolean;
        case Value::Kind::Error: return a.error == b.error;
    }
    return false;
}

}  // namespace host
