#include "xlsx/sheet_part.h"

#include <charconv>
#include <cstring>
#include <unordered_map>

#include "host/formula_code.h"
#include "host/host_error.h"
#include "xlsx/xml_stream.h"

namespace host::xlsx {

namespace {
constexpr int kXlsxRows = 1048576;
constexpr int kXlsxColumns = 16384;
// Excel pads a column by 5 pixels of a 7-pixel digit: the width in a file counts the padding.
constexpr double kWidthPadding = 5.0 / 7.0;

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
    SheetHandler(const SharedStrings& strings, WorkbookImport& sink) : strings_(strings), sink_(sink) {}

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
            if (r < 1 || r > kXlsxRows) throw HostError("the .xlsx sheet has a row past row 1048576, the last an .xlsx sheet has");
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
            if (n[0] == 'r' && n[1] == 0) ref = a[1];
            else if (n[0] == 's' && n[1] == 0) {
                const int s = toInt(a[1], 0);
                xf_ = s >= 0 && s <= 0xFFFF ? static_cast<std::uint16_t>(s) : 0;
            } else if (n[0] == 't' && n[1] == 0) {
                const std::string_view t(a[1]);
                type_ = t == "s" ? 's' : t == "str" ? 'f' : t == "inlineStr" ? 'i' : t == "b" ? 'b' : t == "e" ? 'e' : t == "d" ? 'd' : 'n';
            }
        }
        if (ref) {
            const auto at = parseCellReference(ref);
            if (!at) throw HostError("the .xlsx sheet has a cell with the reference \"" + std::string(ref) + "\", which names no cell");
            at_ = *at;
            row_ = at_.row;
        } else {
            if (row_ < 0) row_ = 0;
            at_ = {row_, col_ + 1};
            if (at_.col >= kMaxColumns) throw HostError("the .xlsx sheet has cells past column IV, the last a sheet of this program holds");
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
            case 'd': return Value::fromText(value_);   // an ISO date as text: kept readable
            default: {
                if (value_.empty()) return Value::empty();
                double n = 0;
                const char* b = value_.data();
                const auto r = std::from_chars(b, b + value_.size(), n);
                if (r.ec != std::errc() || r.ptr != b + value_.size())
                    throw HostError("the .xlsx sheet's cell " + formatAddress(at_, false) + " holds \"" + value_ + "\", which is no number");
                return Value::fromNumber(n);
            }
        }
    }

    Value sharedString() const {
        if (value_.empty()) return Value::empty();
        std::size_t i = 0;
        const auto r = std::from_chars(value_.data(), value_.data() + value_.size(), i);
        if (r.ec != std::errc() || i >= strings_.size())
            throw HostError("the .xlsx sheet's cell " + formatAddress(at_, false) + " names a shared string the workbook does not have");
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
            try {
                code = parseFormula(typed_, at_);
            } catch (const HostError&) {
                // References to other sheets, names, functions the engine lacks: shown, not computed.
                code = kept();
            }
            // An array formula, or one the engine does not compute as Excel does, keeps the
            // result the file stored; without one (a writer that computes nothing) it is computed.
            if (!code->opaque && (arrayFormula_ || !computedAsExcel(*code)) && (!value_.empty() || type_ == 'i'))
                code = kept();
            if (sharedIndex_ >= 0) shared_[sharedIndex_] = code;
            return code;
        }
        if (sharedIndex_ < 0) return nullptr;
        const auto master = shared_.find(sharedIndex_);
        if (master == shared_.end() || master->second->opaque || !fitsAt(*master->second, at_)) return nullptr;
        return master->second;   // references are offsets from the cell: the same code serves it
    }

    void endCell() {
        inCell_ = false;
        target_ = nullptr;
        // LibreOffice stores a typed TRUE or FALSE as the formula TRUE() or FALSE().
        if (hasFormula_ && type_ == 'b' && (formula_ == "TRUE()" || formula_ == "FALSE()")) hasFormula_ = false;
        if (hasFormula_) {
            if (FormulaPtr code = formulaCode()) {
                sink_.formula(at_, xf_, code, cachedValue());
                return;
            }
            // A shared formula whose first cell is missing or cannot serve here: its result stays.
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
        if (first > kMaxColumns) return;   // writers set widths for columns the sheet never reaches
        sink_.columnWidth(first - 1, std::min(last, kMaxColumns) - 1, width > kWidthPadding ? width - kWidthPadding : 0);
    }

    void dimension(const char* ref) {
        if (!ref) return;
        const std::string_view r(ref);
        const auto colon = r.find(':');
        if (colon == std::string_view::npos) return;
        try {
            if (const auto last = parseCellReference(r.substr(colon + 1))) sink_.sheetExtent(last->row + 1, last->col + 1);
        } catch (const HostError&) {
            // Only a hint; the cells themselves say whether the sheet is too large.
        }
    }

    const SharedStrings& strings_;
    WorkbookImport& sink_;
    std::unordered_map<int, FormulaPtr> shared_;
    std::optional<CellAddress> active_;
    std::string value_, formula_, inlineText_, typed_;
    std::string* target_ = nullptr;
    CellAddress at_{};
    int row_ = -1;
    int col_ = -1;
    int phonetic_ = 0;
    int sharedIndex_ = -1;
    bool arrayFormula_ = false;
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
        if (i - lettersFrom >= 3) throw HostError("the .xlsx sheet refers to a cell past column XFD, the last an .xlsx sheet has");
        col = col * 26 + ((text[i] | 0x20) - 'a' + 1);
        ++i;
    }
    if (i == lettersFrom) return std::nullopt;
    if (i < text.size() && text[i] == '$') ++i;
    const std::size_t digitsFrom = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (i - digitsFrom >= 7) throw HostError("the .xlsx sheet refers to a cell past row 1048576, the last an .xlsx sheet has");
        row = row * 10 + (text[i] - '0');
        ++i;
    }
    if (i == digitsFrom || i != text.size() || row == 0) return std::nullopt;
    if (col > kXlsxColumns || row > kXlsxRows)
        throw HostError("the .xlsx sheet refers to " + std::string(text) + ", past XFD1048576, the last cell an .xlsx sheet has");
    if (col > kMaxColumns || row > kMaxRows)
        throw HostError("the .xlsx sheet has a cell at " + std::string(text) +
                        ", past IV65536, the last cell a sheet of this program holds");
    return CellAddress{static_cast<int>(row - 1), static_cast<int>(col - 1)};
}

void readSheetPart(ZipPackage& package, const std::string& partName, const SharedStrings& strings,
                   WorkbookImport& sink) {
    SheetHandler handler(strings, sink);
    parsePart(package, partName, handler);
    handler.finish();
}

}  // namespace host::xlsx
