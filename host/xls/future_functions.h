#pragma once
// Functions newer than BIFF8's function table (IFERROR, AVERAGEIF): an .xls file stores a call
// of one as a call of a user-defined function through a name, "_xlfn." and the function's name:
// the name's token, the arguments, then tFuncVar with number 255 and one argument more, the
// name. The name is an EXTERNNAME of the internal add-in SUPBOOK (tNameX), which is how the
// writer stores it, or a hidden NAME record of the workbook (tName), which the reader takes too.
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
// The same for a tName token, the way LibreOffice (and Excel, by what others report) writes
// these calls: through a hidden NAME record "_xlfn.IFERROR" of the workbook (`nameIndex` from 1).
const FunctionInfo* futureFunctionOfDefinedName(const FormulaNames& names, std::uint16_t nameIndex);

// The link tables of one save: the records kept from the file the workbook came from, and the
// add-in SUPBOOK with the names of the future functions its formulas call. What the kept tokens
// point at stays where it is: an add-in SUPBOOK the file has is reused and its new names follow
// its own; else one is added after the file's SUPBOOKs, and its EXTERNSHEET entry after the
// file's entries.
class FutureFunctionLinks {
public:
    FutureFunctionLinks(const std::vector<std::vector<std::uint8_t>>& kept, int sheetCount);

    struct Name {
        std::uint16_t ixti = 0;  // the EXTERNSHEET entry of the add-in SUPBOOK
        std::uint16_t index = 0;  // among its EXTERNNAMEs, from 1
    };
    // The name a call of `id` goes through, added on its first use.
    Name nameOf(FunctionId id);

    // The link records to write: the kept ones as they are when no future function is called.
    std::vector<std::vector<std::uint8_t>> records() const;

private:
    const std::vector<std::vector<std::uint8_t>>& kept_;
    int sheetCount_;
    int supBooks_ = 0;  // SUPBOOK records kept
    int addInSupBook_ = -1;  // the kept add-in SUPBOOK, if any
    std::size_t addInNamesEnd_ = 0;  // the kept record its new EXTERNNAMEs go before
    std::size_t supBooksEnd_ = 0;  // the kept record a new SUPBOOK goes before
    int externSheet_ = -1;  // the last kept EXTERNSHEET record, if any
    std::vector<std::string> keptNames_;  // the kept add-in SUPBOOK's names, in order
    std::uint16_t keptEntries_ = 0;  // XTI entries kept, in all EXTERNSHEET records
    std::uint16_t lastRecordEntries_ = 0;  // ... in the last one
    int addInEntry_ = -1;  // a kept XTI entry for the add-in SUPBOOK
    std::vector<std::string> addedNames_;
    bool used_ = false;
};

}  // namespace host::xls
