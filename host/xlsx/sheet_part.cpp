#include "xlsx/sheet_part.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "host/formula_code.h"
#include "host/host_error.h"
#include "xlsx/shared_formula_text.h"
#include "xlsx/xml_stream.h"

namespace host::xlsx {

namespace {
constexpr int kXlsxRows = 1048576;
constexpr int kXlsxColumns = 16384;
// A width in a file is the column's pixels over the 7 of a digit, cut to 1/256: the pixels
// hold 5 of padding, and a column under one digit wide is 12 pixels a digit. Taken back to
// whole pixels, a width comes back as it was saved (15 is written 15.7109375, read 15).
double charactersWide(double fileWidth) {
    const double pixels = std::round(fileWidth * 7);
    return pixels < 12 ? pixels / 12 : (pixels - 5) / 7;
}

int toInt(const char* v, int fallback) {
    if (!v) return fallback;
    int out = fallback;
    const auto r = std::from_chars(v, v + std::strlen(v), out);
    return r.ec == std::errc() ? out : fallback;
}

bool fitsAt(const FormulaCode& code, CellAddress at) {
    auto inside = [](CellAddress a) { return a.row >= 0 && a.row < kMaxRows && a.col >= 0 && a.col < kMaxColumns; };
    for (const Token& t : code.rpn) {
        if (t.kind == TokenKind::Ref && !inside(t.a.resolve(at))) return false;
        if (t.kind == TokenKind::Area && (!inside(t.a.resolve(at)) || !inside(t.b.resolve(at)))) return false;
    }
    return true;
}

class SheetHandler final : public XmlHandler {
public:
    SheetHandler(const SharedStrings& strings, bool date1904, WorkbookImport& sink)
        : strings_(strings), sink_(sink), date1904_(date1904) {}

    void start(std::string_view name, const char** attrs) override {
        if (name == "c") {
            startCell(attrs);
        } else if (name == "v") {
            capture(&value_);
        } else if (name == "f") {
            startFormula(attrs);
        } else if (name == "t" && inCell_ && inInline_ && phonetic_ == 0) {
            capture(&inlineText_);
        } else if (name == "is") {
            inInline_ = true;
        } else if (name == "rPh") {
            ++phonetic_;
        } else if (name == "row") {
            const int r = toInt(attribute(attrs, "r"), row_ + 2);
            if (r < 1 || r > kXlsxRows)
                throw HostError("the .xlsx sheet has a row past row 1048576, the last an .xlsx sheet has");
            row_ = r - 1;
            col_ = -1;
        } else if (name == "col") {
            column(attrs);
        } else if (name == "selection") {
            if (const char* a = attribute(attrs, "activeCell")) {
                if (auto at = parseCellReference(a)) active_ = *at;
            }
        } else if (name == "dimension") {
            dimension(attribute(attrs, "ref"));
        }
    }

    void end(std::string_view name) override {
        if (name == "c") {
            endCell();
        } else if (name == "v" || name == "f" || name == "t") {
            target_ = nullptr;
        } else if (name == "is") {
            inInline_ = false;
            unescapeCellText(inlineText_);
        } else if (name == "rPh") {
            --phonetic_;
        }
    }

    void text(std::string_view chars) override {
        if (target_) target_->append(chars);
    }

    void finish() {
        if (active_) sink_.activeCell(*active_);
    }

private:
    void capture(std::string* into) {
        if (!inCell_) return;
        target_ = into;
    }

    void startCell(const char** attrs) {
        inCell_ = true;
        value_.clear();
        formula_.clear();
        inlineText_.clear();
        hasFormula_ = false;
        sharedIndex_ = -1;
        arrayFormula_ = false;
        type_ = 'n';
        xf_ = 0;
        const char* ref = nullptr;
        for (const char** a = attrs; *a; a += 2) {
            const char* n = a[0];
            if (n[0] == 'r' && n[1] == 0)
                ref = a[1];
            else if (n[0] == 's' && n[1] == 0) {
                const int s = toInt(a[1], 0);
                xf_ = s >= 0 && s <= 0xFFFF ? static_cast<std::uint16_t>(s) : 0;
            } else if (n[0] == 't' && n[1] == 0) {
                const std::string_view t(a[1]);
                type_ = t == "s"           ? 's'
                        : t == "str"       ? 'f'
                        : t == "inlineStr" ? 'i'
                        : t == "b"         ? 'b'
                        : t == "e"         ? 'e'
                        : t == "d"         ? 'd'
                                           : 'n';
            }
        }
        if (ref) {
            const auto at = parseCellReference(ref);
            if (!at)
                throw HostError("the .xlsx sheet has a cell with the reference \"" + std::string(ref) +
                                "\", which names no cell");
            at_ = *at;
            row_ = at_.row;
        } else {
            if (row_ < 0) row_ = 0;
            at_ = {row_, col_ + 1};
            if (at_.col >= kMaxColumns)
                throw HostError("the .xlsx sheet has cells past column IV, the last a sheet of this program holds");
        }
        col_ = at_.col;
    }

    void startFormula(const char** attrs) {
        if (!inCell_) return;
        hasFormula_ = true;
        capture(&formula_);
        const char* t = attribute(attrs, "t");
        if (t && std::string_view(t) == "shared") sharedIndex_ = toInt(attribute(attrs, "si"), -1);
        arrayFormula_ = t && std::string_view(t) == "array";
        if (arrayFormula_) {
            // The cells it spans; a range that does not start at its cell is read as its cell alone.
            const char* ref = attribute(attrs, "ref");
            std::optional<CellRange> range = ref ? parseRange(ref) : std::nullopt;
            arrayRange_ = range && range->first == at_ ? *range : CellRange{at_, at_};
        }
    }

    Value cachedValue() const {
        switch (type_) {
            case 'f': return Value::fromText(value_);
            case 's': return sharedString();
            case 'i': return Value::fromText(inlineText_);
            case 'b': return Value::fromBoolean(value_ == "1" || value_ == "true");
            case 'e': {
                const auto e = errorFromText(value_);
                return Value::fromError(e ? *e : ErrorCode::Value);
            }
            case 'd': {
                // An ISO 8601 date and time; one this cannot read stays readable as text.
                const auto serial = isoDateSerial(value_, date1904_);
                return serial ? Value::fromNumber(*serial) : Value::fromText(value_);
            }
            default: {
                if (value_.empty()) return Value::empty();
                double n = 0;
                const char* b = value_.data();
                const auto r = std::from_chars(b, b + value_.size(), n);
                if (r.ec != std::errc() || r.ptr != b + value_.size())
                    throw HostError("the .xlsx sheet's cell " + formatAddress(at_, false) + " holds \"" + value_ +
                                    "\", which is no number");
                return Value::fromNumber(n);
            }
        }
    }

    Value sharedString() const {
        if (value_.empty()) return Value::empty();
        std::size_t i = 0;
        const auto r = std::from_chars(value_.data(), value_.data() + value_.size(), i);
        if (r.ec != std::errc() || i >= strings_.size())
            throw HostError("the .xlsx sheet's cell " + formatAddress(at_, false) +
                            " names a shared string the workbook does not have");
        return Value::fromText(std::string(strings_.at(i)));
    }

    FormulaPtr formulaCode() {
        if (!formula_.empty()) {
            FormulaPtr code;
            typed_.assign(1, '=');
            typed_ += formula_;
            const auto kept = [&] {
                auto opaque = std::make_shared<FormulaCode>();
                opaque->opaque = true;
                opaque->text = typed_;
                return opaque;
            };
            if (arrayFormula_) {
                code = arrayCode(kept);  // computedAsExcel below bounds the cells it fills
            } else if (FormulaPtr again = sameAsAbove()) {
                code = std::move(again);
            } else
                try {
                    code = parseFormula(typed_, at_);
                    expectBelow(code);
                } catch (const HostError&) {
                    // References to other sheets, names, functions the engine lacks: shown, not computed.
                    code = kept();
                }
            // One the engine does not compute as Excel does keeps the result the file stored;
            // without one (a writer that computes nothing) it is computed.
            if (!code->opaque && !computedAsExcel(*code) && (!value_.empty() || type_ == 'i')) code = kept();
            if (arrayFormula_ && !code->opaque) {
                arrays_.push_back({arrayRange_, code});
                // Every cell of its range holds it, also one the file leaves out (openpyxl writes
                // only the first); a cell that does come later brings its style and result.
                for (int r = arrayRange_.first.row; r <= arrayRange_.last.row; ++r) {
                    for (int c = arrayRange_.first.col; c <= arrayRange_.last.col; ++c) {
                        if (CellAddress{r, c} != at_) sink_.formula({r, c}, 0, code, Value::empty());
                    }
                }
            }
            if (sharedIndex_ >= 0) shared_[sharedIndex_] = {code, at_, formula_};
            return code;
        }
        if (sharedIndex_ < 0) return nullptr;
        const auto found = shared_.find(sharedIndex_);
        if (found == shared_.end()) return nullptr;
        const SharedFormula& master = found->second;
        if (!master.code->opaque) {
            // References are offsets from the cell: the same code serves it.
            return fitsAt(*master.code, at_) ? master.code : nullptr;
        }
        // Kept as text: the text moves to this cell, as the file means it to.
        const auto moved = moveFormulaText(master.text, at_.row - master.at.row, at_.col - master.at.col);
        if (!moved) return nullptr;
        auto opaque = std::make_shared<FormulaCode>();
        opaque->opaque = true;
        opaque->text = "=" + *moved;
        return opaque;
    }

    // An array formula's code, which all its cells share: its text stands in its first cell.
    template <class Kept>
    FormulaPtr arrayCode(const Kept& kept) {
        try {
            auto code = std::make_shared<FormulaCode>(*parseFormula(typed_, at_));
            code->array = true;
            code->arrayRange = arrayRange_;
            return code;
        } catch (const HostError&) {
            return kept();
        }
    }

    // The computed array formula the cell at at_ is one of, if any. The rows come in order, so an
    // array above the current row is done with.
    FormulaPtr arrayAt() {
        std::erase_if(arrays_, [&](const ArrayCells& a) { return a.range.last.row < at_.row; });
        for (const ArrayCells& a : arrays_) {
            if (a.range.contains(at_)) return a.code;
        }
        return nullptr;
    }

    // Writers that keep no shared formulas (LibreOffice) spell a run of one formula down a
    // column out in every cell: "C3-E3", "C4-E4". The code of the cell above, read back one
    // row down, is compared with the text first, so a run is parsed once. A column where
    // two comparisons in a row fail (texts spelt otherwise than the engine prints them) stops
    // being compared.
    struct ColumnFormula {
        FormulaPtr code;
        std::string below;  // how `code` reads in the row under the cell it was found in
        int belowRow = -1;
        int misses = 0;
    };

    FormulaPtr sameAsAbove() {
        if (at_.col >= static_cast<int>(columns_.size())) return nullptr;
        ColumnFormula& column = columns_[static_cast<std::size_t>(at_.col)];
        if (column.belowRow != at_.row || !column.code) return nullptr;
        if (column.below != typed_ || !fitsAt(*column.code, at_)) {
            ++column.misses;
            column.belowRow = -1;
            return nullptr;
        }
        column.misses = 0;
        expectBelow(column.code);
        return column.code;
    }

    void expectBelow(const FormulaPtr& code) {
        if (at_.col >= static_cast<int>(columns_.size())) columns_.resize(static_cast<std::size_t>(at_.col) + 1);
        ColumnFormula& column = columns_[static_cast<std::size_t>(at_.col)];
        if (column.misses >= 2 || at_.row + 1 >= kMaxRows) return;
        column.code = code;
        column.below = formulaText(*code, {at_.row + 1, at_.col});
        column.belowRow = at_.row + 1;
    }

    void endCell() {
        inCell_ = false;
        target_ = nullptr;
        // LibreOffice stores a typed TRUE or FALSE as the formula TRUE() or FALSE().
        if (hasFormula_ && type_ == 'b' && (formula_ == "TRUE()" || formula_ == "FALSE()")) hasFormula_ = false;
        if (type_ == 'f') unescapeCellText(value_);  // a text result is spelt as a cell text is
        if (hasFormula_) {
            if (FormulaPtr code = formulaCode()) {
                Value cached = cachedValue();
                // libxlsxwriter can store a formula's result only as a number or a text, so an
                // error result of a formula we do not compute comes back as the error's text.
                if (code->opaque && type_ == 'f') {
                    if (const auto e = errorFromText(value_)) cached = Value::fromError(*e);
                }
                sink_.formula(at_, xf_, code, cached);
                return;
            }
            // A shared formula whose first cell is missing or cannot serve here: its result stays.
        } else if (!arrays_.empty()) {
            if (FormulaPtr code = arrayAt()) {  // another cell of an array formula: its value only
                sink_.formula(at_, xf_, code, cachedValue());
                return;
            }
        }
        if (type_ == 'n' && value_.empty()) return sink_.blank(at_, xf_);
        const Value v = cachedValue();
        switch (v.kind) {
            case Value::Kind::Number: return sink_.number(at_, xf_, v.number);
            case Value::Kind::Text: return sink_.text(at_, xf_, v.text);
            case Value::Kind::Boolean: return sink_.boolean(at_, xf_, v.boolean);
            case Value::Kind::Error: return sink_.error(at_, xf_, v.error);
            case Value::Kind::Empty: return sink_.blank(at_, xf_);
        }
    }

    void column(const char** attrs) {
        const char* w = attribute(attrs, "width");
        if (!w) return;
        const int first = toInt(attribute(attrs, "min"), 0);
        const int last = toInt(attribute(attrs, "max"), first);
        if (first < 1 || last < first || first > kXlsxColumns) return;
        double width = 0;
        if (std::from_chars(w, w + std::strlen(w), width).ec != std::errc() || !(width >= 0) || width > 255) return;
        if (first > kMaxColumns) return;  // writers set widths for columns the sheet never reaches
        sink_.columnWidth(first - 1, std::min(last, kMaxColumns) - 1, charactersWide(width));
    }

    void dimension(const char* ref) {
        if (!ref) return;
        const std::string_view r(ref);
        const auto colon = r.find(':');
        if (colon == std::string_view::npos) return;
        try {
            if (const auto last = parseCellReference(r.substr(colon + 1)))
                sink_.sheetExtent(last->row + 1, last->col + 1);
        } catch (const HostError&) {
            // Only a hint; the cells themselves say whether the sheet is too large.
        }
    }

    const SharedStrings& strings_;
    WorkbookImport& sink_;
    const bool date1904_;
    // The first cell of each shared formula: its code, where it is, and its text.
    struct SharedFormula {
        FormulaPtr code;
        CellAddress at;
        std::string text;
    };
    std::unordered_map<int, SharedFormula> shared_;
    std::vector<ColumnFormula> columns_;
    std::optional<CellAddress> active_;
    std::string value_, formula_, inlineText_, typed_;
    std::string* target_ = nullptr;
    CellAddress at_{};
    int row_ = -1;
    int col_ = -1;
    int phonetic_ = 0;
    int sharedIndex_ = -1;
    bool arrayFormula_ = false;
    CellRange arrayRange_;  // of the array formula in the cell being read
    struct ArrayCells {
        CellRange range;
        FormulaPtr code;
    };
    std::vector<ArrayCells> arrays_;  // computed array formulas whose cells are still to come
    std::uint16_t xf_ = 0;
    char type_ = 'n';
    bool inCell_ = false;
    bool inInline_ = false;
    bool hasFormula_ = false;
};
}  // namespace

std::optional<CellAddress> parseCellReference(std::string_view text) {
    std::size_t i = 0;
    long col = 0;
    long row = 0;
    if (i < text.size() && text[i] == '$') ++i;
    const std::size_t lettersFrom = i;
    while (i < text.size() && ((text[i] >= 'A' && text[i] <= 'Z') || (text[i] >= 'a' && text[i] <= 'z'))) {
        if (i - lettersFrom >= 3)
            throw HostError("the .xlsx sheet refers to a cell past column XFD, the last an .xlsx sheet has");
        col = col * 26 + ((text[i] | 0x20) - 'a' + 1);
        ++i;
    }
    if (i == lettersFrom) return std::nullopt;
    if (i < text.size() && text[i] == '$') ++i;
    const std::size_t digitsFrom = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (i - digitsFrom >= 7)
            throw HostError("the .xlsx sheet refers to a cell past row 1048576, the last an .xlsx sheet has");
        row = row * 10 + (text[i] - '0');
        ++i;
    }
    if (i == digitsFrom || i != text.size() || row == 0) return std::nullopt;
    if (col > kXlsxColumns || row > kXlsxRows)
        throw HostError("the .xlsx sheet refers to " + std::string(text) +
                        ", past XFD1048576, the last cell an .xlsx sheet has");
    if (col > kMaxColumns || row > kMaxRows)
        throw HostError("the .xlsx sheet has a cell at " + std::string(text) +
                        ", past IV65536, the last cell a sheet of this program holds");
    return CellAddress{static_cast<int>(row - 1), static_cast<int>(col - 1)};
}

namespace {
// Days from 1 March of year 0 in the proleptic Gregorian calendar (years 0 to 9999).
constexpr long daysSinceMarch0(int y, int m, int d) {
    const int yy = m <= 2 ? y - 1 : y;
    const int era = (yy >= 0 ? yy : yy - 399) / 400;
    const int yoe = yy - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097L + yoe * 365L + yoe / 4 - yoe / 100 + doy;
}
static_assert(daysSinceMarch0(1970, 1, 1) == 719468);
}  // namespace

std::optional<double> isoDateSerial(std::string_view text, bool date1904) {
    auto digits = [&](std::size_t from, std::size_t n, int& out) {
        if (from + n > text.size()) return false;
        out = 0;
        for (std::size_t i = from; i < from + n; ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            out = out * 10 + (text[i] - '0');
        }
        return true;
    };
    int y = 0, m = 0, d = 0, hh = 0, mm = 0, ss = 0;
    if (!digits(0, 4, y) || text.size() < 10 || text[4] != '-' || !digits(5, 2, m) || text[7] != '-' ||
        !digits(8, 2, d))
        return std::nullopt;
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (m < 1 || m > 12 || d < 1 || d > kDays[m - 1] || (m == 2 && d == 29 && !leap)) return std::nullopt;
    double fraction = 0;
    std::size_t i = 10;
    if (i < text.size()) {
        if (text[i] != 'T' || !digits(11, 2, hh) || text.size() < 16 || text[13] != ':' || !digits(14, 2, mm))
            return std::nullopt;
        i = 16;
        if (i < text.size() && text[i] == ':') {
            if (!digits(17, 2, ss)) return std::nullopt;
            i = 19;
            if (i < text.size() && text[i] == '.') {
                double scale = 0.1, part = 0;
                for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, scale /= 10)
                    part += (text[i] - '0') * scale;
                fraction = part / 86400;
            }
        }
        if (i < text.size() && text[i] == 'Z') ++i;
        if (i != text.size() || hh > 23 || mm > 59 || ss > 59) return std::nullopt;
    }
    const long days = daysSinceMarch0(y, m, d);
    constexpr long k18991230 = daysSinceMarch0(1899, 12, 30);
    constexpr long k19040101 = daysSinceMarch0(1904, 1, 1);
    double serial = 0;
    if (date1904) {
        serial = static_cast<double>(days - k19040101);
    } else {
        serial = static_cast<double>(days - k18991230);
        if (serial < 61) serial -= 1;  // serials before 1 March 1900 count the 29 February that never was
    }
    if (serial < 0 || (!date1904 && serial < 1)) return std::nullopt;
    return serial + (hh * 3600 + mm * 60 + ss) / 86400.0 + fraction;
}

void readSheetPart(ZipPackage& package, const std::string& partName, const SharedStrings& strings, bool date1904,
                   WorkbookImport& sink) {
    SheetHandler handler(strings, date1904, sink);
    parsePart(package, partName, handler);
    handler.finish();
}

}  // namespace host::xlsx
