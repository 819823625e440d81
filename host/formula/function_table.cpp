// The functions the engine computes, with their BIFF8 numbers and argument counts (as the
// BIFF8 function table gives them: a fixed count is stored as tFunc, a range as tFuncVar).
#include "host/function_table.h"
#include "host/formula_code.h"

#include <array>
#include <cctype>

namespace host {

namespace {
constexpr std::array<FunctionInfo, 44> kFunctions{{
    {"COUNT", 0, 0, 30},
    {"IF", 1, 2, 3},
    {"ISNA", 2, 1, 1},
    {"ISERROR", 3, 1, 1},
    {"SUM", 4, 0, 30},
    {"AVERAGE", 5, 1, 30},
    {"MIN", 6, 1, 30},
    {"MAX", 7, 1, 30},
    {"NA", 10, 0, 0},
    {"PI", 19, 0, 0},
    {"SQRT", 20, 1, 1},
    {"EXP", 21, 1, 1},
    {"LN", 22, 1, 1},
    {"LOG10", 23, 1, 1},
    {"ABS", 24, 1, 1},
    {"INT", 25, 1, 1},
    {"SIGN", 26, 1, 1},
    {"ROUND", 27, 2, 2},
    {"LEN", 32, 1, 1},
    {"VALUE", 33, 1, 1},
    {"AND", 36, 1, 30},
    {"OR", 37, 1, 30},
    {"NOT", 38, 1, 1},
    {"MOD", 39, 2, 2},
    {"DATE", 65, 3, 3},
    {"DAY", 67, 1, 1},
    {"MONTH", 68, 1, 1},
    {"YEAR", 69, 1, 1},
    {"CHOOSE", 100, 2, 30},
    {"LOWER", 112, 1, 1, false},   // letters beyond ASCII keep their case here
    {"UPPER", 113, 1, 1, false},
    {"ISERR", 126, 1, 1},
    {"ISTEXT", 127, 1, 1},
    {"ISNUMBER", 128, 1, 1},
    {"ISBLANK", 129, 1, 1},
    {"COUNTA", 169, 0, 30},
    {"PRODUCT", 183, 0, 30},
    {"ISNONTEXT", 190, 1, 1},
    {"TRUNC", 197, 1, 2},
    {"ISLOGICAL", 198, 1, 1},
    {"ROUNDUP", 212, 2, 2},
    {"ROUNDDOWN", 213, 2, 2},
    {"CONCATENATE", 336, 0, 30},
    {"POWER", 337, 2, 2},
}};
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

const FunctionInfo* functionByNumber(std::uint16_t biff) {
    for (const auto& f : kFunctions) {
        if (f.biff == biff) return &f;
    }
    return nullptr;
}

}  // namespace host

namespace host {

bool computedAsExcel(const FormulaCode& code) {
    if (code.opaque) return false;
    for (const Token& t : code.rpn) {
        if (t.kind != TokenKind::Func) continue;
        const FunctionInfo* f = functionByNumber(t.func);
        if (!f || !f->exact) return false;
    }
    return true;
}

}  // namespace host
