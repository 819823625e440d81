// The functions the engine computes and their argument counts, in FunctionId order.
#include "host/function_table.h"

#include <array>
#include <cctype>
#include <cstddef>

namespace host {

namespace {
constexpr std::array<FunctionInfo, 44> kFunctions{{
    {"COUNT", FunctionId::Count, 0, 30},
    {"IF", FunctionId::If, 2, 3},
    {"ISNA", FunctionId::IsNa, 1, 1},
    {"ISERROR", FunctionId::IsError, 1, 1},
    {"SUM", FunctionId::Sum, 0, 30},
    {"AVERAGE", FunctionId::Average, 1, 30},
    {"MIN", FunctionId::Min, 1, 30},
    {"MAX", FunctionId::Max, 1, 30},
    {"NA", FunctionId::Na, 0, 0},
    {"PI", FunctionId::Pi, 0, 0},
    {"SQRT", FunctionId::Sqrt, 1, 1},
    {"EXP", FunctionId::Exp, 1, 1},
    {"LN", FunctionId::Ln, 1, 1},
    {"LOG10", FunctionId::Log10, 1, 1},
    {"ABS", FunctionId::Abs, 1, 1},
    {"INT", FunctionId::Int, 1, 1},
    {"SIGN", FunctionId::Sign, 1, 1},
    {"ROUND", FunctionId::Round, 2, 2},
    {"LEN", FunctionId::Len, 1, 1},
    {"VALUE", FunctionId::Value, 1, 1},
    {"AND", FunctionId::And, 1, 30},
    {"OR", FunctionId::Or, 1, 30},
    {"NOT", FunctionId::Not, 1, 1},
    {"MOD", FunctionId::Mod, 2, 2},
    {"DATE", FunctionId::Date, 3, 3},
    {"DAY", FunctionId::Day, 1, 1},
    {"MONTH", FunctionId::Month, 1, 1},
    {"YEAR", FunctionId::Year, 1, 1},
    {"CHOOSE", FunctionId::Choose, 2, 30},
    {"LOWER", FunctionId::Lower, 1, 1},
    {"UPPER", FunctionId::Upper, 1, 1},
    {"ISERR", FunctionId::IsErr, 1, 1},
    {"ISTEXT", FunctionId::IsText, 1, 1},
    {"ISNUMBER", FunctionId::IsNumber, 1, 1},
    {"ISBLANK", FunctionId::IsBlank, 1, 1},
    {"COUNTA", FunctionId::CountA, 0, 30},
    {"PRODUCT", FunctionId::Product, 0, 30},
    {"ISNONTEXT", FunctionId::IsNonText, 1, 1},
    {"TRUNC", FunctionId::Trunc, 1, 2},
    {"ISLOGICAL", FunctionId::IsLogical, 1, 1},
    {"ROUNDUP", FunctionId::RoundUp, 2, 2},
    {"ROUNDDOWN", FunctionId::RoundDown, 2, 2},
    {"CONCATENATE", FunctionId::Concatenate, 0, 30},
    {"POWER", FunctionId::Power, 2, 2},
}};

constexpr bool inIdOrder() {
    for (std::size_t i = 0; i < kFunctions.size(); ++i) {
        if (static_cast<std::size_t>(kFunctions[i].id) != i) return false;
    }
    return true;
}
static_assert(inIdOrder(), "the table is indexed by FunctionId");
}  // namespace

const FunctionInfo* functionByName(std::string_view name) {
    for (const auto& f : kFunctions) {
        if (f.name.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) {
            same = std::toupper(static_cast<unsigned char>(name[i])) == f.name[i];
        }
        if (same) return &f;
    }
    return nullptr;
}

const FunctionInfo* functionById(FunctionId id) {
    const auto i = static_cast<std::size_t>(id);
    return i < kFunctions.size() ? &kFunctions[i] : nullptr;
}

}  // namespace host
