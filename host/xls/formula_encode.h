#pragma once
// Host formula code to BIFF8 formula tokens (the rgce of a FORMULA record).
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "host/address.h"
#include "host/formula_code.h"

namespace host::xls {

// The longest token array that still fits one FORMULA record.
inline constexpr std::size_t kMaxFormulaTokenBytes = 8224 - 22;

class FormulaEncoder {
public:
    // The tokens of `code` as stored in the cell at `owner`: references hold absolute rows and
    // columns plus their relative flags; a reference that falls off the sheet becomes #REF!
    // (tRefErr, tAreaErr). An opaque formula gives its original bytes. The result is valid
    // until the next call.
    const std::vector<std::uint8_t>& encode(const FormulaCode& code, CellAddress owner);

private:
    // Where a relative row or column sits in a code's tokens, so that the same code in
    // another cell (cells of one shape share their code) is a copy with these fields patched.
    struct Patch {
        std::uint32_t offset;
        bool row;
        RefPart part;
    };
    struct Template {
        std::vector<std::uint8_t> bytes;
        std::vector<Patch> patches;
    };
    void encodeTokens(const FormulaCode& code, CellAddress owner, std::vector<std::uint8_t>& out,
                      std::vector<Patch>* patches, bool& allOnSheet);
    void markFunctionArguments(const FormulaCode& code);

    std::unordered_map<const FormulaCode*, Template> templates_;
    // The last few codes used: a row of a large sheet repeats the same handful of shapes.
    static constexpr std::size_t kRecent = 16;
    std::pair<const FormulaCode*, const Template*> recent_[kRecent] = {};
    std::size_t nextRecent_ = 0;
    std::vector<std::uint8_t> rgce_;
    std::vector<std::uint32_t> stack_;
    std::vector<bool> functionArgument_;
};

}  // namespace host::xls
