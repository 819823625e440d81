#include "xls/formula_encode.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "formula/array_functions.h"
#include "host/function_table.h"
#include "host/host_error.h"
#include "xls/array_constant_data.h"
#include "xls/biff_constants.h"
#include "xls/biff_function_map.h"
#include "xls/biff_record_writer.h"
#include "xls/biff_text.h"
#include "xls/future_functions.h"

namespace host::xls {
namespace {

constexpr std::uint8_t kClassReference = 0x20;
constexpr std::uint8_t kClassValue = 0x40;
constexpr std::uint8_t kClassArray = 0x60;

void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void putDouble(std::vector<std::uint8_t>& out, double v) {
    std::uint8_t b[8];
    std::memcpy(b, &v, 8);  // BIFF is little-endian, as is every machine we build for
    out.insert(out.end(), b, b + 8);
}

bool onSheet(CellAddress a) { return a.row >= 0 && a.row < kMaxRows && a.col >= 0 && a.col < kMaxColumns; }

std::uint16_t columnField(int col, const RefPart& part) {
    return std::uint16_t(col | (part.colRelative ? 0x4000 : 0) | (part.rowRelative ? 0x8000 : 0));
}

std::uint8_t operatorPtg(TokenKind kind) {
    switch (kind) {
        case TokenKind::Add: return kPtgAdd;
        case TokenKind::Sub: return kPtgSub;
        case TokenKind::Mul: return kPtgMul;
        case TokenKind::Div: return kPtgDiv;
        case TokenKind::Pow: return kPtgPower;
        case TokenKind::Concat: return kPtgConcat;
        case TokenKind::Lt: return kPtgLt;
        case TokenKind::Le: return kPtgLe;
        case TokenKind::Eq: return kPtgEq;
        case TokenKind::Ge: return kPtgGe;
        case TokenKind::Gt: return kPtgGt;
        case TokenKind::Ne: return kPtgNe;
        case TokenKind::Plus: return kPtgUplus;
        case TokenKind::Minus: return kPtgUminus;
        case TokenKind::Percent: return kPtgPercent;
        case TokenKind::Paren: return kPtgParen;
        default: return 0;
    }
}

void putNumber(std::vector<std::uint8_t>& out, double v) {
    if (v >= 0 && v <= 65535 && v == std::floor(v) && !std::signbit(v)) {
        out.push_back(kPtgInt);
        put16(out, std::uint16_t(v));
    } else {
        out.push_back(kPtgNum);
        putDouble(out, v);
    }
}

void putString(std::vector<std::uint8_t>& out, const std::string& s) {
    const BiffText text = toBiffText(s, 255);  // the format's limit for a string in a formula
    out.push_back(kPtgStr);
    out.push_back(std::uint8_t(text.units.size()));
    out.push_back(text.wide ? 1 : 0);
    for (char16_t u : text.units) {
        out.push_back(std::uint8_t(u));
        if (text.wide) out.push_back(std::uint8_t(u >> 8));
    }
}

void putFuncVar(std::vector<std::uint8_t>& out, std::uint8_t argc, std::uint16_t number) {
    out.push_back(kPtgFuncVar | kClassValue);
    out.push_back(argc);
    put16(out, number);
}

}  // namespace

void FormulaEncoder::putFunction(std::vector<std::uint8_t>& out, const Token& t) {
    const BiffFunction* f = biffFunction(t.func);
    if (!f) {
        // A future function: its name went before the arguments; the call counts it as one.
        putFuncVar(out, std::uint8_t(t.argc + 1), kUserDefinedFunction);
        return;
    }
    if (f->fixedArgs >= 0 && f->fixedArgs == t.argc) {
        out.push_back(kPtgFunc | kClassValue);
        put16(out, f->number);
    } else {
        putFuncVar(out, t.argc, f->number);
    }
}

void FormulaEncoder::putFutureNames(std::vector<std::uint8_t>& out, std::uint32_t token) {
    // Calls starting at the same token: the outer one (the later call) names itself first.
    for (auto it = futureCalls_.rbegin(); it != futureCalls_.rend(); ++it) {
        if (it->first != token) continue;
        out.push_back(kPtgName | kClassReference);  // tName: the NAME's number, 2 bytes unused
        put16(out, futureFunctions_->nameOf(code_->rpn[it->second].func));
        put16(out, 0);
    }
}

void FormulaEncoder::encodeTokens(const FormulaCode& code, CellAddress owner, std::vector<std::uint8_t>& out,
                                  std::vector<Patch>* patches, bool& allOnSheet, bool shared) {
    allOnSheet = true;
    const auto field = [&](int value, bool isRow, const RefPart& part, bool relative) {
        if (shared && relative) value = isRow ? part.row : part.col & 0xFF;  // an offset, wrapping
        const std::uint16_t stored = std::uint16_t(isRow ? value : columnField(value, part));
        if (patches && relative) {
            const std::int32_t delta = isRow ? part.row : part.col;
            const std::uint16_t flags = isRow ? 0 : std::uint16_t(stored & 0xC000);
            patches->push_back({std::uint32_t(out.size()), delta, flags, isRow});
        }
        put16(out, stored);
    };
    markFunctionArguments(code);
    code_ = &code;
    if (callsVolatile(code)) {  // Excel's mark of a formula to compute on every recalculation
        out.push_back(kPtgAttr);
        out.push_back(kAttrVolatile);
        put16(out, 0);
    }
    for (std::size_t i = 0; i < code.rpn.size(); ++i) {
        const Token& t = code.rpn[i];
        if (!futureCalls_.empty()) putFutureNames(out, std::uint32_t(i));
        const std::uint8_t cls = arrayClasses_ ? (wholeArgument_[i] ? kClassReference : kClassArray)
                                               : (functionArgument_[i] ? kClassReference : kClassValue);
        switch (t.kind) {
            case TokenKind::Number: putNumber(out, t.number); break;
            case TokenKind::String:
                putString(out, t.string < code.strings.size() ? code.strings[t.string] : std::string());
                break;
            case TokenKind::Boolean:
                out.push_back(kPtgBool);
                out.push_back(t.boolean ? 1 : 0);
                break;
            case TokenKind::Error:
                out.push_back(kPtgErr);
                out.push_back(std::uint8_t(t.error));
                break;
            case TokenKind::Missing: out.push_back(kPtgMissArg); break;
            case TokenKind::Ref: {
                const CellAddress a = t.a.resolve(owner);
                if (!shared && !onSheet(a)) {
                    allOnSheet = false;
                    out.push_back(kPtgRefErr | cls);
                    out.insert(out.end(), 4, 0);
                    break;
                }
                const bool offsets = shared && (t.a.rowRelative || t.a.colRelative);
                out.push_back((offsets ? kPtgRefN : kPtgRef) | cls);
                field(a.row, true, t.a, t.a.rowRelative);
                field(a.col, false, t.a, t.a.colRelative);
                break;
            }
            case TokenKind::Area: {
                const CellAddress a = t.a.resolve(owner);
                const CellAddress b = t.b.resolve(owner);
                if (!shared && (!onSheet(a) || !onSheet(b))) {
                    allOnSheet = false;
                    out.push_back(kPtgAreaErr | cls);
                    out.insert(out.end(), 8, 0);
                    break;
                }
                const bool offsets =
                    shared && (t.a.rowRelative || t.a.colRelative || t.b.rowRelative || t.b.colRelative);
                out.push_back((offsets ? kPtgAreaN : kPtgArea) | cls);
                field(a.row, true, t.a, t.a.rowRelative);
                field(b.row, true, t.b, t.b.rowRelative);
                field(a.col, false, t.a, t.a.colRelative);
                field(b.col, false, t.b, t.b.colRelative);
                break;
            }
            case TokenKind::Array:
                // The token says only that a constant is there (array class where an array may
                // stand); its values go after the tokens.
                out.push_back(arrayClasses_ || functionArgument_[i] ? kClassArray : kClassValue);
                out.insert(out.end(), 7, 0);
                if (t.string < code.arrays.size()) writeArrayConstant(code.arrays[t.string], extra_);
                break;
            case TokenKind::Func: putFunction(out, t); break;
            default: out.push_back(operatorPtg(t.kind)); break;
        }
    }
}

void FormulaEncoder::markFunctionArguments(const FormulaCode& code) {
    stack_.clear();
    functionArgument_.assign(code.rpn.size(), false);
    startOf_.resize(code.rpn.size());
    futureCalls_.clear();
    wholeArgument_.assign(code.rpn.size(), false);
    for (std::uint32_t i = 0; i < code.rpn.size(); ++i) {
        const Token& t = code.rpn[i];
        startOf_[i] = i;
        if (t.kind == TokenKind::Paren) {  // parentheses pass their operand through
            if (!stack_.empty()) startOf_[i] = startOf_[stack_.back()];
            continue;
        }
        const int taken = std::min<int>(operandsTaken(t), int(stack_.size()));
        for (int k = 0; k < taken; ++k) {
            if (t.kind == TokenKind::Func) {
                functionArgument_[stack_.back()] = true;
                wholeArgument_[stack_.back()] = formula::takesArgumentWhole(t.func, taken - 1 - k);
            }
            startOf_[i] = startOf_[stack_.back()];
            stack_.pop_back();
        }
        stack_.push_back(i);
        if (t.kind == TokenKind::Func && !biffFunction(t.func)) {
            if (!futureFunctions_) {
                const FunctionInfo* info = functionById(t.func);
                throw HostError("the function " + std::string(info ? info->name : "?") +
                                " cannot be stored in an .xls file");
            }
            futureCalls_.emplace_back(startOf_[i], i);
        }
    }
}

FormulaEncoder::Template* FormulaEncoder::templateOf(const FormulaCode& code, CellAddress owner) {
    auto found = templates_.find(&code);
    if (found == templates_.end()) {
        Template t;
        bool allOnSheet = false;
        encodeTokens(code, owner, t.bytes, &t.patches, allOnSheet);
        if (!allOnSheet) {  // not a shape to copy: this cell's #REF! is its own
            rgce_.swap(t.bytes);
            return nullptr;
        }
        t.maxRow = kMaxRows - 1;
        t.maxCol = kMaxColumns - 1;
        for (const Patch& p : t.patches) {
            int& low = p.row ? t.minRow : t.minCol;
            int& high = p.row ? t.maxRow : t.maxCol;
            low = std::max(low, -p.delta);
            high = std::min(high, (p.row ? kMaxRows : kMaxColumns) - 1 - p.delta);
        }
        found = templates_.emplace(&code, std::move(t)).first;
    }
    recent_[recentSlot(code)] = {&code, &found->second};  // map nodes stay put as the map grows
    return &found->second;
}

const std::vector<std::uint8_t>& FormulaEncoder::encode(const FormulaCode& code, CellAddress owner) {
    extra_.clear();
    if (code.opaque) {  // its bytes are the writer's, from the file: nothing to encode here
        rgce_.clear();
        return rgce_;
    }
    if (!code.arrays.empty()) {  // with data after its tokens: encoded for this cell alone
        bool ignored = false;
        rgce_.clear();
        encodeTokens(code, owner, rgce_, nullptr, ignored);
        return rgce_;
    }
    const auto& recent = recent_[recentSlot(code)];
    Template* t = recent.first == &code ? recent.second : templateOf(code, owner);
    if (!t) return rgce_;  // encoded for this cell alone
    if (owner.row < t->minRow || owner.row > t->maxRow || owner.col < t->minCol || owner.col > t->maxCol) {
        // This copy of the shape reaches off the sheet.
        bool ignored = false;
        rgce_.clear();
        encodeTokens(code, owner, rgce_, nullptr, ignored);
        return rgce_;
    }
    std::uint8_t* bytes = t->bytes.data();
    const int base[2] = {owner.col, owner.row};  // indexed, not branched on: rows and columns alternate
    for (const Patch& p : t->patches) store16(bytes + p.offset, std::uint16_t((base[p.row] + p.delta) | p.flags));
    return t->bytes;
}

bool FormulaEncoder::shareable(const FormulaCode& code, CellAddress at, int& firstRow, int& lastRow) {
    if (code.opaque || !code.arrays.empty()) return false;  // array constants: cell by cell
    const auto& recent = recent_[recentSlot(code)];
    const Template* t = recent.first == &code ? recent.second : templateOf(code, at);
    if (!t || at.row < t->minRow || at.row > t->maxRow || at.col < t->minCol || at.col > t->maxCol) return false;
    firstRow = t->minRow;
    lastRow = t->maxRow;
    return true;
}

const std::vector<std::uint8_t>& FormulaEncoder::encodeArray(const FormulaCode& code) {
    bool ignored = false;
    rgce_.clear();
    extra_.clear();
    arrayClasses_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{arrayClasses_};  // also when a function cannot be stored and the encoding throws
    encodeTokens(code, code.arrayRange.first, rgce_, nullptr, ignored);
    return rgce_;
}

const std::vector<std::uint8_t>& FormulaEncoder::encodeShared(const FormulaCode& code) {
    bool ignored = false;
    rgce_.clear();
    encodeTokens(code, CellAddress{0, 0}, rgce_, nullptr, ignored, true);
    return rgce_;
}

}  // namespace host::xls
