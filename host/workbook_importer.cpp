#include "host/workbook_importer.h"

#include "formula/intern.h"
#include "host/host_error.h"

namespace host {

namespace {
// Every column of one sheet filled to the last row: more than any workbook this program keeps,
// and still a bounded amount of memory when a damaged or hostile file asks for more.
constexpr std::size_t kMaxRowSlots = std::size_t{kMaxColumns} * kMaxRows;
// One shared formula per cell of a full sheet and more: an index past it comes from a damaged file.
constexpr int kMaxSharedFormulas = 1 << 22;
}  // namespace

void WorkbookImporter::reserveRow(CellAddress at) {
    int& depth = columnDepth_[static_cast<std::size_t>(at.col)];
    if (at.row < depth) return;
    rowSlots_ += static_cast<std::size_t>(at.row + 1 - depth);
    depth = at.row + 1;
    if (rowSlots_ > kMaxRowSlots) throw HostError("the workbook is too large to open: its sheets reach too far");
}

void WorkbookImporter::cellStyles(std::span<const Style> styles) {
    fileStyles_.assign(styles.begin(), styles.end());
    hostStyleOf_.assign(styles.size(), -1);
}

void WorkbookImporter::activeSheet(int index) {
    if (index >= 0 && index < workbook_.sheetCount()) workbook_.selectSheet(index);
}

void WorkbookImporter::definedName(std::string_view name, int sheet, std::string_view formula) {
    // A file may name anything; what no program could use (no name, a sheet the workbook does
    // not have) is left behind rather than written out again.
    if (name.empty() || sheet < -1 || sheet >= workbook_.sheetCount()) return;
    workbook_.definedNames.push_back({std::string(name), sheet, std::string(formula)});
}

void WorkbookImporter::beginSheet(std::string_view name) {
    sheet_ = &workbook_.addSheet(std::string(name));
    sheet_->beginLoad();
    sharedCodes_.clear();
    columnDepth_.assign(kMaxColumns, 0);
}

void WorkbookImporter::endSheet() {
    if (sheet_) sheet_->endLoad();
    sheet_ = nullptr;
}

void WorkbookImporter::sheetExtent(int rows, int cols) {
    if (sheet_) sheet_->reserveForLoad(rows, cols);
}

std::uint16_t WorkbookImporter::styleOf(std::uint16_t fileStyle) {
    // An index with no style behind it (an XF record a file lacks) gets the default style.
    if (fileStyle >= hostStyleOf_.size()) return 0;
    int& index = hostStyleOf_[fileStyle];
    if (index < 0) index = workbook_.styles().intern(fileStyles_[fileStyle]);
    return static_cast<std::uint16_t>(index);
}

void WorkbookImporter::applyStyle(CellAddress at, std::uint16_t style) {
    if (const std::uint16_t index = styleOf(style)) {
        reserveRow(at);
        sheet_->setStyleIndex(at, index);
    }
}

void WorkbookImporter::number(CellAddress at, std::uint16_t style, double value) {
    reserveRow(at);
    sheet_->loadNumber(at, value, styleOf(style));
}

void WorkbookImporter::text(CellAddress at, std::uint16_t style, std::string_view value) {
    reserveRow(at);
    sheet_->setValue(at, Value::fromText(std::string(value)));
    applyStyle(at, style);
}

void WorkbookImporter::boolean(CellAddress at, std::uint16_t style, bool value) {
    reserveRow(at);
    sheet_->setValue(at, Value::fromBoolean(value));
    applyStyle(at, style);
}

void WorkbookImporter::error(CellAddress at, std::uint16_t style, ErrorCode value) {
    reserveRow(at);
    sheet_->setValue(at, Value::fromError(value));
    applyStyle(at, style);
}

void WorkbookImporter::blank(CellAddress at, std::uint16_t style) { applyStyle(at, style); }

void WorkbookImporter::formula(CellAddress at, std::uint16_t style, const FormulaPtr& code, const Value& cached) {
    reserveRow(at);
    sheet_->loadFormula(at, code, cached, styleOf(style));
}

void WorkbookImporter::sharedFormula(int index, const FormulaPtr& code) {
    if (index < 0 || index >= kMaxSharedFormulas) return;
    const auto i = static_cast<std::size_t>(index);
    if (i >= sharedCodes_.size()) sharedCodes_.resize(i + 1);
    // Interned once here, so each of its cells hands the sheet a code it already holds.
    sharedCodes_[i] = formula::intern(code);
}

void WorkbookImporter::sharedFormulaCell(CellAddress at, std::uint16_t style, int index, const Value& cached) {
    // A cell naming a shared formula the reader never gave keeps the result it stored.
    const auto i = static_cast<std::size_t>(index);
    if (index < 0 || i >= sharedCodes_.size() || !sharedCodes_[i]) {
        if (cached.kind == Value::Kind::Empty)
            blank(at, style);
        else {
            reserveRow(at);
            sheet_->setValue(at, cached);
            applyStyle(at, style);
        }
        return;
    }
    formula(at, style, sharedCodes_[i], cached);
}

void WorkbookImporter::columnWidth(int firstCol, int lastCol, double width) {
    for (int c = firstCol; c <= lastCol; ++c) sheet_->setColumnWidth(c, width);
}

void WorkbookImporter::activeCell(CellAddress at) { sheet_->selectCell(at); }

}  // namespace host
