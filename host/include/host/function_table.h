#pragma once
#include <cstdint>
#include <string_view>

namespace host {

// The functions the formula engine computes, by the engine's own codes. File formats map these
// codes to theirs on their own side (the .xls filter's BIFF function map).
enum class FunctionId : std::uint16_t {
    Count,
    If,
    IsNa,
    IsError,
    Sum,
    Average,
    Min,
    Max,
    Na,
    Pi,
    Sqrt,
    Exp,
    Ln,
    Log10,
    Abs,
    Int,
    Sign,
    Round,
    Len,
    Value,
    And,
    Or,
    Not,
    Mod,
    Date,
    Day,
    Month,
    Year,
    Choose,
    Lower,
    Upper,
    IsErr,
    IsText,
    IsNumber,
    IsBlank,
    CountA,
    Product,
    IsNonText,
    Trunc,
    IsLogical,
    RoundUp,
    RoundDown,
    Concatenate,
    Power,
    SumIf,
    CountIf,
    AverageIf,
    SumProduct,
    VLookup,
    Match,
    Index,
    IfError,
    Weekday,
    Today,
    Text,
};

struct FunctionInfo {
    std::string_view name;  // upper case, as formulas read back
    FunctionId id;
    int minArgs;
    int maxArgs;
    // The engine computes it exactly as Excel does, for every argument Excel takes. Only then
    // is a formula read from a file recomputed; one calling any other function keeps the
    // result the file stored.
    bool exact;
    // Exact only when the last argument is a literal 0 or FALSE (VLOOKUP and MATCH looking for
    // an equal value): the nearest-value search over unsorted cells goes Excel's own way.
    bool exactWhenMatchingExactly = false;
    // Its result depends on the moment, not on cells (TODAY): computed on open and on every
    // recalculation, with the formulas that read it.
    bool isVolatile = false;
};

const FunctionInfo* functionByName(std::string_view name);  // any case; nullptr if unknown
const FunctionInfo* functionById(FunctionId id);  // nullptr only for a damaged code

}  // namespace host
