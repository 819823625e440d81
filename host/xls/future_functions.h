#pragma once
// Functions newer than BIFF8's function table (IFERROR, AVERAGEIF): an .xls file stores a call
// of one as a call of a macro function through a name, "_xlfn." and the function's name: the
// name's token, the arguments, then tFuncVar with number 255 and one argument more, the name.
// The name is a hidden NAME record of the workbook (tName), as LibreOffice writes it and as
// others report Excel writes it, which is how the writer stores it; the reader also takes an
// EXTERNNAME of the add-in SUPBOOK (tNameX), the form [MS-XLS] gives add-in functions.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/function_table.h"
#include "xls/formula_tokens.h"

namespace host::xls {

inline constexpr std::uint16_t kUserDefinedFunction = 255;  // tFuncVar's number for a call through a name

// The engine's function "_xlfn.NAME" names, when BIFF8 has no number of its own for it;
// nullptr for any other name.
const FunctionInfo* futureFunction(std::string_view externName);

// The engine's function a tNameX token names through the file's link tables (`ixti` an
// EXTERNSHEET entry, `nameIndex` counting that SUPBOOK's EXTERNNAMEs from 1); nullptr when it
// names anything else.
const FunctionInfo* futureFunction(const FormulaNames& names, std::uint16_t ixti, std::uint16_t nameIndex);
// The same for a tName token: a NAME record "_xlfn.IFERROR" of the workbook (`nameIndex` from 1).
const FunctionInfo* futureFunctionOfDefinedName(const FormulaNames& names, std::uint16_t nameIndex);

// The defined names of one save: the NAME records kept from the file the workbook came from,
// and after them a hidden NAME "_xlfn.IFERROR" for each future function its formulas call that
// the file does not name already. Kept tokens count the kept names from 1, and the new ones
// come after them, so none of those numbers moves.
class FutureFunctionNames {
public:
    explicit FutureFunctionNames(const std::vector<std::vector<std::uint8_t>>& kept);

    // The number of the NAME a call of `id` goes through (tName counts from 1), added on its
    // first use.
    std::uint16_t nameOf(FunctionId id);

    // The link records to write: the kept ones as they are when no new name is needed.
    std::vector<std::vector<std::uint8_t>> records() const;

private:
    const std::vector<std::vector<std::uint8_t>>& kept_;
    std::vector<std::string> keptNames_;  // the kept NAME records' names, in order
    std::vector<std::string> addedNames_;
};

}  // namespace host::xls
