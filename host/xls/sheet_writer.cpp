#include "xls/sheet_writer.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "host/host_error.h"
#include "xls/biff_constants.h"
#include "xls/biff_record_writer.h"
#include "xls/biff_text.h"
#include "xls/continued_record_writer.h"
#include "xls/formula_encode.h"
#include "xls/rk_number.h"
#include "xls/sst_writer.h"
#include "xls/style_records_writer.h"

namespace host::xls {
namespace {

// Row records go in blocks of 32, each block's ROW records ahead of its cells, as Excel
// writes them.
constexpr int kRowsPerBlock = 32;

struct RowExtent {
    int row;
    int firstCol;
    int lastCol;
};

class CellRecordWriter {
public:
    explicit CellRecordWriter(SstWriter& sst) : sst_(sst), body_(1 << 20), block_(1 << 14) {}

    void add(const CellView& cell);
    SheetCells finish();

private:
    enum class Run { None, Blank, Rk };
    void track(CellAddress at);
    void flushRun();
    void flushBlock();
    void cellHeader(std::uint16_t type, CellAddress at, std::uint16_t xf);
    void writeConstant(const CellView& cell, std::uint16_t xf);
    void writeFormula(const CellView& cell, std::uint16_t xf);
    void writeBoolErr(CellAddress at, std::uint16_t xf, std::uint8_t value, bool isError);

    SstWriter& sst_;
    FormulaEncoder encoder_;
    BiffRecordWriter body_;
    BiffRecordWriter block_;
    std::vector<RowExtent> rows_;
    int blockIndex_ = -1;
    std::optional<CellRange> used_;

    Run run_ = Run::None;
    int runRow_ = 0;
    int runFirstCol_ = 0;
    std::vector<std::uint16_t> runXfs_;
    std::vector<std::uint32_t> runRks_;
};

void CellRecordWriter::track(CellAddress at) {
    if (at.row / kRowsPerBlock != blockIndex_) {
        flushRun();
        flushBlock();
        blockIndex_ = at.row / kRowsPerBlock;
    }
    if (rows_.empty() || rows_.back().row != at.row) rows_.push_back({at.row, at.col, at.col});
    else rows_.back().lastCol = std::max(rows_.back().lastCol, at.col);
    if (!used_) {
        used_ = CellRange{at, at};
    } else {
        used_->first.row = std::min(used_->first.row, at.row);
        used_->first.col = std::min(used_->first.col, at.col);
        used_->last.row = std::max(used_->last.row, at.row);
        used_->last.col = std::max(used_->last.col, at.col);
    }
}

void CellRecordWriter::cellHeader(std::uint16_t type, CellAddress at, std::uint16_t xf) {
    block_.beginRecord(type);
    block_.u16(std::uint16_t(at.row));
    block_.u16(std::uint16_t(at.col));
    block_.u16(xf);
}

void CellRecordWriter::flushRun() {
    const std::size_t n = runXfs_.size();
    if (run_ == Run::Blank) {
        if (n == 1) {
            cellHeader(kBlank, {runRow_, runFirstCol_}, runXfs_[0]);
        } else {
            block_.beginRecord(kMulBlank);
            block_.u16(std::uint16_t(runRow_));
            block_.u16(std::uint16_t(runFirstCol_));
            for (auto xf : runXfs_) block_.u16(xf);
            block_.u16(std::uint16_t(runFirstCol_ + n - 1));
        }
        block_.endRecord();
    } else if (run_ == Run::Rk) {
        if (n == 1) {
            cellHeader(kRk, {runRow_, runFirstCol_}, runXfs_[0]);
            block_.u32(runRks_[0]);
        } else {
            block_.beginRecord(kMulRk);
            block_.u16(std::uint16_t(runRow_));
            block_.u16(std::uint16_t(runFirstCol_));
            for (std::size_t i = 0; i < n; ++i) {
                block_.u16(runXfs_[i]);
                block_.u32(runRks_[i]);
            }
            block_.u16(std::uint16_t(runFirstCol_ + n - 1));
        }
        block_.endRecord();
    }
    run_ = Run::None;
    runXfs_.clear();
    runRks_.clear();
}

void CellRecordWriter::flushBlock() {
    for (const RowExtent& r : rows_) {
        body_.beginRecord(kRow);
        body_.u16(std::uint16_t(r.row));
        body_.u16(std::uint16_t(r.firstCol));
        body_.u16(std::uint16_t(r.lastCol + 1));
        body_.u16(0x00FF);   // default height, 12.75 points
        body_.u16(0);
        body_.u16(0);
        body_.u16(0x0100);   // the bit the format requires set; nothing else
        body_.u16(0x000F);
        body_.endRecord();
    }
    rows_.clear();
    body_.raw(block_.data(), block_.size());
    block_.clear();
}

void CellRecordWriter::writeBoolErr(CellAddress at, std::uint16_t xf, std::uint8_t value, bool isError) {
    cellHeader(kBoolErr, at, xf);
    block_.u8(value);
    block_.u8(isError ? 1 : 0);
    block_.endRecord();
}

void CellRecordWriter::writeConstant(const CellView& cell, std::uint16_t xf) {
    const Value& v = cell.value;
    switch (v.kind) {
        case Value::Kind::Number:
            if (!std::isfinite(v.number)) {
                writeBoolErr(cell.at, xf, std::uint8_t(ErrorCode::Num), true);
            } else {
                cellHeader(kNumber, cell.at, xf);
                block_.f64(v.number);
                block_.endRecord();
            }
            break;
        case Value::Kind::Text:
            cellHeader(kLabelSst, cell.at, xf);
            block_.u32(sst_.add(v.text));
            block_.endRecord();
            break;
        case Value::Kind::Boolean: writeBoolErr(cell.at, xf, v.boolean ? 1 : 0, false); break;
        case Value::Kind::Error: writeBoolErr(cell.at, xf, std::uint8_t(v.error), true); break;
        case Value::Kind::Empty:
            cellHeader(kBlank, cell.at, xf);
            block_.endRecord();
            break;
    }
}

void CellRecordWriter::writeFormula(const CellView& cell, std::uint16_t xf) {
    const std::vector<std::uint8_t>& rgce = encoder_.encode(*cell.formula, cell.at);
    if (rgce.size() > kMaxFormulaTokenBytes)
        throw HostError("The formula in " + formatAddress(cell.at, false) + " is too long to save.");

    // The cached result: a number as itself, anything else marked by 0xFFFF in the top bytes.
    const Value& v = cell.value;
    const auto special = [&](std::uint8_t type, std::uint8_t data) {
        const std::uint8_t bytes[8] = {type, 0, data, 0, 0, 0, 0xFF, 0xFF};
        block_.raw(bytes, 8);
    };
    const bool textResult = v.isText() && !v.text.empty();
    cellHeader(kFormula, cell.at, xf);
    switch (v.kind) {
        case Value::Kind::Number:
            if (std::isfinite(v.number)) block_.f64(v.number);
            else special(2, std::uint8_t(ErrorCode::Num));
            break;
        case Value::Kind::Text: special(textResult ? 0 : 3, 0); break;
        case Value::Kind::Boolean: special(1, v.boolean ? 1 : 0); break;
        case Value::Kind::Error: special(2, std::uint8_t(v.error)); break;
        case Value::Kind::Empty: special(3, 0); break;
    }
    block_.u16(0);   // no flags: not shared, computed normally
    block_.u32(0);
    block_.u16(std::uint16_t(rgce.size()));
    block_.raw(rgce.data(), rgce.size());
    block_.endRecord();

    if (textResult) {
        ContinuedRecordWriter string(block_, kString);
        string.writeString(toBiffText(v.text));
        string.finish();
    }
}

void CellRecordWriter::add(const CellView& cell) {
    track(cell.at);
    const std::uint16_t xf = xfIndexOfStyle(cell.style);
    const bool blank = cell.kind == CellView::Kind::Blank;
    std::optional<std::uint32_t> rk;
    if (cell.kind == CellView::Kind::Constant && cell.value.isNumber()) rk = encodeRk(cell.value.number);

    const Run kind = blank ? Run::Blank : rk ? Run::Rk : Run::None;
    const bool continues = kind != Run::None && run_ == kind && runRow_ == cell.at.row &&
                           runFirstCol_ + int(runXfs_.size()) == cell.at.col;
    if (!continues) flushRun();
    if (kind != Run::None) {
        if (run_ == Run::None) {
            run_ = kind;
            runRow_ = cell.at.row;
            runFirstCol_ = cell.at.col;
        }
        runXfs_.push_back(xf);
        if (rk) runRks_.push_back(*rk);
        return;
    }
    if (cell.kind == CellView::Kind::Formula && cell.formula) writeFormula(cell, xf);
    else writeConstant(cell, xf);
}

SheetCells CellRecordWriter::finish() {
    flushRun();
    flushBlock();
    return SheetCells{std::move(body_), used_};
}

void writeColumnWidths(BiffRecordWriter& out, const Worksheet& sheet) {
    const auto coldx = [&](int col) {
        const double w = sheet.columnWidth(col);
        if (std::abs(w - kDefaultColumnWidth) < 1e-9) return -1L;
        return std::lround(std::clamp(w, 0.0, 255.0) * 256);
    };
    int col = 0;
    while (col < kMaxColumns) {
        const long width = coldx(col);
        int last = col;
        while (last + 1 < kMaxColumns && coldx(last + 1) == width) ++last;
        if (width >= 0) {
            out.beginRecord(kColInfo);
            out.u16(std::uint16_t(col));
            out.u16(std::uint16_t(last));
            out.u16(std::uint16_t(width));
            out.u16(xfIndexOfStyle(0));
            out.u16(width == 0 ? 0x0001 : 0x0000);   // a zero width is a hidden column
            out.u16(0);
            out.endRecord();
        }
        col = last + 1;
    }
}

}  // namespace

SheetCells writeSheetCells(const Worksheet& sheet, SstWriter& sst) {
    CellRecordWriter writer(sst);
    sheet.forEachCell([&](const CellView& cell) { writer.add(cell); });
    return writer.finish();
}

void writeSheetHeader(BiffRecordWriter& out, const Worksheet& sheet, const SheetCells& cells) {
    out.beginRecord(kBof);
    out.u16(kBiff8Version);
    out.u16(kBofWorksheet);
    out.u16(0x0DBB);   // build and year of the Excel 97 file format
    out.u16(0x07CC);
    out.u32(0);
    out.u32(0x00000006);
    out.endRecord();

    out.u16Record(kCalcMode, 1);      // automatic
    out.u16Record(kCalcCount, 100);
    out.u16Record(kRefMode, 1);       // A1 references
    out.u16Record(kIteration, 0);
    out.beginRecord(kDelta);
    out.f64(0.001);
    out.endRecord();
    out.u16Record(kSaveRecalc, 1);
    out.u16Record(kPrintHeaders, 0);
    out.u16Record(kPrintGridlines, 0);
    out.u16Record(kGridSet, 1);
    out.beginRecord(kGuts);
    out.zeros(8);
    out.endRecord();
    out.beginRecord(kDefaultRowHeight);
    out.u16(0);
    out.u16(0x00FF);
    out.endRecord();
    out.u16Record(kWsBool, 0x04C1);
    out.u16Record(kHCenter, 0);
    out.u16Record(kVCenter, 0);
    out.u16Record(kDefColWidth, 8);
    writeColumnWidths(out, sheet);

    out.beginRecord(kDimensions);
    if (cells.used) {
        out.u32(std::uint32_t(cells.used->first.row));
        out.u32(std::uint32_t(cells.used->last.row + 1));
        out.u16(std::uint16_t(cells.used->first.col));
        out.u16(std::uint16_t(cells.used->last.col + 1));
    } else {
        out.zeros(12);
    }
    out.u16(0);
    out.endRecord();
}

void writeSheetTrailer(BiffRecordWriter& out, const Worksheet& sheet, bool active) {
    out.beginRecord(kWindow2);
    // Gridlines, headers, zeros, automatic grid colour, outline symbols; the active sheet is
    // also the selected and displayed one.
    out.u16(active ? 0x06B6 : 0x00B6);
    out.u16(0);        // top row
    out.u16(0);        // left column
    out.u16(0x40);     // grid colour: automatic
    out.u16(0);
    out.u16(0);        // zoom: defaults
    out.u16(0);
    out.u32(0);
    out.endRecord();

    const CellAddress at = sheet.activeCell();
    out.beginRecord(kSelection);
    out.u8(3);         // the only pane, top left
    out.u16(std::uint16_t(at.row));
    out.u16(std::uint16_t(at.col));
    out.u16(0);
    out.u16(1);
    out.u16(std::uint16_t(at.row));
    out.u16(std::uint16_t(at.row));
    out.u8(std::uint8_t(at.col));
    out.u8(std::uint8_t(at.col));
    out.endRecord();

    out.emptyRecord(kEof);
}

}  // namespace host::xls
