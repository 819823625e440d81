#include "xls/formula_render.h"

#include "xls/biff_function_map.h"

#include <cctype>
#include <cstdio>
#include <vector>

#include "host/value.h"
#include "xls/biff_constants.h"
#include "xls/biff_string.h"
#include "xls/byte_reader.h"

namespace host::xls {

namespace {

// Beyond this a rendering is not worth showing, and a hostile formula cannot make it slow.
constexpr std::size_t kMaxRenderedLength = 4096;

std::size_t classedTokenSize(std::uint8_t base) {
    switch (base) {
        case kPtgArray: return 8;
        case kPtgFunc: return 3;
        case kPtgFuncVar: return 4;
        case kPtgName: return 5;
        case kPtgRef:
        case kPtgRefErr:
        case kPtgRefN: return 5;
        case kPtgArea:
        case kPtgAreaErr:
        case kPtgAreaN: return 9;
        case kPtgMemArea:
        case kPtgMemErr:
        case kPtgMemNoMem: return 7;
        case kPtgMemFunc:
        case 0x0E:
        case 0x0F: return 3;  // tMemFunc, tMemAreaN, tMemNoMemN
        case kPtgNameX:
        case kPtgRef3d:
        case kPtgRefErr3d: return 7;
        case kPtgArea3d:
        case kPtgAreaErr3d: return 11;
        default: return 0;
    }
}

// The name of an add-in function ("_xlfn.STDEV.S"), or #NAME? for any other external name.
std::string addInName(std::uint16_t ixti, std::uint16_t index, const FormulaNames& names) {
    if (ixti >= names.externSheets.size()) return "#NAME?";
    const std::size_t book = names.externSheets[ixti].supBook;
    if (book >= names.supBookIsAddIn.size() || !names.supBookIsAddIn[book]) return "#NAME?";
    const auto& list = names.externNames[book];
    return index >= 1 && index <= list.size() && !list[index - 1].empty() ? list[index - 1] : "#NAME?";
}

std::string cellText(const RefField& f) {
    std::string s;
    if (!f.colRelative) s += '$';
    s += columnLetters(f.cell.col);
    if (!f.rowRelative) s += '$';
    s += std::to_string(f.cell.row + 1);
    return s;
}

// Whether a sheet name would read as a cell ("A1", "XFD99") or a row/column in the R1C1 form
// ("R1C1", "R2", "C"): other programs read such a name unquoted as the reference.
bool readsAsReference(const std::string& name) {
    std::size_t i = 0;
    while (i < name.size() && std::isalpha(static_cast<unsigned char>(name[i]))) ++i;
    const std::size_t letters = i;
    while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i]))) ++i;
    if (i == name.size() && letters >= 1 && letters <= 3 && i > letters) return true;
    std::string upper;
    for (char c : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::size_t j = 0;
    const auto part = [&](char letter) {
        if (j >= upper.size() || upper[j] != letter) return false;
        ++j;
        while (j < upper.size() && std::isdigit(static_cast<unsigned char>(upper[j]))) ++j;
        return true;
    };
    const bool r = part('R');
    const bool c = part('C');
    return (r || c) && j == upper.size();
}

std::string quotedSheet(const std::string& name) {
    bool plain = !name.empty() && !std::isdigit(static_cast<unsigned char>(name.front())) && !readsAsReference(name);
    for (char c : name) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.')) plain = false;
    }
    if (plain) return name;
    std::string out = "'";
    for (char c : name) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

std::string sheetPrefix(std::uint16_t ixti, const FormulaNames& names) {
    if (ixti >= names.externSheets.size()) return "#REF!";
    const auto& x = names.externSheets[ixti];
    const bool own = x.supBook < names.supBookIsOwnWorkbook.size() && names.supBookIsOwnWorkbook[x.supBook];
    if (!own) return "[" + std::to_string(x.supBook) + "]!";
    const auto valid = [&](int i) { return i >= 0 && static_cast<std::size_t>(i) < names.sheetNames.size(); };
    if (!valid(x.firstSheet) || !valid(x.lastSheet)) return "#REF!";
    const auto& first = names.sheetNames[static_cast<std::size_t>(x.firstSheet)];
    if (x.firstSheet == x.lastSheet) return quotedSheet(first) + "!";
    return quotedSheet(first + ":" + names.sheetNames[static_cast<std::size_t>(x.lastSheet)]) + "!";
}

std::string definedName(std::uint16_t index, const FormulaNames& names) {
    if (index == 0 || index > names.definedNames.size()) return "#NAME?";
    return names.definedNames[index - 1];
}

std::string numberText(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

}  // namespace

std::size_t tokenSize(std::span<const std::uint8_t> t) {
    if (t.empty()) return 0;
    const std::uint8_t ptg = t[0];
    std::size_t size = 0;
    if (ptg < 0x20) {
        switch (ptg) {
            case kPtgExp:
            case kPtgTbl: size = 5; break;
            case kPtgStr:
                if (t.size() < 3) return 0;
                size = 3 + std::size_t{t[1]} * ((t[2] & 0x01) ? 2 : 1);
                break;
            case kPtgAttr:
                if (t.size() < 4) return 0;
                size = 4;
                if (t[1] & kAttrChoose) size += (std::size_t{loadU16(t.data() + 2)} + 1) * 2;
                break;
            case kPtgErr:
            case kPtgBool: size = 2; break;
            case kPtgInt: size = 3; break;
            case kPtgNum: size = 9; break;
            default: size = (ptg >= kPtgAdd && ptg <= kPtgMissArg) ? 1 : 0; break;
        }
    } else if (ptg < 0x80) {
        size = classedTokenSize(ptg & 0x1F);
    }
    return size <= t.size() ? size : 0;
}

RefField readRefField(std::uint16_t row, std::uint16_t col, CellAddress owner, bool relativeForm) {
    RefField f;
    f.rowRelative = (col & 0x8000) != 0;
    f.colRelative = (col & 0x4000) != 0;
    if (relativeForm && f.rowRelative) {
        f.cell.row = (owner.row + static_cast<std::int16_t>(row) + kMaxRows) % kMaxRows;
    } else {
        f.cell.row = row;
    }
    if (relativeForm && f.colRelative) {
        f.cell.col = (owner.col + static_cast<std::int8_t>(col & 0xFF) + kMaxColumns) % kMaxColumns;
    } else {
        f.cell.col = col & 0x3FFF;
    }
    return f;
}

std::optional<std::string> renderFormula(std::span<const std::uint8_t> tokens, CellAddress owner, bool relativeForms,
                                         const FormulaNames& names) {
    std::vector<std::string> stack;
    auto pop = [&](std::string& out) {
        if (stack.empty()) return false;
        out = std::move(stack.back());
        stack.pop_back();
        return true;
    };
    auto call = [&](std::string_view name, std::size_t argc) {
        if (argc > stack.size()) return false;
        std::string s(name);
        s += '(';
        for (std::size_t i = stack.size() - argc; i < stack.size(); ++i) {
            if (i > stack.size() - argc) s += ',';
            s += stack[i];
        }
        s += ')';
        stack.resize(stack.size() - argc);
        stack.push_back(std::move(s));
        return true;
    };

    std::size_t pos = 0;
    while (pos < tokens.size()) {
        const auto t = tokens.subspan(pos);
        const std::size_t size = tokenSize(t);
        if (size == 0) return std::nullopt;
        pos += size;
        const std::uint8_t ptg = t[0];
        if (ptg >= kPtgAdd && ptg <= kPtgRange) {
            static constexpr std::string_view kOps[] = {
                "+", "-", "*", "/", "^", "&", "<", "<=", "=", ">=", ">", "<>", " ", ",", ":"};
            std::string b, a;
            if (!pop(b) || !pop(a)) return std::nullopt;
            stack.push_back(a + std::string(kOps[ptg - kPtgAdd]) + b);
        } else if (ptg == kPtgUplus || ptg == kPtgUminus) {
            if (stack.empty()) return std::nullopt;
            stack.back().insert(0, ptg == kPtgUplus ? "+" : "-");
        } else if (ptg == kPtgPercent) {
            if (stack.empty()) return std::nullopt;
            stack.back() += '%';
        } else if (ptg == kPtgParen) {
            if (stack.empty()) return std::nullopt;
            stack.back() = "(" + stack.back() + ")";
        } else if (ptg == kPtgMissArg) {
            stack.emplace_back();
        } else if (ptg == kPtgStr) {
            std::size_t used = 0;
            const std::string text = readRecordString(t.subspan(1), true, "formula string", &used);
            std::string s = "\"";
            for (char c : text) {
                s += c;
                if (c == '"') s += '"';
            }
            stack.push_back(s + "\"");
        } else if (ptg == kPtgAttr) {
            if ((t[1] & kAttrSum) && !call("SUM", 1)) return std::nullopt;
        } else if (ptg == kPtgErr) {
            const auto e = errorFromCode(t[1]);
            stack.emplace_back(e ? errorText(*e) : "#VALUE!");
        } else if (ptg == kPtgBool) {
            stack.emplace_back(t[1] ? "TRUE" : "FALSE");
        } else if (ptg == kPtgInt) {
            stack.push_back(std::to_string(loadU16(t.data() + 1)));
        } else if (ptg == kPtgNum) {
            stack.push_back(numberText(loadF64(t.data() + 1)));
        } else if (ptg >= 0x20) {
            const std::uint8_t base = ptg & 0x1F;
            const std::uint8_t* d = t.data() + 1;
            switch (base) {
                case kPtgFunc: {
                    const BiffFunction* f = biffFunction(loadU16(d));
                    if (!f || f->fixedArgs < 0 || !call(f->name, f->fixedArgs)) return std::nullopt;
                    break;
                }
                case kPtgFuncVar: {
                    const std::size_t argc = d[0] & 0x7F;
                    const std::uint16_t number = loadU16(d + 1) & 0x7FFF;
                    if (number == 255) {
                        // An add-in or macro function: its name is the first argument.
                        if (argc == 0 || argc > stack.size()) return std::nullopt;
                        const std::string name = stack[stack.size() - argc];
                        stack.erase(stack.end() - static_cast<std::ptrdiff_t>(argc));
                        if (!call(name, argc - 1)) return std::nullopt;
                        break;
                    }
                    const BiffFunction* f = biffFunction(number);
                    if (!f || !call(f->name, argc)) return std::nullopt;
                    break;
                }
                case kPtgName: stack.push_back(definedName(loadU16(d), names)); break;
                case kPtgNameX: {
                    const std::uint16_t ixti = loadU16(d);
                    const bool own = ixti < names.externSheets.size() &&
                                     names.externSheets[ixti].supBook < names.supBookIsOwnWorkbook.size() &&
                                     names.supBookIsOwnWorkbook[names.externSheets[ixti].supBook];
                    if (own) {
                        stack.push_back(definedName(loadU16(d + 2), names));
                    } else {
                        stack.push_back(addInName(ixti, loadU16(d + 2), names));
                    }
                    break;
                }
                case kPtgRef:
                case kPtgRefN:
                    stack.push_back(
                        cellText(readRefField(loadU16(d), loadU16(d + 2), owner, base == kPtgRefN && relativeForms)));
                    break;
                case kPtgArea:
                case kPtgAreaN: {
                    const bool rel = base == kPtgAreaN && relativeForms;
                    stack.push_back(cellText(readRefField(loadU16(d), loadU16(d + 4), owner, rel)) + ":" +
                                    cellText(readRefField(loadU16(d + 2), loadU16(d + 6), owner, rel)));
                    break;
                }
                case kPtgRef3d:
                    stack.push_back(sheetPrefix(loadU16(d), names) +
                                    cellText(readRefField(loadU16(d + 2), loadU16(d + 4), owner, relativeForms)));
                    break;
                case kPtgArea3d:
                    stack.push_back(sheetPrefix(loadU16(d), names) +
                                    cellText(readRefField(loadU16(d + 2), loadU16(d + 6), owner, relativeForms)) + ":" +
                                    cellText(readRefField(loadU16(d + 4), loadU16(d + 8), owner, relativeForms)));
                    break;
                case kPtgRefErr:
                case kPtgAreaErr: stack.emplace_back("#REF!"); break;
                case kPtgRefErr3d:
                case kPtgAreaErr3d: stack.push_back(sheetPrefix(loadU16(d), names) + "#REF!"); break;
                case kPtgMemArea:
                case kPtgMemErr:
                case kPtgMemNoMem:
                case kPtgMemFunc:
                case 0x0E:
                case 0x0F: break;  // the subexpression that follows gives the value
                default: return std::nullopt;  // array constants and the like
            }
        } else {
            return std::nullopt;  // tExp, tTbl and unknown tokens
        }
        if (!stack.empty() && stack.back().size() > kMaxRenderedLength) return std::nullopt;
    }
    if (stack.size() != 1) return std::nullopt;
    return "=" + stack.front();
}

}  // namespace host::xls
