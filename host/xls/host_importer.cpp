#include "xls/host_importer.h"

#include "host/host_error.h"

namespace host::xls {

namespace {
// Every column of one sheet filled to the last row: more than any workbook this program keeps,
// and still a bounded amount of memory when a damaged or hostile file asks for more.
constexpr std::size_t kMaxRowSlots = std::size_t{kMaxColumns} * kMaxRows;
}  // namespace

void HostImporter::reserveRow(CellAddress at) {
    int& depth = columnDepth_[static_cast<std::size_t>(at.col)];
    if (at.row < depth) return;
    rowSlots_ += static_cast<std::size_t>(at.row + 1 - depth);
    depth = at.row + 1;
    if (rowSlots_ > kMaxRowSlots) throw HostError("the workbook is too large to open: its sheets reach too far");
}

void HostImporter::cellStyles(std::span<const Style> styles) {
    xfStyles_.assign(styles.begin(), styles.end());
    hostStyleOfXf_.assign(styles.size(), -1);
}

void HostImporter::linkRecords(std::span<const std::span<const std::uint8_t>> records) {
    workbook_.xlsLinkRecords.clear();
    workbook_.xlsLinkRecords.reserve(records.size());
    for (const auto& r : records) workbook_.xlsLinkRecords.emplace_back(r.begin(), r.end());
}

void HostImporter::activeSheet(int index) {
    if (index >= 0 && index < workbook_.sheetCount()) workbook_.selectSheet(index);
}

void HostImporter::beginSheet(std::string_view name) {
    sheet_ = &workbook_.addSheet(std::string(name));
    sheet_->beginLoad();
    sharedCodes_.clear();
    lastShared_.assign(kMaxColumns, LastShared{});
    plainCodes_.clear();
    columnDepth_.assign(kMaxColumns, 0);
}

void HostImporter::endSheet() {
    if (sheet_) sheet_->endLoad();
    sheet_ = nullptr;
}

void HostImporter::sheetExtent(int rows, int cols) {
    if (sheet_) sheet_->reserveForLoad(rows, cols);
}

std::uint16_t HostImporter::styleOf(std::uint16_t xf) {
    // An XF index with no XF record behind it gets the default style.
    if (xf >= hostStyleOfXf_.size()) return 0;
    int& index = hostStyleOfXf_[xf];
    if (index < 0) index = workbook_.styles().intern(xfStyles_[xf]);
    return static_cast<std::uint16_t>(index);
}

void HostImporter::applyStyle(CellAddress at, std::uint16_t xf) {
    if (const std::uint16_t index = styleOf(xf)) {
        reserveRow(at);
        sheet_->setStyleIndex(at, index);
    }
}

void HostImporter::number(CellAddress at, std::uint16_t xf, double value) {
    reserveRow(at);
    sheet_->loadNumber(at, value, styleOf(xf));
}

void HostImporter::text(CellAddress at, std::uint16_t xf, std::string_view value) {
    reserveRow(at);
    sheet_->setValue(at, Value::fromText(std::string(value)));
    applyStyle(at, xf);
}

void HostImporter::boolean(CellAddress at, std::uint16_t xf, bool value) {
    reserveRow(at);
    sheet_->setValue(at, Value::fromBoolean(value));
    applyStyle(at, xf);
}

void HostImporter::error(CellAddress at, std::uint16_t xf, ErrorCode value) {
    reserveRow(at);
    sheet_->setValue(at, Value::fromError(value));
    applyStyle(at, xf);
}

void HostImporter::blank(CellAddress at, std::uint16_t xf) { applyStyle(at, xf); }

const FormulaPtr& HostImporter::sharedCode(const FormulaTokens& tokens, CellAddress at) {
    // One decoding serves every cell of a shared formula: its references are offsets, so the
    // code is the same wherever it stands, unless an offset reaches past the sheet's edge.
    LastShared& last = lastShared_[static_cast<std::size_t>(at.col)];
    if (tokens.shareKey != last.key) {
        SharedCode& entry = sharedCodes_[tokens.shareKey];
        if (!entry.code) {
            entry.code = decodeFormula(tokens, at, names_);
            entry.fit = ownersThatFit(*entry.code);
        }
        last = {tokens.shareKey, &entry};
    }
    if (last.code->code->opaque || !last.code->fit.contains(at)) {
        ownCode_ = decodeFormula(tokens, at, names_);
        return ownCode_;
    }
    return last.code->code;
}

const FormulaPtr& HostImporter::plainCode(const FormulaTokens& tokens, CellAddress at) {
    if (const FormulaPtr* same = plainCodes_.find(tokens.tokens, at)) return *same;
    ownCode_ = decodeFormula(tokens, at, names_);
    // An opaque code holds this cell's own bytes: it serves no other cell.
    if (!ownCode_->opaque) plainCodes_.remember(tokens.tokens, at, ownCode_);
    return ownCode_;
}

void HostImporter::formula(CellAddress at, std::uint16_t xf, const FormulaTokens& tokens, const Value& cached) {
    reserveRow(at);
    if (tokens.partOfArray) {
        ownCode_ = decodeFormula(tokens, at, names_);
        sheet_->loadFormula(at, ownCode_, cached, styleOf(xf));
    } else {
        sheet_->loadFormula(at, tokens.shareKey ? sharedCode(tokens, at) : plainCode(tokens, at), cached, styleOf(xf));
    }
}

void HostImporter::formulaCode(CellAddress at, std::uint16_t xf, const FormulaPtr& code, const Value& cached) {
    reserveRow(at);
    sheet_->loadFormula(at, code, cached, styleOf(xf));
}

void HostImporter::columnWidth(int firstCol, int lastCol, double width) {
    for (int c = firstCol; c <= lastCol; ++c) sheet_->setColumnWidth(c, width);
}

void HostImporter::activeCell(CellAddress at) { sheet_->selectCell(at); }

}  // namespace host::xls
