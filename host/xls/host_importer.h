#pragma once
// Fills a host workbook from what the .xls reader finds.
#include <memory>
#include <unordered_map>
#include <vector>

#include "host/workbook.h"
#include "xls/formula_decode.h"
#include "xls/formula_shape_cache.h"
#include "xls/xls_import.h"

namespace host::xls {

class HostImporter final : public XlsImport {
public:
    explicit HostImporter(Workbook& workbook) : workbook_(workbook) {}

    void dateSystem1904(bool on) override { workbook_.date1904 = on; }
    void cellStyles(std::span<const Style> styles) override;
    void formulaNames(const FormulaNames& names) override { names_ = names; }
    void linkRecords(std::span<const std::span<const std::uint8_t>> records) override;
    void activeSheet(int index) override;

    void beginSheet(std::string_view name) override;
    void endSheet() override;
    void sheetExtent(int rows, int cols) override;

    void number(CellAddress at, std::uint16_t xf, double value) override;
    void text(CellAddress at, std::uint16_t xf, std::string_view value) override;
    void boolean(CellAddress at, std::uint16_t xf, bool value) override;
    void error(CellAddress at, std::uint16_t xf, ErrorCode value) override;
    void blank(CellAddress at, std::uint16_t xf) override;
    void formula(CellAddress at, std::uint16_t xf, const FormulaTokens& tokens, const Value& cached) override;
    void formulaCode(CellAddress at, std::uint16_t xf, const FormulaPtr& code, const Value& cached) override;

    void columnWidth(int firstCol, int lastCol, double width) override;
    void activeCell(CellAddress at) override;

private:
    void reserveRow(CellAddress at);
    // The host's style for an XF index; 0, the default, for an index with no XF behind it.
    std::uint16_t styleOf(std::uint16_t xf);
    void applyStyle(CellAddress at, std::uint16_t xf);
    const FormulaPtr& sharedCode(const FormulaTokens& tokens, CellAddress at);
    const FormulaPtr& plainCode(const FormulaTokens& tokens, CellAddress at);

    Workbook& workbook_;
    Worksheet* sheet_ = nullptr;
    std::vector<Style> xfStyles_;
    std::vector<int> hostStyleOfXf_;  // -1 until first used
    FormulaNames names_;
    // A shared formula's code, decoded once, and the cells it serves as it is.
    struct SharedCode {
        FormulaPtr code;
        OwnersThatFit fit;
    };
    std::unordered_map<const void*, SharedCode> sharedCodes_;  // per sheet
    // Cells of one shared formula come in a run down a column: the last one per column.
    struct LastShared {
        const void* key = nullptr;
        const SharedCode* code = nullptr;
    };
    std::vector<LastShared> lastShared_;
    FormulaPtr ownCode_;  // a code decoded for one cell only
    FormulaShapeCache plainCodes_;                              // per sheet
    // The host stores each column down to its last used row: a few bytes in the file can ask
    // for megabytes. The rows reached, per column of the current sheet and in all.
    std::vector<int> columnDepth_;
    std::size_t rowSlots_ = 0;
};

}  // namespace host::xls
