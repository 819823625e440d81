#pragma once
// Excel's worksheet functions by BIFF8 number, and the engine's code for those it computes.
#include <cstdint>
#include <string_view>

#include "host/function_table.h"

namespace host::xls {

struct BiffFunction {
    std::uint16_t number = 0;
    std::string_view name;  // Excel's name, upper case
    int fixedArgs = -1;  // >= 0: stored as tFunc with this count; -1: as tFuncVar
    const FunctionInfo* engine = nullptr;  // the engine's function, when it computes this one
};

// nullptr when the number is not one of Excel's worksheet functions.
const BiffFunction* biffFunction(std::uint16_t number);
// nullptr when BIFF8 has no number for the engine's function.
const BiffFunction* biffFunction(FunctionId id);

}  // namespace host::xls
