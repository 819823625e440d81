// The worksheet: a front over its store (worksheet_store.h), which joins a column-major cell
// store (column_store.h), the dependency index (dependency_index.h) and recalculation
// (recalculation.cpp).
//
// Cells are stored column by column in contiguous arrays (value kind, number, style, formula
// slot), so an aggregate over B3:B32002 is a tight loop over two arrays. Texts live beside the
// arrays; formulas in a pool of slots, each holding its shared code and its cell, with a free
// list for slots given up.
//
// Dependencies: a formula's single-cell references are indexed by the referenced cell, whose
// entry in a per-column array heads a pooled linked list of the formulas that read it; its
// area references are listeners kept apart, found through a coarse grid of blocks of 2048
// rows of one column (very large areas go to a short list checked on every change). A change
// looks up only its own cell and block. Loading keeps no index: it is built in one pass on
// the first change after.
//
// Computing everything (after loading, or on request): a depth-first walk over what each
// formula reads, with an explicit stack; a formula met again while still on the stack closes a
// cycle, and the formulas of that cycle get the error #REF!.
//
// Recalculation after a change: the formulas reachable from the changed cell through the
// index, and from the volatile formulas (TODAY; the store keeps a short list of their slots),
// are collected (iteratively, no recursion), then computed in dependency order (Kahn's
// algorithm). Formulas left over form cycles or hang below one: the strongly connected
// components among them (Tarjan's algorithm, iterative) that are cycles get the error #REF!
// (a circular reference, the error Google Sheets gives it), and the formulas below them are
// then computed in order with that error as their input.
#include "host/worksheet.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "formula/intern.h"
#include "host/host_error.h"
#include "host/locale.h"
#include "worksheet_store.h"

namespace host {

namespace {

constexpr const char* kDateFormat = "m/d/yy";
// What a cell of an .xls workbook can hold, and the longest formula other spreadsheet
// programs of that format accept as typed.
constexpr std::size_t kMaxCellText = 32767;
constexpr std::size_t kMaxFormulaText = 1024;

std::size_t characterCount(std::string_view utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

[[noreturn, gnu::cold, gnu::noinline]] void outsideSheet(CellAddress a) {
    throw HostError("Row " + std::to_string(a.row + 1) + ", column " + std::to_string(a.col + 1) +
                    " is outside the sheet.");
}

inline void requireCell(CellAddress a) {
    if (!validCell(a)) [[unlikely]]
        outsideSheet(a);
}

void requireRange(const CellRange& r) {
    requireCell(r.first);
    requireCell(r.last);
    if (r.first.row > r.last.row || r.first.col > r.last.col) throw HostError("The range's corners are out of order.");
}

}  // namespace

// ---- Worksheet ----------------------------------------------------------------------------

Worksheet::Worksheet(std::string name, StyleTable& styles)
    : name_(std::move(name)), styles_(&styles), store_(std::make_unique<Store>()) {}

Worksheet::~Worksheet() = default;

void Worksheet::setTyped(CellAddress at, std::string_view text) {
    requireCell(at);
    if (text.empty()) {
        clearContents(at);
        return;
    }
    if (const std::size_t chars = characterCount(text); chars > kMaxCellText) {
        throw HostError("A cell holds at most " + std::to_string(kMaxCellText) + " characters; this text has " +
                        std::to_string(chars) + ".");
    }
    if (text.front() == '=') {
        if (text.size() > kMaxFormulaText) {
            throw HostError("A formula may be at most " + std::to_string(kMaxFormulaText) + " characters long.");
        }
        FormulaPtr code = parseFormula(text, at);  // throws before anything changes
        setFormula(at, std::move(code));
        return;
    }
    if (text.front() == '\'') {  // a leading apostrophe keeps the rest as text
        setValue(at, Value::fromText(std::string(text.substr(1))));
        return;
    }
    if (auto n = parseNumber(text)) {
        setValue(at, Value::fromNumber(*n));
        return;
    }
    if (auto d = parseTypedDate(text)) {
        if (!isDateFormat(style(at).numberFormat)) {
            Style s = style(at);
            s.numberFormat = kDateFormat;
            setStyleIndex(at, styles_->intern(s));
        }
        setValue(at, Value::fromNumber(*d));
        return;
    }
    setValue(at, Value::fromText(std::string(text)));
}

void Worksheet::setValue(CellAddress at, const Value& value) {
    requireCell(at);
    store_->dropFormula(at);
    store_->writeValue(at, value);
    Column& c = store_->column(at.col);
    c.content[static_cast<std::size_t>(at.row)] = value.isEmpty() ? None : Constant;
    recomputeAfterChange(at);
}

void Worksheet::setNumber(CellAddress at, double number) {
    requireCell(at);
    store_->dropFormula(at);
    Column& c = store_->column(at.col);
    c.ensure(at.row);
    store_->writeNumber(at, number);
    c.content[static_cast<std::size_t>(at.row)] = Constant;
    recomputeAfterChange(at);
}

void Worksheet::setFormula(CellAddress at, const FormulaPtr& code, const Value& cached) {
    requireCell(at);
    if (!code) throw HostError("No formula given.");
    const FormulaCode* held = store_->holdCode(code);
    store_->dropFormula(at);
    store_->placeFormula(at, held);
    // While loading, a formula the engine computes gets its value when loading ends: the
    // cached one would only be overwritten.
    store_->writeValue(at, store_->loading && !held->opaque ? Value::empty() : cached);
    store_->column(at.col).content[static_cast<std::size_t>(at.row)] = Formula;
    recomputeAfterChange(at);
}

void Worksheet::setArrayFormula(const CellRange& range, std::string_view text) {
    requireRange(range);
    if (text.empty() || text.front() != '=') throw HostError("An array formula starts with \"=\".");
    if (text.size() > kMaxFormulaText) {
        throw HostError("A formula may be at most " + std::to_string(kMaxFormulaText) + " characters long.");
    }
    auto code = std::make_shared<FormulaCode>(*parseFormula(text, range.first));  // throws before any change
    code->array = true;
    code->arrayRange = range;
    const FormulaPtr shared = std::move(code);
    const FormulaCode* held = store_->holdCode(shared);
    std::vector<CellAddress> cells;
    for (int row = range.first.row; row <= range.last.row; ++row) {
        for (int col = range.first.col; col <= range.last.col; ++col) {
            const CellAddress at{row, col};
            store_->dropFormula(at);
            store_->placeFormula(at, held);
            store_->writeValue(at, Value::empty());
            store_->column(at.col).content[static_cast<std::size_t>(at.row)] = Formula;
            cells.push_back(at);
        }
    }
    if (!store_->loading) store_->recompute(cells);
}

void Worksheet::clearContents(CellAddress at) {
    requireCell(at);
    if (store_->contentAt(at) == None) return;
    store_->dropFormula(at);
    store_->writeValue(at, Value::empty());
    store_->column(at.col).content[static_cast<std::size_t>(at.row)] = None;
    recomputeAfterChange(at);
}

void Worksheet::recomputeAfterChange(CellAddress at) {
    if (store_->loading) return;
    store_->recompute({at});
    // A recalculation computes the volatile formulas of every sheet, as Excel does.
    if (!workbookSheets_) return;
    for (const auto& other : *workbookSheets_) {
        Store& s = *other->store_;
        if (other.get() != this && !s.volatileSlots.empty() && !s.loading) s.recompute({});
    }
}

const FormulaCode* Worksheet::formulaAt(CellAddress at) const {
    if (!validCell(at)) return nullptr;
    const Column* c = store_->columnIf(at.col);
    if (!c || at.row >= c->size()) return nullptr;
    const auto r = static_cast<std::size_t>(at.row);
    return c->content[r] == Formula ? store_->formulas[c->slot[r]].code : nullptr;
}

CellView Worksheet::cell(CellAddress at) const {
    CellView v;
    v.at = at;
    if (!validCell(at)) return v;
    const Column* c = store_->columnIf(at.col);
    if (!c || at.row >= c->size()) return v;
    const auto r = static_cast<std::size_t>(at.row);
    v.style = c->style[r];
    switch (c->content[r]) {
        case Formula: {
            v.kind = CellView::Kind::Formula;
            v.formula = store_->formulas[c->slot[r]].code;
            v.value = store_->valueAt(at.row, *c);
            break;
        }
        case Constant:
            v.kind = CellView::Kind::Constant;
            v.value = store_->valueAt(at.row, *c);
            break;
        default: break;
    }
    return v;
}

Value Worksheet::value(CellAddress at) const {
    if (!validCell(at)) return Value::empty();
    return store_->cellValue(at);
}

CellValue Worksheet::read(CellAddress at) const {
    CellValue cv;
    cv.value = value(at);
    cv.isDate = cv.value.isNumber() && isDateFormat(style(at).numberFormat);
    return cv;
}

std::string Worksheet::formulaText(CellAddress at) const {
    if (store_->contentAt(at) != Formula) return "";
    return host::formulaText(*store_->formulas[store_->slotAt(at)].code, at);
}

void Worksheet::forEachCell(const std::function<void(const CellView&)>& visit) const {
    int rows = 0;
    for (const auto& c : store_->cols) rows = std::max(rows, c.size());
    const int ncols = static_cast<int>(store_->cols.size());
    for (int r = 0; r < rows; ++r) {
        for (int col = 0; col < ncols; ++col) {
            const Column& c = store_->cols[static_cast<std::size_t>(col)];
            if (r >= c.size()) continue;
            const auto rr = static_cast<std::size_t>(r);
            const std::uint8_t content = c.content[rr];
            if (content == None && c.style[rr] == 0) continue;
            CellView v;
            v.at = {r, col};
            v.style = c.style[rr];
            if (content == Formula) {
                v.kind = CellView::Kind::Formula;
                v.formula = store_->formulas[c.slot[rr]].code;
                v.value = store_->valueAt(r, c);
            } else if (content == Constant) {
                v.kind = CellView::Kind::Constant;
                v.value = store_->valueAt(r, c);
            }
            visit(v);
        }
    }
}

void Worksheet::walkRows(RowVisit visit, void* context, int firstRow, int endRow) const {
    // The columns' arrays at hand: the inner loop crosses every column once per row.
    struct ColumnArrays {
        const std::uint8_t* content;
        const std::uint16_t* style;
        const std::uint8_t* kind;
        const double* num;
        const std::uint32_t* slot;
        const Column* column;
        int size;
    };
    std::vector<ColumnArrays> cols;
    cols.reserve(store_->cols.size());
    int rows = 0;
    for (const Column& c : store_->cols) {
        cols.push_back({c.content.data(), c.style.data(), c.kind.data(), c.num.data(), c.slot.data(), &c, c.size()});
        rows = std::max(rows, c.size());
    }
    std::vector<CellFields> row;
    row.reserve(cols.size());
    rows = std::min(rows, endRow);
    for (int r = std::max(firstRow, 0); r < rows; ++r) {
        row.clear();
        const auto rr = static_cast<std::size_t>(r);
        for (std::size_t col = 0; col < cols.size(); ++col) {
            const ColumnArrays& c = cols[col];
            if (r >= c.size) continue;
            const std::uint8_t content = c.content[rr];
            if (content == None && c.style[rr] == 0) continue;
            CellFields& f = row.emplace_back();
            f.col = static_cast<int>(col);
            f.style = c.style[rr];
            if (content == Formula) {
                f.kind = CellView::Kind::Formula;
                f.formula = store_->formulas[c.slot[rr]].code;
            } else if (content == Constant) {
                f.kind = CellView::Kind::Constant;
            } else {
                continue;
            }
            f.valueKind = static_cast<Value::Kind>(c.kind[rr]);
            f.number = c.num[rr];
            if (f.valueKind == Value::Kind::Text) {
                if (const std::string* t = c.column->textAt(rr)) f.text = *t;
            }
        }
        if (!row.empty()) visit(context, r, row);
    }
}

int Worksheet::rowExtent() const {
    int rows = 0;
    for (const Column& c : store_->cols) rows = std::max(rows, c.size());
    return rows;
}

std::optional<CellRange> Worksheet::usedRange() const {
    std::optional<CellRange> used;
    const int ncols = static_cast<int>(store_->cols.size());
    for (int col = 0; col < ncols; ++col) {
        const Column& c = store_->cols[static_cast<std::size_t>(col)];
        int first = -1, last = -1;
        for (int r = 0; r < c.size(); ++r) {
            const auto rr = static_cast<std::size_t>(r);
            if (c.content[rr] == None && c.style[rr] == 0) continue;
            if (first < 0) first = r;
            last = r;
        }
        if (first < 0) continue;
        if (!used) {
            used = CellRange{{first, col}, {last, col}};
        } else {
            used->first.row = std::min(used->first.row, first);
            used->last.row = std::max(used->last.row, last);
            used->last.col = col;
        }
    }
    return used;
}

std::uint16_t Worksheet::styleIndex(CellAddress at) const {
    const Column* c = store_->columnIf(at.col);
    if (!c || at.row < 0 || at.row >= c->size()) return 0;
    return c->style[static_cast<std::size_t>(at.row)];
}

void Worksheet::setStyleIndex(CellAddress at, std::uint16_t index) {
    requireCell(at);
    if (index >= styles_->size()) throw HostError("Style " + std::to_string(index) + " does not exist.");
    if (index == 0 && styleIndex(at) == 0) return;
    Column& c = store_->column(at.col);
    c.ensure(at.row);
    c.style[static_cast<std::size_t>(at.row)] = index;
}

const Style& Worksheet::style(CellAddress at) const { return styles_->at(styleIndex(at)); }

namespace {
template <class Change>
void restyle(Worksheet& sheet, StyleTable& styles, const CellRange& range, Change change) {
    requireRange(range);
    std::vector<std::pair<std::uint16_t, std::uint16_t>> cache;  // old -> new style index
    for (int col = range.first.col; col <= range.last.col; ++col) {
        for (int row = range.first.row; row <= range.last.row; ++row) {
            const std::uint16_t old = sheet.styleIndex({row, col});
            std::uint16_t now = 0;
            auto hit = std::find_if(cache.begin(), cache.end(), [old](const auto& p) { return p.first == old; });
            if (hit != cache.end()) {
                now = hit->second;
            } else {
                Style s = styles.at(old);
                change(s);
                now = styles.intern(s);
                cache.emplace_back(old, now);
            }
            if (now != old) sheet.setStyleIndex({row, col}, now);
        }
    }
}
}  // namespace

void Worksheet::setBold(const CellRange& range, bool bold) {
    restyle(*this, *styles_, range, [bold](Style& s) { s.bold = bold; });
}

void Worksheet::setAlignment(const CellRange& range, HAlign align) {
    restyle(*this, *styles_, range, [align](Style& s) { s.align = align; });
}

void Worksheet::setNumberFormat(const CellRange& range, const std::string& format) {
    restyle(*this, *styles_, range, [&format](Style& s) { s.numberFormat = format; });
}

double Worksheet::columnWidth(int col) const {
    if (col < 0 || col >= kMaxColumns) return kDefaultColumnWidth;
    return store_->widths[static_cast<std::size_t>(col)];
}

void Worksheet::setColumnWidth(int col, double width) {
    if (col < 0 || col >= kMaxColumns) throw HostError("Column " + std::to_string(col + 1) + " is outside the sheet.");
    // Files store widths in 1/256 of a character, up to just under 256.
    if (!(width >= 0 && width < 256)) {
        throw HostError("A column width must be between 0 and 255 characters.");
    }
    store_->widths[static_cast<std::size_t>(col)] = width;
}

void Worksheet::beginLoad() {
    store_->loading = true;
    store_->index.drop();
}

void Worksheet::loadNumber(CellAddress at, double number, std::uint16_t styleIndex) {
    Column* c = styleIndex < styles_->size() ? store_->emptyCellToLoad(at) : nullptr;
    if (!c) {
        setNumber(at, number);
        if (styleIndex) setStyleIndex(at, styleIndex);
        return;
    }
    // An empty cell: no formula to drop, no text to let go.
    const auto r = static_cast<std::size_t>(at.row);
    c->changed(at.row);
    c->kind[r] = static_cast<std::uint8_t>(Value::Kind::Number);
    c->num[r] = number;
    c->content[r] = Constant;
    if (styleIndex) c->style[r] = styleIndex;
}

void Worksheet::loadFormula(CellAddress at, const FormulaPtr& code, const Value& cached, std::uint16_t styleIndex) {
    Column* c = code && styleIndex < styles_->size() ? store_->emptyCellToLoad(at) : nullptr;
    if (!c) {
        setFormula(at, code, cached);
        if (styleIndex) setStyleIndex(at, styleIndex);
        return;
    }
    const auto r = static_cast<std::size_t>(at.row);
    const FormulaCode* held = store_->holdCode(code);
    store_->placeFormula(at, held);
    if (held->opaque) {
        store_->writeValue(at, cached);  // kept: the engine cannot compute it
    } else {
        c->changed(at.row);  // its value comes when loading ends
        c->kind[r] = static_cast<std::uint8_t>(Value::Kind::Empty);
        c->num[r] = 0;
    }
    c->content[r] = Formula;
    if (styleIndex) c->style[r] = styleIndex;
}

void Worksheet::reserveForLoad(int rows, int cols) {
    if (!store_->loading) return;
    rows = std::clamp(rows, 0, kMaxRows);
    cols = std::clamp(cols, 0, kMaxColumns);
    store_->expectedRows = rows;
    for (auto& c : store_->cols) c.expectedRows = rows;
    // Formula slots for every cell would be too many for a sheet of constants, but taking
    // address space costs nothing until it is used; the cap keeps a lying file in bounds. The
    // room is taken when the first formula arrives, after the columns have taken theirs: the
    // columns are filled whole, so they get the memory already in use, the slots what is left.
    constexpr std::size_t kMostSlotsAtOnce = std::size_t{1} << 20;
    store_->expectedFormulas =
        std::min(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols), kMostSlotsAtOnce);
}

void Worksheet::endLoad() {
    store_->loading = false;
    store_->expectedRows = 0;
    store_->expectedFormulas = 0;
    for (auto& c : store_->cols) c.expectedRows = 0;
    store_->recomputeAll();
    keepBrokenArraysAsValues();
}

void Worksheet::keepBrokenArraysAsValues() {
    // An array formula stands only while every cell of its range holds it, the same formula in
    // each. One a file left a cell of, or gave two formulas over one range (a damaged file), is
    // no array formula: its cells keep their values, as a save would keep them, so what is
    // read is what is saved.
    std::vector<CellRange> ranges;
    std::unordered_set<std::uint64_t> seen;
    for (const FormulaCell& fc : store_->formulas) {
        if (!fc.code || !fc.code->array) continue;
        const CellRange& r = fc.code->arrayRange;
        const std::uint64_t key = std::uint64_t(r.first.row) << 40 | std::uint64_t(r.first.col) << 32 |
                                  std::uint64_t(r.last.row) << 8 | std::uint64_t(r.last.col);
        if (seen.insert(key).second) ranges.push_back(r);
    }
    const auto holdsArray = [&](CellAddress at, const CellRange& range) {
        const FormulaCode* f = formulaAt(at);
        return f && f->array && f->arrayRange == range;
    };
    for (const CellRange& range : ranges) {
        const FormulaCode* head = formulaAt(range.first);
        bool whole = head && holdsArray(range.first, range);
        for (int r = range.first.row; whole && r <= range.last.row; ++r) {
            for (int c = range.first.col; whole && c <= range.last.col; ++c)
                whole = holdsArray({r, c}, range) && *formulaAt({r, c}) == *head;
        }
        if (whole) continue;
        for (int r = range.first.row; r <= range.last.row; ++r) {
            for (int c = range.first.col; c <= range.last.col; ++c) {
                if (holdsArray({r, c}, range)) setValue({r, c}, value({r, c}));
            }
        }
    }
}

void Worksheet::recalculateAll() { store_->recomputeAll(); }

std::uint64_t Worksheet::formulasComputed() const { return store_->computations; }

}  // namespace host
