#pragma once
#include <cstdint>
#include <string_view>

namespace host {

// The functions the formula engine computes, with their BIFF function numbers so that the
// .xls reader and writer translate calls without a table of their own.
struct FunctionInfo {
    std::string_view name;   // upper case, as formulas read back
    std::uint16_t biff;      // BIFF8 function number (SUM 4, AVERAGE 5, IF 1, ...)
    int minArgs;
    int maxArgs;
    // The engine computes it exactly as Excel does, for every argument Excel takes. Only then
    // is a formula read from a file recomputed; one calling any other function keeps the
    // result the file stored.
    bool exact = true;
    // A function of fixed argument count is stored as tFunc, the others as tFuncVar.
    bool fixedArgs() const { return minArgs == maxArgs; }
};

const FunctionInfo* functionByName(std::string_view name);   // any case; nullptr if unknown
const FunctionInfo* functionByNumber(std::uint16_t biff);     // nullptr if unknown

}  // namespace host
