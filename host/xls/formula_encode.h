#pragma once
// Host formula code to BIFF8 formula tokens (the rgce of a FORMULA record).
#include <cstdint>
#include <vector>

#include "host/address.h"
#include "host/formula_code.h"

namespace host::xls {

// The longest token array that still fits one FORMULA record.
inline constexpr std::size_t kMaxFormulaTokenBytes = 8224 - 22;

class FormulaEncoder {
public:
    // Replaces `rgce` with the tokens of `code` as stored in the cell at `owner`: references
    // hold absolute rows and columns plus their relative flags; a reference that falls off
    // the sheet becomes #REF! (tRefErr, tAreaErr). An opaque formula gives its original bytes.
    void encode(const FormulaCode& code, CellAddress owner, std::vector<std::uint8_t>& rgce);

private:
    // Per token: whether a function call takes it as an argument (then references are
    // written in reference class, as spreadsheet programs do for SUM(B3:B7)).
    void markFunctionArguments(const FormulaCode& code);
    std::vector<std::uint32_t> stack_;
    std::vector<bool> functionArgument_;
};

}  // namespace host::xls
