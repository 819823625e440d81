#include "xls/sheet_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>
#include <string>
#include <unordered_map>

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
// The cells go out in parts that never grow by copying: each part four times the one before,
// up to a few megabytes, so a small sheet takes little memory and a large one few parts.
constexpr std::size_t kFirstPart = std::size_t(1) << 16;
constexpr std::size_t kLargestPart = std::size_t(1) << 22;
constexpr std::size_t kRowRecordSize = 20;
// A shared formula counts its cells in one byte: a longer run down a column is shared in
// groups of this many rows.
constexpr int kMostSharedCells = 255;
constexpr std::uint16_t kSharedFormulaFlag = 0x0008;
constexpr std::uint16_t kAlwaysCalcFlag = 0x0001;
constexpr std::size_t kMaxRecordBody = 8224;

// The RK form of a constant number, for RK and MULRK records.
bool rkOf(const CellFields& cell, std::uint32_t& rk) {
    return cell.kind == CellView::Kind::Constant && cell.valueKind == Value::Kind::Number && encodeRk(cell.number, rk);
}

// A formula's cached result: a number as itself, anything else marked by 0xFFFF in the top
// bytes.
void storeCachedResult(std::uint8_t* p, const CellFields& cell) {
    const auto special = [p](std::uint8_t type, std::uint8_t data) {
        const std::uint8_t bytes[8] = {type, 0, data, 0, 0, 0, 0xFF, 0xFF};
        std::memcpy(p, bytes, 8);
    };
    switch (cell.valueKind) {
        case Value::Kind::Number:
            if (std::isfinite(cell.number))
                storeF64(p, cell.number);
            else
                special(2, std::uint8_t(ErrorCode::Num));
            break;
        case Value::Kind::Text: special(cell.text.empty() ? 3 : 0, 0); break;
        case Value::Kind::Boolean: special(1, cell.boolean() ? 1 : 0); break;
        case Value::Kind::Error: special(2, std::uint8_t(cell.error())); break;
        case Value::Kind::Empty: special(3, 0); break;
    }
}

// Text is saved whole or not at all: a cell's text longer than the format holds fails the save
// with a message, rather than being cut short.
void requireCellText(CellAddress at, std::string_view text) {
    if (text.size() <= kMaxCellTextChars) return;  // every code unit takes a byte at least
    const std::size_t units = biffUnitCount(text);
    if (units <= kMaxCellTextChars) return;
    throw HostError("The text in " + formatAddress(at, false) +
                    " is too long to save as an Excel 97-2003 workbook: it has " + std::to_string(units) +
                    " characters, and a cell holds at most " + std::to_string(kMaxCellTextChars) + ".");
}

class CellRecordWriter {
public:
    CellRecordWriter(const Worksheet& sheet, SstWriter& sst, const OpaqueFormulas* opaque, int sheetIndex,
                     FutureFunctionNames* futureFunctions)
        : sheet_(sheet), sst_(sst), opaque_(opaque), sheetIndex_(sheetIndex), encoder_(futureFunctions) {}

    void addRow(int row, std::span<const CellFields> cells);
    SheetCells finish();

private:
    void startBlock();
    void finishBlock();
    // Opens a cell record of `dataSize` bytes, row, column and XF filled in; returns where the
    // rest of its data goes.
    std::uint8_t* cellRecord(std::uint16_t type, std::size_t dataSize, int row, int col, std::uint16_t xf) {
        std::uint8_t* p = out_->room(4 + dataSize);
        store16(p, type);
        store16(p + 2, std::uint16_t(dataSize));
        store16(p + 4, std::uint16_t(row));
        store16(p + 6, std::uint16_t(col));
        store16(p + 8, xf);
        return p + 10;
    }
    // Opens a MULBLANK or MULRK record for `n` cells of `perCell` bytes from column `first`,
    // its closing last-column field written; returns where the cells go.
    std::uint8_t* multiCellRecord(std::uint16_t type, int row, int first, std::size_t n, std::size_t perCell) {
        const std::size_t dataSize = 6 + perCell * n;
        std::uint8_t* p = out_->room(4 + dataSize);
        store16(p, type);
        store16(p + 2, std::uint16_t(dataSize));
        store16(p + 4, std::uint16_t(row));
        store16(p + 6, std::uint16_t(first));
        store16(p + 8 + perCell * n, std::uint16_t(first + n - 1));
        return p + 8;
    }
    void writeBlanks(int row, std::span<const CellFields> run);
    void writeRks(int row, std::span<const CellFields> run);
    void writeConstant(int row, const CellFields& cell, std::uint16_t xf);
    void writeFormula(int row, const CellFields& cell, std::uint16_t xf, const OpaqueBytes* kept);
    // A cell of an array formula; the first one is followed by the ARRAY record: the tokens
    // kept from the file (`kept`) or, for one the engine computes, its own encoding.
    void writeArrayFormula(CellAddress at, const CellFields& cell, std::uint16_t xf, const OpaqueBytes* kept);
    void writeStringResult(int row, const CellFields& cell);  // the STRING record after a text result
    bool arrayIntact(const FormulaCode& code);
    // The FORMULA record's fAlwaysCalc flag, which Excel sets on a formula calling a volatile
    // function (TODAY). Cells next to each other mostly share a code: the last answer is kept.
    std::uint16_t alwaysCalc(const FormulaCode& code) {
        if (&code != lastCode_) {
            lastCode_ = &code;
            lastAlwaysCalc_ = !code.opaque && callsVolatile(code) ? kAlwaysCalcFlag : 0;
        }
        return lastAlwaysCalc_;
    }
    const OpaqueBytes* keptBytes(int row, const CellFields& cell) const {
        const OpaqueBytes* kept = opaque_ ? opaque_->find(sheetIndex_, {row, cell.col}, *cell.formula) : nullptr;
        return kept && !kept->tokens.empty() ? kept : nullptr;
    }

    // The cells down one column that share one formula: a run of cells holding the same code
    // (the same formula moved down a row each time), cut into groups of kMostSharedCells rows
    // counted from the run's first row. A group of one cell is a plain formula.
    struct SharedGroup {
        const FormulaCode* code = nullptr;
        int runStart = 0;
        int first = -1;
        int last = -2;
        bool shared = false;  // else its cells are written as plain formulas
    };
    const SharedGroup& sharedGroup(int row, int col, const FormulaCode& code);
    void writeSharedFormula(const SharedGroup& group, int col);
    void writeBoolErr(int row, int col, std::uint16_t xf, std::uint8_t value, bool isError);

    const Worksheet& sheet_;
    SstWriter& sst_;
    const OpaqueFormulas* opaque_;
    int sheetIndex_;
    FormulaEncoder encoder_;
    const FormulaCode* lastCode_ = nullptr;
    std::uint16_t lastAlwaysCalc_ = 0;
    SharedGroup groups_[kMaxColumns];  // by column: the group met last
    std::unordered_map<const FormulaCode*, bool> arrays_;  // array formulas: whether each is whole
    std::vector<BiffRecordWriter> parts_;
    BiffRecordWriter* out_ = nullptr;  // the last part, which the open block goes to
    // The open block starts with room for all its ROW records, filled as its rows come; what
    // its rows do not use is taken out when it closes.
    std::size_t blockStart_ = 0;
    std::size_t largestBlock_ = 0;
    int blockRows_ = 0;
    int blockIndex_ = -1;
    std::optional<CellRange> used_;
    std::uint32_t runRks_[kMaxColumns];
};

void CellRecordWriter::writeBlanks(int row, std::span<const CellFields> run) {
    const std::size_t n = run.size();
    const int first = run.front().col;
    if (n == 1) {
        cellRecord(kBlank, 6, row, first, xfIndexOfStyle(run[0].style));
        return;
    }
    std::uint8_t* p = multiCellRecord(kMulBlank, row, first, n, 2);
    for (const CellFields& cell : run) {
        store16(p, xfIndexOfStyle(cell.style));
        p += 2;
    }
}

void CellRecordWriter::writeRks(int row, std::span<const CellFields> run) {
    const std::size_t n = run.size();
    const int first = run.front().col;
    if (n == 1) {
        store32(cellRecord(kRk, 10, row, first, xfIndexOfStyle(run[0].style)), runRks_[0]);
        return;
    }
    std::uint8_t* p = multiCellRecord(kMulRk, row, first, n, 6);
    for (std::size_t i = 0; i < n; ++i) {
        store16(p, xfIndexOfStyle(run[i].style));
        store32(p + 2, runRks_[i]);
        p += 6;
    }
}

void CellRecordWriter::startBlock() {
    // Room for twice the largest block so far: a block that outgrows its part still fits, by
    // growing the part, but that copies the part.
    const std::size_t room = std::max<std::size_t>(std::size_t(1) << 14, 2 * largestBlock_);
    if (!out_ || out_->capacity() - out_->size() < room) {
        const std::size_t next = out_ ? std::min(out_->capacity() * 4, kLargestPart) : kFirstPart;
        out_ = &parts_.emplace_back(std::max(next, room));
    }
    blockStart_ = out_->size();
    blockRows_ = 0;
    out_->room(kRowsPerBlock * kRowRecordSize);
}

void CellRecordWriter::finishBlock() {
    if (!out_) return;
    const std::size_t used = std::size_t(blockRows_) * kRowRecordSize;
    const std::size_t kept = kRowsPerBlock * kRowRecordSize;
    if (used < kept) out_->erase(blockStart_ + used, kept - used);
    largestBlock_ = std::max(largestBlock_, out_->size() - blockStart_);
}

void CellRecordWriter::writeBoolErr(int row, int col, std::uint16_t xf, std::uint8_t value, bool isError) {
    std::uint8_t* p = cellRecord(kBoolErr, 8, row, col, xf);
    p[0] = value;
    p[1] = isError ? 1 : 0;
}

void CellRecordWriter::writeConstant(int row, const CellFields& cell, std::uint16_t xf) {
    switch (cell.valueKind) {
        case Value::Kind::Number:
            if (!std::isfinite(cell.number))
                writeBoolErr(row, cell.col, xf, std::uint8_t(ErrorCode::Num), true);
            else
                storeF64(cellRecord(kNumber, 14, row, cell.col, xf), cell.number);
            break;
        case Value::Kind::Text:
            requireCellText({row, cell.col}, cell.text);
            store32(cellRecord(kLabelSst, 10, row, cell.col, xf), sst_.add(cell.text));
            break;
        case Value::Kind::Boolean: writeBoolErr(row, cell.col, xf, cell.boolean() ? 1 : 0, false); break;
        case Value::Kind::Error: writeBoolErr(row, cell.col, xf, std::uint8_t(cell.error()), true); break;
        case Value::Kind::Empty: cellRecord(kBlank, 6, row, cell.col, xf); break;
    }
}

const CellRecordWriter::SharedGroup& CellRecordWriter::sharedGroup(int row, int col, const FormulaCode& code) {
    SharedGroup& g = groups_[col];
    if (g.code == &code && row >= g.first && row <= g.last) return g;
    // The group before, in the same run, tells where the run starts; else it is looked for.
    const bool sameRun = g.code == &code && g.last == row - 1 && g.last > g.first;
    const int runStart = g.runStart;
    g = SharedGroup{&code, row, row, row, false};
    int firstRow = 0, lastRow = 0;  // where the code may be shared in this column
    if (!encoder_.shareable(code, {row, col}, firstRow, lastRow)) return g;
    const auto holdsIt = [&](int r) { return sheet_.formulaAt({r, col}) == &code; };
    if (sameRun) {
        g.runStart = runStart;
    } else {
        while (g.runStart > firstRow && holdsIt(g.runStart - 1)) --g.runStart;
    }
    g.first = g.runStart + (row - g.runStart) / kMostSharedCells * kMostSharedCells;
    const int end = std::min(g.first + kMostSharedCells - 1, lastRow);
    while (g.last < end && holdsIt(g.last + 1)) ++g.last;
    // A shared formula too long for its record goes cell by cell, and is refused there.
    g.shared = g.last > g.first && encoder_.encodeShared(code).size() <= kMaxFormulaTokenBytes;
    return g;
}

void CellRecordWriter::writeSharedFormula(const SharedGroup& group, int col) {
    const std::vector<std::uint8_t>& rgce = encoder_.encodeShared(*group.code);
    std::uint8_t* p = out_->room(4 + 10 + rgce.size());
    store16(p, kShrFmla);
    store16(p + 2, std::uint16_t(10 + rgce.size()));
    store16(p + 4, std::uint16_t(group.first));
    store16(p + 6, std::uint16_t(group.last));
    p[8] = std::uint8_t(col);
    p[9] = std::uint8_t(col);
    p[10] = 0;
    p[11] = std::uint8_t(group.last - group.first + 1);  // the cells that use it
    store16(p + 12, std::uint16_t(rgce.size()));
    std::memcpy(p + 14, rgce.data(), rgce.size());
}

void CellRecordWriter::writeFormula(int row, const CellFields& cell, std::uint16_t xf, const OpaqueBytes* kept) {
    const CellAddress at{row, cell.col};
    if (cell.formula->array) {
        writeArrayFormula(at, cell, xf, kept);
        return;
    }
    const SharedGroup& group = sharedGroup(row, cell.col, *cell.formula);
    if (group.shared) {
        // A cell of a shared formula points at the group's first cell, whose record the
        // shared tokens follow.
        std::uint8_t* p = cellRecord(kFormula, 22 + 5, row, cell.col, xf);
        storeCachedResult(p, cell);
        store16(p + 8, kSharedFormulaFlag | alwaysCalc(*cell.formula));
        store32(p + 10, 0);
        store16(p + 14, 5);
        p[16] = kPtgExp;
        store16(p + 17, std::uint16_t(group.first));
        store16(p + 19, std::uint16_t(cell.col));
        if (row == group.first) writeSharedFormula(group, cell.col);
    } else {
        // A formula the engine does not compute goes back as the file had it, the data of its
        // array constants (rgcb) right after its tokens.
        static const std::vector<std::uint8_t> kNone;
        const std::vector<std::uint8_t>& rgce =
            cell.formula->opaque ? (kept ? kept->tokens : kNone) : encoder_.encode(*cell.formula, at);
        const std::vector<std::uint8_t>& rgcb = kept ? kept->extra : cell.formula->opaque ? kNone : encoder_.extra();
        if (rgce.size() + rgcb.size() > kMaxFormulaTokenBytes)
            throw HostError("The formula in " + formatAddress(at, false) + " is too long to save.");
        std::uint8_t* p = cellRecord(kFormula, 22 + rgce.size() + rgcb.size(), row, cell.col, xf);
        storeCachedResult(p, cell);
        store16(p + 8, alwaysCalc(*cell.formula));  // not shared
        store32(p + 10, 0);
        store16(p + 14, std::uint16_t(rgce.size()));
        if (!rgce.empty()) std::memcpy(p + 16, rgce.data(), rgce.size());
        if (!rgcb.empty()) std::memcpy(p + 16 + rgce.size(), rgcb.data(), rgcb.size());
    }
    writeStringResult(row, cell);
}

void CellRecordWriter::writeStringResult(int row, const CellFields& cell) {
    if (cell.valueKind == Value::Kind::Text && !cell.text.empty()) {
        requireCellText({row, cell.col}, cell.text);
        ContinuedRecordWriter string(*out_, kString);
        string.writeString(toBiffText(cell.text));
        string.finish();
    }
}

void CellRecordWriter::writeArrayFormula(CellAddress at, const CellFields& cell, std::uint16_t xf,
                                         const OpaqueBytes* kept) {
    // Each cell of an array formula points at its first cell, whose record the ARRAY record
    // follows with the tokens (and any array constants after them).
    const FormulaCode& code = *cell.formula;
    const CellAddress first = code.arrayRange.first;
    std::uint8_t* p = cellRecord(kFormula, 22 + 5, at.row, at.col, xf);
    storeCachedResult(p, cell);
    store16(p + 8, 0);
    store32(p + 10, 0);
    store16(p + 14, 5);
    p[16] = kPtgExp;
    store16(p + 17, std::uint16_t(first.row));
    store16(p + 19, std::uint16_t(first.col));
    if (at == first) {
        static const std::vector<std::uint8_t> kNone;
        const std::vector<std::uint8_t>& tokens = kept ? kept->tokens : encoder_.encodeArray(code);
        const std::vector<std::uint8_t>& extra = kept ? kept->extra : encoder_.extra();
        const std::size_t body = 14 + tokens.size() + extra.size();
        if (body > kMaxRecordBody || tokens.size() > kMaxFormulaTokenBytes)
            throw HostError("The formula in " + formatAddress(at, false) + " is too long to save.");
        std::uint8_t* a = out_->room(4 + body);
        store16(a, kArray);
        store16(a + 2, std::uint16_t(body));
        store16(a + 4, std::uint16_t(code.arrayRange.first.row));
        store16(a + 6, std::uint16_t(code.arrayRange.last.row));
        a[8] = std::uint8_t(code.arrayRange.first.col);
        a[9] = std::uint8_t(code.arrayRange.last.col);
        store16(a + 10, 0);  // options
        store32(a + 12, 0);  // cache id
        store16(a + 16, std::uint16_t(tokens.size()));
        std::memcpy(a + 18, tokens.data(), tokens.size());
        if (!extra.empty()) std::memcpy(a + 18 + tokens.size(), extra.data(), extra.size());
    }
    writeStringResult(at.row, cell);
}

bool CellRecordWriter::arrayIntact(const FormulaCode& code) {
    const auto known = arrays_.find(&code);
    if (known != arrays_.end()) return known->second;
    const CellRange& range = code.arrayRange;
    const CellAddress first = range.first;
    // The ARRAY record goes after the first cell with the tokens kept there, and must fit one
    // record as the one it was read from did; every other cell must still hold the array.
    // A computed one is encoded afresh; a too long one is refused when written.
    const FormulaCode* head = sheet_.formulaAt(first);
    const OpaqueBytes* kept = head && opaque_ ? opaque_->find(sheetIndex_, first, *head) : nullptr;
    bool intact = head && !head->opaque ? head->array && head->arrayRange == range
                                        : kept && !kept->tokens.empty() &&
                                              14 + kept->tokens.size() + kept->extra.size() <= kMaxRecordBody;
    for (int r = range.first.row; intact && r <= range.last.row; ++r) {
        for (int c = range.first.col; intact && c <= range.last.col; ++c) {
            const FormulaCode* f = sheet_.formulaAt({r, c});
            intact = f && f->array && f->arrayRange == range && (f == head || *f == *head);
        }
    }
    arrays_.emplace(&code, intact);
    return intact;
}

void CellRecordWriter::addRow(int row, std::span<const CellFields> cells) {
    if (row / kRowsPerBlock != blockIndex_) {
        finishBlock();
        startBlock();
        blockIndex_ = row / kRowsPerBlock;
    }
    const int first = cells.front().col;
    const int last = cells.back().col;
    std::uint8_t* r = out_->at(blockStart_ + std::size_t(blockRows_++) * kRowRecordSize);
    store16(r, kRow);
    store16(r + 2, kRowRecordSize - 4);
    store16(r + 4, std::uint16_t(row));
    store16(r + 6, std::uint16_t(first));
    store16(r + 8, std::uint16_t(last + 1));
    store16(r + 10, 0x00FF);  // default height, 12.75 points
    store16(r + 12, 0);
    store16(r + 14, 0);
    store16(r + 16, 0x0100);  // the bit the format requires set; nothing else
    store16(r + 18, 0x000F);
    if (!used_) {
        used_ = CellRange{{row, first}, {row, last}};
    } else {
        used_->first.col = std::min(used_->first.col, first);
        used_->last.row = row;
        used_->last.col = std::max(used_->last.col, last);
    }

    // Neighbouring styled blanks go out as one MULBLANK, neighbouring RK numbers as one MULRK.
    const auto adjoins = [&](std::size_t i) { return cells[i].col == cells[i - 1].col + 1; };
    for (std::size_t i = 0; i < cells.size();) {
        const CellFields& cell = cells[i];
        std::size_t end = i + 1;
        if (cell.kind == CellView::Kind::Blank) {
            while (end < cells.size() && adjoins(end) && cells[end].kind == CellView::Kind::Blank) ++end;
            writeBlanks(row, cells.subspan(i, end - i));
        } else if (rkOf(cell, runRks_[0])) {
            while (end < cells.size() && adjoins(end) && rkOf(cells[end], runRks_[end - i])) ++end;
            writeRks(row, cells.subspan(i, end - i));
        } else if (cell.kind == CellView::Kind::Formula && cell.formula && cell.formula->array &&
                   !arrayIntact(*cell.formula)) {
            // An array formula goes back as one while every cell of it is still there; else its
            // cells keep their results as constants (a lone pointer at a first cell typed over
            // would point at nothing).
            writeConstant(row, cell, xfIndexOfStyle(cell.style));
        } else if (const OpaqueBytes* kept = nullptr;
                   cell.kind == CellView::Kind::Formula && cell.formula &&
                   (!cell.formula->opaque || (kept = keptBytes(row, cell)) || cell.valueKind == Value::Kind::Text)) {
            // A formula the engine cannot compute with no bytes kept (one read as text from
            // .xlsx) has no tokens to write: its cached number, truth value or error stands in.
            writeFormula(row, cell, xfIndexOfStyle(cell.style), kept);
        } else {
            writeConstant(row, cell, xfIndexOfStyle(cell.style));
        }
        i = end;
    }
}

SheetCells CellRecordWriter::finish() {
    finishBlock();
    return SheetCells{std::move(parts_), used_};
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
            out.u16(width == 0 ? 0x0001 : 0x0000);  // a zero width is a hidden column
            out.u16(0);
            out.endRecord();
        }
        col = last + 1;
    }
}

}  // namespace

std::size_t SheetCells::size() const {
    std::size_t total = 0;
    for (const auto& part : records) total += part.size();
    return total;
}

SheetCells writeSheetCells(const Worksheet& sheet, SstWriter& sst, const OpaqueFormulas* opaque, int sheetIndex,
                           FutureFunctionNames* futureFunctions) {
    CellRecordWriter writer(sheet, sst, opaque, sheetIndex, futureFunctions);
    sheet.forEachRowOfCells([&](int row, std::span<const CellFields> cells) { writer.addRow(row, cells); });
    return writer.finish();
}

void writeSheetHeader(BiffRecordWriter& out, const Worksheet& sheet, const SheetCells& cells) {
    out.beginRecord(kBof);
    out.u16(kBiff8Version);
    out.u16(kBofWorksheet);
    out.u16(0x0DBB);  // build and year of the Excel 97 file format
    out.u16(0x07CC);
    out.u32(0);
    out.u32(0x00000006);
    out.endRecord();

    out.u16Record(kCalcMode, 1);  // automatic
    out.u16Record(kCalcCount, 100);
    out.u16Record(kRefMode, 1);  // A1 references
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
    out.u16(0);  // top row
    out.u16(0);  // left column
    out.u16(0x40);  // grid colour: automatic
    out.u16(0);
    out.u16(0);  // zoom: defaults
    out.u16(0);
    out.u32(0);
    out.endRecord();

    const CellAddress at = sheet.activeCell();
    out.beginRecord(kSelection);
    out.u8(3);  // the only pane, top left
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
