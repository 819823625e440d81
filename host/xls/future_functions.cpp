#include "xls/future_functions.h"

#include <algorithm>

#include "host/host_error.h"
#include "host/value.h"
#include "xls/biff_constants.h"
#include "xls/biff_function_map.h"
#include "xls/biff_record_writer.h"
#include "xls/biff_string.h"
#include "xls/biff_text.h"
#include "xls/byte_reader.h"
#include "xls/link_record.h"

namespace host::xls {

namespace {

constexpr std::string_view kFuturePrefix = "_xlfn.";
// A hidden name of a macro function (fHidden, fFunc, fProc), as such names are written.
constexpr std::uint16_t kHiddenFunctionName = 0x000B;
constexpr std::uint16_t kBuiltinName = 0x0020;
constexpr std::size_t kNameHeader = 14;  // flags .. reserved7: the NAME record's fixed part

using LinkRecord = std::vector<std::uint8_t>;

void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

// The name of a kept NAME record; empty for a built-in or damaged one (no "_xlfn." name).
std::string keptName(const LinkRecord& r) {
    if (r.size() < 4 + kNameHeader + 1 || (loadU16(r.data() + 4) & kBuiltinName)) return {};
    const std::size_t count = r[4 + 3];
    const bool wide = r[4 + kNameHeader] & 0x01;
    const std::size_t at = 4 + kNameHeader + 1;
    if (r.size() < at + count * (wide ? 2 : 1)) return {};
    std::string name;
    for (std::size_t i = 0; i < count; ++i) appendUtf8(name, wide ? loadU16(r.data() + at + 2 * i) : r[at + i]);
    return name;
}

// NAME "_xlfn.IFERROR": hidden, a macro function's, defined as #NAME? (the macro Excel
// versions before the function find nowhere).
LinkRecord hiddenFunctionName(const std::string& name) {
    const BiffText text = toBiffText(name, 255);
    LinkRecord r;
    put16(r, kName);
    put16(r, 0);  // its size, set below
    put16(r, kHiddenFunctionName);
    r.push_back(0);  // no keyboard shortcut
    r.push_back(std::uint8_t(text.units.size()));
    put16(r, 2);  // the definition's size
    r.insert(r.end(), 8, 0);  // reserved, global (itab 0), reserved
    r.push_back(text.wide ? 1 : 0);
    for (char16_t u : text.units) {
        r.push_back(std::uint8_t(u));
        if (text.wide) r.push_back(std::uint8_t(u >> 8));
    }
    r.push_back(kPtgErr);
    r.push_back(std::uint8_t(ErrorCode::Name));
    store16(r.data() + 2, std::uint16_t(r.size() - 4));
    return r;
}

}  // namespace

const FunctionInfo* futureFunction(std::string_view externName) {
    if (!externName.starts_with(kFuturePrefix)) return nullptr;
    const FunctionInfo* f = functionByName(externName.substr(kFuturePrefix.size()));
    return f && !biffFunction(f->id) ? f : nullptr;
}

const FunctionInfo* futureFunction(const FormulaNames& names, std::uint16_t ixti, std::uint16_t nameIndex) {
    if (ixti >= names.externSheets.size()) return nullptr;
    const std::size_t book = names.externSheets[ixti].supBook;
    if (book >= names.supBookIsAddIn.size() || !names.supBookIsAddIn[book]) return nullptr;
    const auto& list = names.externNames[book];
    if (nameIndex == 0 || nameIndex > list.size()) return nullptr;
    return futureFunction(list[nameIndex - 1]);
}

const FunctionInfo* futureFunctionOfDefinedName(const FormulaNames& names, std::uint16_t nameIndex) {
    if (nameIndex == 0 || nameIndex > names.definedNames.size()) return nullptr;
    return futureFunction(names.definedNames[nameIndex - 1]);
}

FutureFunctionNames::FutureFunctionNames(const std::vector<LinkRecord>& kept) : kept_(kept) {
    // The writer writes only whole records back: those are the names kept tokens count.
    for (const LinkRecord& r : kept) {
        if (isWholeLinkRecord(r) && loadU16(r.data()) == kName) keptNames_.push_back(keptName(r));
    }
}

std::uint16_t FutureFunctionNames::nameOf(FunctionId id) {
    const FunctionInfo* f = functionById(id);
    const std::string name = std::string(kFuturePrefix) + std::string(f ? f->name : "");
    auto at = std::find(keptNames_.begin(), keptNames_.end(), name);
    if (at != keptNames_.end()) return std::uint16_t(at - keptNames_.begin() + 1);
    at = std::find(addedNames_.begin(), addedNames_.end(), name);
    if (at == addedNames_.end()) {
        if (keptNames_.size() + addedNames_.size() >= 0xFFFF)
            throw HostError("The workbook has too many defined names to save as an .xls file.");
        at = addedNames_.insert(addedNames_.end(), name);
    }
    return std::uint16_t(keptNames_.size() + std::size_t(at - addedNames_.begin()) + 1);
}

std::vector<LinkRecord> FutureFunctionNames::records() const {
    if (addedNames_.empty()) return kept_;
    // The new names after every kept record: the NAME records come last among them.
    std::vector<LinkRecord> out = kept_;
    for (const std::string& name : addedNames_) out.push_back(hiddenFunctionName(name));
    return out;
}

}  // namespace host::xls
