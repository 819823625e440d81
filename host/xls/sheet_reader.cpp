#include "xls/sheet_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <unordered_map>

#include "host/host_error.h"
#include "xls/biff_constants.h"
#include "xls/biff_string.h"
#include "xls/byte_reader.h"
#include "xls/formula_import.h"
#include "xls/rk_number.h"

namespace host::xls {

namespace {

constexpr std::uint16_t kTable = 0x0236;
constexpr std::uint16_t kSharedFormulaFlag = 0x0008;

// Records some writers put in a BIFF8 stream under the number an older version gave them, with
// the BIFF8 layout: FORMULA as BIFF3 (0x0206) and BIFF4 (0x0406) numbered it, STRING as BIFF2
// did (0x0007). Read as the records they are.
std::uint16_t currentNumber(std::uint16_t id) {
    switch (id) {
        case 0x0206:
        case 0x0406: return kFormula;
        case 0x0007: return kString;
        default: return id;
    }
}

// A number as a cell holds it: Excel has no infinities or NaNs, and a file that stores one
// (only a damaged or hand-made one can) gives #NUM!, as a formula that overflows does.
template <class Sink>
void numberOrNum(Sink& sink, CellAddress at, std::uint16_t xf, double v) {
    if (std::isfinite(v)) {
        sink.number(at, xf, v);
    } else {
        sink.error(at, xf, ErrorCode::Num);
    }
}

// The tokens of a SHRFMLA or ARRAY record, for the cells of its range.
struct SharedTokens {
    CellRange range;
    std::span<const std::uint8_t> tokens;
    std::span<const std::uint8_t> extra;
    bool isArray = false;
};

std::uint32_t cellKey(int row, int col) {
    return (static_cast<std::uint32_t>(row) << 8) | static_cast<std::uint32_t>(col);
}

class SheetReader {
public:
    SheetReader(const WorkbookGlobals& globals, WorkbookImport& sink, OpaqueFormulas* opaque, int sheet)
        : globals_(globals), sink_(sink), formulas_(globals.names, sink, opaque, sheet) {}

    void read(RecordStream& records, std::size_t& budget) {
        BiffRecord rec;
        int nested = 0;  // substreams inside the sheet (embedded charts)
        while (true) {
            if (!records.next(rec)) {
                // The stream ended without the sheet's EOF: keep what was there.
                flushPending();
                return;
            }
            if (rec.data.size() + 4 > budget) throwDamaged("its sheets overlap one another");
            budget -= rec.data.size() + 4;
            rec.id = currentNumber(rec.id);
            if (nested > 0) {
                if (rec.id == kBof) ++nested;
                if (rec.id == kEof) --nested;
                continue;
            }
            switch (rec.id) {
                case kString: stringResult(records, rec); continue;
                case kShrFmla: sharedFormula(rec, false); continue;
                case kArray: sharedFormula(rec, true); continue;
                case kTable: continue;
                default: break;
            }
            flushPending();
            switch (rec.id) {
                case kEof: return;
                case kBof: ++nested; break;
                case kNumber: number(rec); break;
                case kRk: rk(rec); break;
                case kMulRk: mulRk(rec); break;
                case kLabelSst: labelSst(rec); break;
                case kLabel:
                case kRstring: label(rec); break;
                case kBoolErr: boolErr(rec); break;
                case kBlank: blank(rec); break;
                case kMulBlank: mulBlank(rec); break;
                case kFormula: formula(rec); break;
                case kColInfo: colInfo(rec); break;
                case kDimensions: dimensions(rec); break;
                case kSelection: selection(rec); break;
                default: break;
            }
        }
    }

private:
    struct Header {
        CellAddress at;
        std::uint16_t xf;
        bool valid;
    };
    // The row, column and XF that open a cell record, at `p` once the length is checked: the
    // number and formula records, a sheet's commonest, read their fields at fixed places.
    static Header headerAt(const std::uint8_t* p) {
        Header h;
        h.at.row = loadU16(p);
        h.at.col = loadU16(p + 2);
        h.xf = loadU16(p + 4);
        h.valid = h.at.col < kMaxColumns;  // columns past IV are not part of a BIFF8 sheet
        return h;
    }
    static Header header(ByteReader& r) { return headerAt(r.take(6).data()); }
    void number(const BiffRecord& rec) {
        if (rec.data.size() < 14) throwDamaged("a NUMBER record is damaged");
        const Header h = headerAt(rec.data.data());
        if (h.valid) numberOrNum(sink_, h.at, h.xf, loadF64(rec.data.data() + 6));
    }
    void rk(const BiffRecord& rec) {
        if (rec.data.size() < 10) throwDamaged("an RK record is damaged");
        const Header h = headerAt(rec.data.data());
        if (h.valid) numberOrNum(sink_, h.at, h.xf, decodeRk(loadU32(rec.data.data() + 6)));
    }
    void mulRk(const BiffRecord& rec) {
        // Row, first column, six bytes a cell (XF, RK), last column.
        if (rec.data.size() < 6) throwDamaged("a MULRK record is damaged");
        const std::uint8_t* p = rec.data.data();
        const int row = loadU16(p);
        const int first = loadU16(p + 2);
        const std::size_t count = (rec.data.size() - 6) / 6;
        p += 4;
        for (std::size_t i = 0; i < count; ++i, p += 6) {
            const std::uint16_t xf = loadU16(p);
            const double v = decodeRk(loadU32(p + 2));
            const int col = first + static_cast<int>(i);
            if (col < kMaxColumns) numberOrNum(sink_, {row, col}, xf, v);
        }
    }
    void labelSst(const BiffRecord& rec) {
        ByteReader r(rec.data, "a LABELSST record is damaged");
        const Header h = header(r);
        const std::uint32_t index = r.u32();
        if (index >= globals_.sharedStrings.size()) throwDamaged("a cell refers to a shared string that is not there");
        if (h.valid) sink_.text(h.at, h.xf, globals_.sharedStrings[index]);
    }
    void label(const BiffRecord& rec) {
        ByteReader r(rec.data, "a LABEL record is damaged");
        const Header h = header(r);
        try {
            scratch_ = readRecordString(r.rest(), false, "a LABEL record is damaged");
        } catch (const HostError&) {
            // The text's length runs past the record: the cell keeps its style, not a guess.
            if (h.valid) sink_.blank(h.at, h.xf);
            return;
        }
        if (h.valid) sink_.text(h.at, h.xf, scratch_);
    }
    void boolErr(const BiffRecord& rec) {
        ByteReader r(rec.data, "a BOOLERR record is damaged");
        const Header h = header(r);
        const std::uint8_t value = r.u8();
        const bool isError = r.u8() != 0;
        if (!h.valid) return;
        if (isError) {
            sink_.error(h.at, h.xf, errorFromCode(value).value_or(ErrorCode::Value));
        } else {
            sink_.boolean(h.at, h.xf, value != 0);
        }
    }
    void blank(const BiffRecord& rec) {
        ByteReader r(rec.data, "a BLANK record is damaged");
        const Header h = header(r);
        if (h.valid) sink_.blank(h.at, h.xf);
    }
    void mulBlank(const BiffRecord& rec) {
        ByteReader r(rec.data, "a MULBLANK record is damaged");
        const int row = r.u16();
        const int first = r.u16();
        if (r.remaining() < 2) throwDamaged("a MULBLANK record is damaged");
        const std::size_t count = (r.remaining() - 2) / 2;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint16_t xf = r.u16();
            const int col = first + static_cast<int>(i);
            if (col < kMaxColumns) sink_.blank({row, col}, xf);
        }
    }
    void colInfo(const BiffRecord& rec) {
        ByteReader r(rec.data, "a COLINFO record is damaged");
        const int first = r.u16();
        const int last = std::min<int>(r.u16(), kMaxColumns - 1);
        const double width = r.u16() / 256.0;
        if (first <= last) sink_.columnWidth(first, last, width);
    }
    void dimensions(const BiffRecord& rec) {
        if (rec.data.size() < 12) return;  // only a hint: a short one is ignored
        ByteReader r(rec.data, "a DIMENSIONS record is damaged");
        r.u32();  // first row
        const std::uint32_t rowsEnd = r.u32();
        r.u16();  // first column
        const std::uint16_t colsEnd = r.u16();
        sink_.sheetExtent(static_cast<int>(std::min<std::uint32_t>(rowsEnd, kMaxRows)),
                          std::min<int>(colsEnd, kMaxColumns));
    }
    void selection(const BiffRecord& rec) {
        ByteReader r(rec.data, "a SELECTION record is damaged");
        const std::uint8_t pane = r.u8();
        const int row = r.u16();
        const int col = r.u16();
        // Pane 3 is the top-left one, the only pane of a sheet without split or frozen panes.
        if ((pane == 3 || !selectionSeen_) && col < kMaxColumns) {
            sink_.activeCell({row, col});
            selectionSeen_ = true;
        }
    }

    // FORMULA: row, col, xf, the cached result (8 bytes), flags, a cache id, the token count,
    // the tokens and any array constants. Held back until the records that complete it
    // (STRING, SHRFMLA, ARRAY) have been seen.
    void formula(const BiffRecord& rec) {
        // The cell, the result at 6, flags at 14 (fShrFmla is redundant with the tExp token), a
        // cache id at 16, the token count at 20, the tokens from 22.
        const std::span<const std::uint8_t> d = rec.data;
        if (d.size() < 22) throwDamaged("a FORMULA record is damaged");
        const Header h = headerAt(d.data());
        const std::uint8_t* result = d.data() + 6;
        const std::uint16_t count = loadU16(d.data() + 20);
        if (count <= d.size() - 22) {
            pending_.tokens = d.subspan(22, count);
            pending_.extra = d.subspan(22 + std::size_t{count});
        } else {
            // Tokens that run past the record are no formula; the result before them is intact.
            pending_.tokens = {};
            pending_.extra = {};
        }
        pending_.at = h.at;
        pending_.xf = h.xf;
        pending_.active = h.valid;
        pending_.awaitsString = false;
        // Fields set in place: a temporary Value per formula costs more than the whole record.
        Value& cached = pending_.cached;
        cached.text.clear();
        if (result[6] == 0xFF && result[7] == 0xFF) {
            switch (result[0]) {
                case 0:
                    cached.kind = Value::Kind::Text;
                    pending_.awaitsString = true;
                    break;
                case 1:
                    cached.kind = Value::Kind::Boolean;
                    cached.boolean = result[2] != 0;
                    break;
                case 2:
                    cached.kind = Value::Kind::Error;
                    cached.error = errorFromCode(result[2]).value_or(ErrorCode::Value);
                    break;
                default: cached.kind = Value::Kind::Text; break;  // 3: an empty text
            }
        } else if (const double v = loadF64(result); std::isfinite(v)) {
            cached.kind = Value::Kind::Number;
            cached.number = v;
        } else {
            cached.kind = Value::Kind::Error;
            cached.error = ErrorCode::Num;
        }
    }
    void stringResult(RecordStream& records, const BiffRecord& rec) {
        segments_.clear();
        segments_.push_back(rec.data);
        records.collectContinues(segments_);
        if (!pending_.active || !pending_.awaitsString) return;
        ContinuedReader r(segments_, "a STRING record is damaged");
        pending_.cached.text.clear();
        try {
            r.unicodeString(pending_.cached.text);
        } catch (const HostError&) {
            pending_.cached.text.clear();  // a damaged result: the formula keeps an empty one
        }
        pending_.awaitsString = false;
    }
    void sharedFormula(const BiffRecord& rec, bool isArray) {
        ByteReader r(rec.data, "a SHRFMLA or ARRAY record is damaged");
        SharedTokens s;
        s.range.first.row = r.u16();
        s.range.last.row = r.u16();
        s.range.first.col = r.u8();
        s.range.last.col = r.u8();
        s.isArray = isArray;
        if (isArray) {
            r.skip(6);  // flags, cache id
        } else {
            r.skip(2);  // reserved, use count
        }
        const std::uint16_t count = r.u16();
        if (count > r.remaining()) return;  // damaged: its cells keep the results they stored
        s.tokens = r.take(count);
        s.extra = r.rest();
        if (s.range.first.row > s.range.last.row || s.range.first.col > s.range.last.col) return;
        shared_.push_back(s);
        const SharedTokens* added = &shared_.back();
        const SharedTokens*& slot = sharedByAnchor_[cellKey(s.range.first.row, s.range.first.col)];
        // A later record for the same anchor replaces the earlier one, here as in the map.
        if (slot) std::replace(lastSharedInColumn_.begin(), lastSharedInColumn_.end(), slot, added);
        slot = added;
    }

    void flushPending() {
        if (!pending_.active) return;
        pending_.active = false;
        const auto tokens = pending_.tokens;
        if (tokens.empty()) {
            // A formula of no tokens is no formula: the cell keeps the result it stored.
            cachedAsConstant();
            return;
        }
        if (tokens.size() == 5 && tokens[0] == kPtgExp) {
            const int row = loadU16(tokens.data() + 1);
            const int col = loadU16(tokens.data() + 3);
            const SharedTokens* found = sharedAt(row, col);
            if (!found || !found->range.contains(pending_.at)) {
                // A formula whose definition is missing (or a data table): keep its value.
                cachedAsConstant();
                return;
            }
            const SharedTokens& s = *found;
            if (s.tokens.empty()) {  // a shared or array formula of no tokens is no formula either
                cachedAsConstant();
                return;
            }
            FormulaTokens f;
            f.tokens = s.tokens;
            f.extra = s.extra;
            f.relativeForms = !s.isArray;
            f.partOfArray = s.isArray && !(s.range.first == s.range.last);
            f.array = s.isArray;
            f.arrayFirstRow = s.range.first.row;
            f.arrayLastRow = s.range.last.row;
            f.arrayFirstCol = s.range.first.col;
            f.arrayLastCol = s.range.last.col;
            f.shareKey = &s;
            formulas_.formula(pending_.at, pending_.xf, f, pending_.cached);
            return;
        }
        FormulaTokens f;
        f.tokens = tokens;
        f.extra = pending_.extra;
        formulas_.formula(pending_.at, pending_.xf, f, pending_.cached);
    }
    // The shared or array formula anchored at row, col. The cells of one come in a run down
    // their column, so each column remembers the last one found.
    const SharedTokens* sharedAt(int row, int col) {
        if (col >= kMaxColumns) return nullptr;
        const SharedTokens*& last = lastSharedInColumn_[static_cast<std::size_t>(col)];
        if (last && last->range.first.row == row && last->range.first.col == col) return last;
        const auto it = sharedByAnchor_.find(cellKey(row, col));
        if (it == sharedByAnchor_.end()) return nullptr;
        last = it->second;
        return last;
    }
    void cachedAsConstant() {
        const Value& v = pending_.cached;
        switch (v.kind) {
            case Value::Kind::Number: sink_.number(pending_.at, pending_.xf, v.number); break;
            case Value::Kind::Text: sink_.text(pending_.at, pending_.xf, v.text); break;
            case Value::Kind::Boolean: sink_.boolean(pending_.at, pending_.xf, v.boolean); break;
            case Value::Kind::Error: sink_.error(pending_.at, pending_.xf, v.error); break;
            case Value::Kind::Empty: sink_.blank(pending_.at, pending_.xf); break;
        }
    }

    struct PendingFormula {
        bool active = false;
        bool awaitsString = false;
        CellAddress at;
        std::uint16_t xf = 0;
        std::span<const std::uint8_t> tokens;
        std::span<const std::uint8_t> extra;
        Value cached;
    };

    const WorkbookGlobals& globals_;
    WorkbookImport& sink_;
    FormulaImport formulas_;
    PendingFormula pending_;
    std::deque<SharedTokens> shared_;  // stable addresses: they are the share keys
    std::unordered_map<std::uint32_t, const SharedTokens*> sharedByAnchor_;
    std::vector<const SharedTokens*> lastSharedInColumn_ = std::vector<const SharedTokens*>(kMaxColumns, nullptr);
    std::vector<std::span<const std::uint8_t>> segments_;
    std::string scratch_;
    bool selectionSeen_ = false;
};

}  // namespace

void readSheet(RecordStream& records, const WorkbookGlobals& globals, WorkbookImport& sink, std::size_t& budget,
               OpaqueFormulas* opaque, int sheet) {
    SheetReader reader(globals, sink, opaque, sheet);
    reader.read(records, budget);
}

}  // namespace host::xls
