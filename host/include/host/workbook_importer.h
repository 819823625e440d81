#pragma once
// Fills a host workbook from what a file reader finds.
#include <cstddef>
#include <vector>

#include "host/workbook.h"
#include "host/workbook_import.h"

namespace host {

class WorkbookImporter final : public WorkbookImport {
public:
    explicit WorkbookImporter(Workbook& workbook) : workbook_(workbook) {}

    void dateSystem1904(bool on) override { workbook_.date1904 = on; }
    void cellStyles(std::span<const Style> styles) override;
    void activeSheet(int index) override;
    void definedName(std::string_view name, int sheet, std::string_view formula) override;

    void beginSheet(std::string_view name) override;
    void endSheet() override;
    void sheetExtent(int rows, int cols) override;

    void number(CellAddress at, std::uint16_t style, double value) override;
    void text(CellAddress at, std::uint16_t style, std::string_view value) override;
    void boolean(CellAddress at, std::uint16_t style, bool value) override;
    void error(CellAddress at, std::uint16_t style, ErrorCode value) override;
    void blank(CellAddress at, std::uint16_t style) override;
    void formula(CellAddress at, std::uint16_t style, const FormulaPtr& code, const Value& cached) override;
    void sharedFormula(int index, const FormulaPtr& code) override;
    void sharedFormulaCell(CellAddress at, std::uint16_t style, int index, const Value& cached) override;

    void columnWidth(int firstCol, int lastCol, double width) override;
    void activeCell(CellAddress at) override;

private:
    void reserveRow(CellAddress at);
    // The host's style for a file's style index; 0, the default, for an index with no style behind it.
    std::uint16_t styleOf(std::uint16_t fileStyle);
    void applyStyle(CellAddress at, std::uint16_t fileStyle);

    Workbook& workbook_;
    Worksheet* sheet_ = nullptr;
    std::vector<Style> fileStyles_;
    std::vector<int> hostStyleOf_;  // -1 until first used
    std::vector<FormulaPtr> sharedCodes_;  // per sheet, by index
    // The host stores each column down to its last used row: a few bytes in the file can ask
    // for megabytes. The rows reached, per column of the current sheet and in all.
    std::vector<int> columnDepth_;
    std::size_t rowSlots_ = 0;
};

}  // namespace host
