#include "xls/formula_decode.h"

#include <algorithm>

#include "xls/array_constant_data.h"
#include "xls/biff_constants.h"
#include "xls/biff_function_map.h"
#include "xls/biff_string.h"
#include "xls/byte_reader.h"
#include "xls/formula_render.h"
#include "xls/future_functions.h"

namespace host::xls {

namespace {

Token tokenOf(TokenKind kind) {
    Token t;
    t.kind = kind;
    return t;
}

bool inSheet(CellAddress a) { return a.row >= 0 && a.row < kMaxRows && a.col >= 0 && a.col < kMaxColumns; }

RefPart relativePart(const RefField& f, CellAddress owner) {
    RefPart p;
    p.rowRelative = f.rowRelative;
    p.colRelative = f.colRelative;
    p.row = f.rowRelative ? f.cell.row - owner.row : f.cell.row;
    p.col = f.colRelative ? f.cell.col - owner.col : f.cell.col;
    return p;
}

// Decodes into `code`; false when a token is one the engine does not compute.
bool decodeTokens(const FormulaTokens& f, CellAddress owner, const FormulaNames& names, FormulaCode& code) {
    const auto tokens = f.tokens;
    code.rpn.reserve(tokens.size() / 3 + 1);
    int depth = 0;
    // Calls of future functions under way: each one's function, and the depth its name
    // (tNameX, the call's first operand) sits at. Nothing above the name may take it.
    std::vector<std::pair<const FunctionInfo*, int>> calls;
    auto operands = [&](int n) { return depth >= n && (calls.empty() || depth - n >= calls.back().second); };
    auto push = [&](Token t) {
        code.rpn.push_back(t);
        ++depth;
    };
    auto op = [&](TokenKind kind, int arity) {
        if (!operands(arity)) return false;
        depth -= arity - 1;
        code.rpn.push_back(tokenOf(kind));
        return true;
    };
    // A call of `info` (nullptr: a function the engine lacks) with `argc` arguments.
    auto func = [&](const FunctionInfo* info, int argc) {
        if (!info || argc < info->minArgs || argc > info->maxArgs || !operands(argc)) return false;
        depth -= argc - 1;
        Token t = tokenOf(TokenKind::Func);
        t.func = info->id;
        t.argc = static_cast<std::uint8_t>(argc);
        code.rpn.push_back(t);
        return true;
    };

    // Array constants' data follows the tokens, one block each in token order, among the data of
    // tMemArea tokens: read only while none of those came first.
    std::size_t extraPos = 0;
    bool memAreaSeen = false;
    std::size_t pos = 0;
    while (pos < tokens.size()) {
        const auto t = tokens.subspan(pos);
        const std::size_t size = tokenSize(t);
        if (size == 0) return false;
        pos += size;
        const std::uint8_t ptg = t[0];
        const std::uint8_t* d = t.data() + 1;
        bool ok = true;
        switch (ptg) {
            case kPtgAdd: ok = op(TokenKind::Add, 2); break;
            case kPtgSub: ok = op(TokenKind::Sub, 2); break;
            case kPtgMul: ok = op(TokenKind::Mul, 2); break;
            case kPtgDiv: ok = op(TokenKind::Div, 2); break;
            case kPtgPower: ok = op(TokenKind::Pow, 2); break;
            case kPtgConcat: ok = op(TokenKind::Concat, 2); break;
            case kPtgLt: ok = op(TokenKind::Lt, 2); break;
            case kPtgLe: ok = op(TokenKind::Le, 2); break;
            case kPtgEq: ok = op(TokenKind::Eq, 2); break;
            case kPtgGe: ok = op(TokenKind::Ge, 2); break;
            case kPtgGt: ok = op(TokenKind::Gt, 2); break;
            case kPtgNe: ok = op(TokenKind::Ne, 2); break;
            case kPtgUplus: ok = op(TokenKind::Plus, 1); break;
            case kPtgUminus: ok = op(TokenKind::Minus, 1); break;
            case kPtgPercent: ok = op(TokenKind::Percent, 1); break;
            case kPtgParen: ok = op(TokenKind::Paren, 1); break;
            case kPtgMissArg: push(tokenOf(TokenKind::Missing)); break;
            case kPtgStr: {
                Token s = tokenOf(TokenKind::String);
                s.string = static_cast<std::uint32_t>(code.strings.size());
                code.strings.push_back(readRecordString(t.subspan(1), true, "formula string"));
                push(s);
                break;
            }
            case kPtgAttr:
                // IF, CHOOSE, GOTO, SPACE and VOLATILE only steer Excel's evaluation or layout:
                // the RPN alone gives the value. SUM of one argument is a function call.
                if (t[1] & kAttrSum) ok = func(functionById(FunctionId::Sum), 1);
                break;
            case kPtgErr: {
                const auto e = errorFromCode(d[0]);
                if (!e) return false;
                Token t = tokenOf(TokenKind::Error);
                t.error = *e;
                push(t);
                break;
            }
            case kPtgBool: {
                Token b = tokenOf(TokenKind::Boolean);
                b.boolean = d[0] != 0;
                push(b);
                break;
            }
            case kPtgInt:
            case kPtgNum: {
                Token n = tokenOf(TokenKind::Number);
                n.number = ptg == kPtgInt ? double(loadU16(d)) : loadF64(d);
                push(n);
                break;
            }
            default: {
                if (ptg < 0x20) return false;  // tExp, tTbl, unions, intersections
                const std::uint8_t base = ptg & 0x1F;
                switch (base) {
                    case kPtgArray: {
                        if (memAreaSeen) return false;
                        Token a = tokenOf(TokenKind::Array);
                        a.string = static_cast<std::uint32_t>(code.arrays.size());
                        code.arrays.push_back(readArrayConstant(f.extra, extraPos));
                        push(a);
                        break;
                    }
                    case kPtgFunc: {
                        const BiffFunction* b = biffFunction(loadU16(d));
                        if (!b || b->fixedArgs < 0) return false;
                        ok = func(b->engine, b->fixedArgs);
                        break;
                    }
                    case kPtgFuncVar: {
                        const std::uint16_t number = std::uint16_t(loadU16(d + 1) & 0x7FFF);
                        const int argc = d[0] & 0x7F;
                        if (number == kUserDefinedFunction) {
                            // The name and the arguments above it, and nothing else.
                            if (calls.empty() || depth != calls.back().second + argc - 1) return false;
                            const FunctionInfo* info = calls.back().first;
                            calls.pop_back();
                            --depth;  // the name is no value
                            ok = func(info, argc - 1);
                            break;
                        }
                        const BiffFunction* b = biffFunction(number);
                        ok = func(b ? b->engine : nullptr, argc);
                        break;
                    }
                    case kPtgName:
                    case kPtgNameX: {
                        // A future function's name (IFERROR, ...) opens its call; any other
                        // name leaves the formula to the file.
                        const FunctionInfo* info = base == kPtgName ? futureFunctionOfDefinedName(names, loadU16(d))
                                                                    : futureFunction(names, loadU16(d), loadU16(d + 2));
                        if (!info) return false;
                        ++depth;
                        calls.emplace_back(info, depth);
                        break;
                    }
                    case kPtgRef:
                    case kPtgRefN: {
                        const bool offsets = base == kPtgRefN;
                        if (offsets != f.relativeForms && (offsets || (loadU16(d + 2) & 0xC000))) return false;
                        const RefField r = readRefField(loadU16(d), loadU16(d + 2), owner, offsets);
                        if (!inSheet(r.cell)) return false;
                        Token ref = tokenOf(TokenKind::Ref);
                        ref.a = relativePart(r, owner);
                        push(ref);
                        break;
                    }
                    case kPtgArea:
                    case kPtgAreaN: {
                        // A shared formula holds offsets; a plain reference there must be absolute.
                        const bool offsets = base == kPtgAreaN;
                        if (offsets != f.relativeForms && (offsets || ((loadU16(d + 4) | loadU16(d + 6)) & 0xC000)))
                            return false;
                        const RefField a = readRefField(loadU16(d), loadU16(d + 4), owner, offsets);
                        const RefField b = readRefField(loadU16(d + 2), loadU16(d + 6), owner, offsets);
                        if (!inSheet(a.cell) || !inSheet(b.cell)) return false;
                        Token area = tokenOf(TokenKind::Area);
                        area.a = relativePart(a, owner);
                        area.b = relativePart(b, owner);
                        push(area);
                        break;
                    }
                    case kPtgMemArea: memAreaSeen = true; break;
                    case kPtgMemErr:
                    case kPtgMemNoMem:
                    case kPtgMemFunc:
                    case 0x0E:
                    case 0x0F: break;  // the subexpression that follows gives the value
                    default: return false;  // names, 3-D and external references, and the like
                }
            }
        }
        if (!ok) return false;
    }
    return depth == 1 && calls.empty() && !code.rpn.empty();
}

// The token bytes as they would stand in the cell's own FORMULA record: shared formulas hold
// offsets (tRefN, tAreaN, relative 3-D references) that are made absolute for `owner`.
std::vector<std::uint8_t> cellValidBytes(const FormulaTokens& f, CellAddress owner) {
    std::vector<std::uint8_t> out(f.tokens.begin(), f.tokens.end());
    if (!f.relativeForms) return out;
    auto rewrite = [&](std::size_t at, std::size_t colAt) {
        const RefField r = readRefField(loadU16(&out[at]), loadU16(&out[colAt]), owner, true);
        const std::uint16_t col = static_cast<std::uint16_t>(r.cell.col | (loadU16(&out[colAt]) & 0xC000));
        out[at] = static_cast<std::uint8_t>(r.cell.row);
        out[at + 1] = static_cast<std::uint8_t>(r.cell.row >> 8);
        out[colAt] = static_cast<std::uint8_t>(col);
        out[colAt + 1] = static_cast<std::uint8_t>(col >> 8);
    };
    std::size_t pos = 0;
    while (pos < out.size()) {
        const std::size_t size = tokenSize(std::span<const std::uint8_t>(out).subspan(pos));
        if (size == 0) break;
        const std::uint8_t ptg = out[pos];
        const std::uint8_t base = ptg & 0x1F;
        if (ptg >= 0x20 && ptg < 0x80) {
            if (base == kPtgRefN) {
                out[pos] = static_cast<std::uint8_t>(ptg - (kPtgRefN - kPtgRef));
                rewrite(pos + 1, pos + 3);
            } else if (base == kPtgAreaN) {
                out[pos] = static_cast<std::uint8_t>(ptg - (kPtgAreaN - kPtgArea));
                rewrite(pos + 1, pos + 5);
                rewrite(pos + 3, pos + 7);
            } else if (base == kPtgRef3d) {
                rewrite(pos + 3, pos + 5);
            } else if (base == kPtgArea3d) {
                rewrite(pos + 3, pos + 7);
                rewrite(pos + 5, pos + 9);
            }
        }
        pos += size;
    }
    return out;
}

}  // namespace

FormulaPtr decodeFormula(const FormulaTokens& f, CellAddress owner, const FormulaNames& names, OpaqueBytes* kept) {
    auto code = std::make_shared<FormulaCode>();
    bool known = false;
    try {
        // An array formula's code is its range's (decodeArrayFormula): decoded for one cell it
        // keeps the results Excel stored.
        known = !f.partOfArray && !f.array && decodeTokens(f, owner, names, *code);
    } catch (const HostError&) {
        known = false;  // a token that runs past the end: keep the bytes, show what we can
    }
    if (known) return code;
    return keptFormula(f, owner, names, kept);
}

FormulaPtr decodeArrayFormula(const FormulaTokens& f, const FormulaNames& names) {
    if (!f.array) return nullptr;
    const CellRange range{{f.arrayFirstRow, f.arrayFirstCol}, {f.arrayLastRow, f.arrayLastCol}};
    auto code = std::make_shared<FormulaCode>();
    try {
        if (!decodeTokens(f, range.first, names, *code)) return nullptr;
    } catch (const HostError&) {
        return nullptr;
    }
    code->array = true;
    code->arrayRange = range;
    return code;
}

FormulaPtr keptFormula(const FormulaTokens& f, CellAddress owner, const FormulaNames& names, OpaqueBytes* kept) {
    auto code = std::make_shared<FormulaCode>();
    code->opaque = true;
    if (kept) {
        kept->tokens = cellValidBytes(f, owner);
        kept->extra.assign(f.extra.begin(), f.extra.end());
    }
    if (f.array) {
        code->array = true;
        code->arrayRange = {{f.arrayFirstRow, f.arrayFirstCol}, {f.arrayLastRow, f.arrayLastCol}};
    }
    std::optional<std::string> text;
    try {
        text = renderFormula(f.tokens, owner, f.relativeForms, names);
    } catch (const HostError&) {}
    code->text = text ? *text : "=<unsupported>";
    return code;
}

OwnersThatFit ownersThatFit(const FormulaCode& code) {
    OwnersThatFit fit;
    // A relative offset narrows the owners to those it keeps inside; an absolute row or
    // column outside the sheet leaves none.
    const auto narrow = [](int value, bool relative, int limit, int& first, int& last) {
        if (relative) {
            first = std::max(first, -value);
            last = std::min(last, limit - 1 - value);
        } else if (value < 0 || value >= limit) {
            first = 1;
            last = 0;
        }
    };
    const auto part = [&](const RefPart& p) {
        narrow(p.row, p.rowRelative, kMaxRows, fit.firstRow, fit.lastRow);
        narrow(p.col, p.colRelative, kMaxColumns, fit.firstCol, fit.lastCol);
    };
    for (const Token& t : code.rpn) {
        if (t.kind == TokenKind::Ref) part(t.a);
        if (t.kind == TokenKind::Area) {
            part(t.a);
            part(t.b);
        }
    }
    return fit;
}

bool referencesFitSheet(const FormulaCode& code, CellAddress owner) { return ownersThatFit(code).contains(owner); }

}  // namespace host::xls
