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

class FutureFunctionNames;

class FormulaEncoder {
public:
    // `futureFunctions`, when given, names the functions BIFF8 has no number for (IFERROR,
    // AVERAGEIF) by the workbook's "_xlfn." names; without it a formula calling one is refused.
    explicit FormulaEncoder(FutureFunctionNames* futureFunctions = nullptr) : futureFunctions_(futureFunctions) {}

    // The tokens of `code` as stored in the cell at `owner`: references hold absolute rows and
    // columns plus their relative flags; a reference that falls off the sheet becomes #REF!
    // (tRefErr, tAreaErr). An opaque formula gives no bytes (the writer keeps its own). The result is valid
    // until the next call.
    const std::vector<std::uint8_t>& encode(const FormulaCode& code, CellAddress owner);

    // Whether `code` in the cell at `at` may be one cell of a shared formula: it is the
    // engine's own code (not the bytes of a formula kept as it came) and none of its references
    // falls off the sheet from there. Gives the rows of `at`'s column where the same holds.
    bool shareable(const FormulaCode& code, CellAddress at, int& firstRow, int& lastRow);
    // The tokens of a shareable `code` as a SHRFMLA record holds them for all its cells:
    // relative rows and columns as offsets from the cell (tRefN, tAreaN), absolute references
    // as they are. Valid until the next call.
    const std::vector<std::uint8_t>& encodeShared(const FormulaCode& code);
    // The tokens of an array formula as its ARRAY record holds them for all its cells, its
    // references from the range's first cell. Operands go in the array class, as Excel writes
    // an array formula's (a range of SUM, SUMIF's range, a table to look in, in the reference
    // class). Valid until the next call.
    const std::vector<std::uint8_t>& encodeArray(const FormulaCode& code);
    // The data of the array constants of the code encoded last (the rgcb after its tokens);
    // empty for one without any.
    const std::vector<std::uint8_t>& extra() const { return extra_; }

private:
    // Where a relative row or column sits in a code's tokens, so that the same code in
    // another cell (cells of one shape share their code) is the same bytes with these fields
    // set again.
    struct Patch {
        std::uint32_t offset;
        std::int32_t delta;  // from the formula's own row or column
        std::uint16_t flags;  // a column field's relative bits
        bool row;
    };
    struct Template {
        std::vector<std::uint8_t> bytes;  // patched in place for each cell
        std::vector<Patch> patches;
        // The cells from which every reference stays on the sheet.
        int minRow = 0, maxRow = 0, minCol = 0, maxCol = 0;
    };
    // With `shared`, references with a relative part become offsets (tRefN, tAreaN) and
    // `owner` serves only their absolute parts.
    void encodeTokens(const FormulaCode& code, CellAddress owner, std::vector<std::uint8_t>& out,
                      std::vector<Patch>* patches, bool& allOnSheet, bool shared = false);
    // Which tokens are function arguments (functionArgument_), and before which token each
    // call of a future function puts its name: at the start of its first argument.
    void markFunctionArguments(const FormulaCode& code);
    void putFunction(std::vector<std::uint8_t>& out, const Token& t);
    void putFutureNames(std::vector<std::uint8_t>& out, std::uint32_t token);
    bool arrayClasses_ = false;  // encoding an array formula
    std::vector<bool> wholeArgument_;  // with arrayClasses_: an argument taken as a range
    Template* templateOf(const FormulaCode& code, CellAddress owner);
    static std::size_t recentSlot(const FormulaCode& code) {
        const auto key = reinterpret_cast<std::uintptr_t>(&code);
        return (key >> 4 ^ key >> 10) % kRecent;
    }

    std::unordered_map<const FormulaCode*, Template> templates_;
    // The codes used lately, by a hash of their address: a row of a large sheet repeats the
    // same handful of shapes.
    static constexpr std::size_t kRecent = 64;
    std::pair<const FormulaCode*, Template*> recent_[kRecent] = {};
    std::vector<std::uint8_t> rgce_;
    std::vector<std::uint8_t> extra_;
    std::vector<std::uint32_t> stack_;
    std::vector<bool> functionArgument_;
    FutureFunctionNames* futureFunctions_;
    const FormulaCode* code_ = nullptr;  // the code being encoded
    std::vector<std::uint32_t> startOf_;  // by token: where the operand it ends starts
    // Calls of future functions: (the token its first argument starts at, the call's token).
    std::vector<std::pair<std::uint32_t, std::uint32_t>> futureCalls_;
};

}  // namespace host::xls
