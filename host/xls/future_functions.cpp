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

namespace host::xls {

namespace {

constexpr std::string_view kFuturePrefix = "_xlfn.";
constexpr std::uint16_t kOwnWorkbookMark = 0x0401;
constexpr std::uint16_t kAddInMark = 0x3A01;
constexpr std::uint16_t kNoSheet = 0xFFFE;  // -2: an XTI entry of a SUPBOOK without sheets
constexpr std::size_t kXtiSize = 6;

using LinkRecord = std::vector<std::uint8_t>;

std::uint16_t recordType(const LinkRecord& r) { return loadU16(r.data()); }

// A whole record of one piece, as the writer writes link records back.
bool whole(const LinkRecord& r) { return r.size() >= 4 && loadU16(r.data() + 2) == r.size() - 4; }

bool isAddInSupBook(const LinkRecord& r) { return r.size() == 8 && loadU16(r.data() + 6) == kAddInMark; }

void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

LinkRecord record(std::uint16_t type, const std::vector<std::uint8_t>& body) {
    LinkRecord r;
    r.reserve(4 + body.size());
    put16(r, type);
    put16(r, std::uint16_t(body.size()));
    r.insert(r.end(), body.begin(), body.end());
    return r;
}

// EXTERNNAME of an add-in function: no flags, the reserved field, the name, and a definition
// of two bytes, #REF!, as Excel writes it.
LinkRecord externName(const std::string& name) {
    std::vector<std::uint8_t> body(6, 0);
    const BiffText text = toBiffText(name, 255);
    body.push_back(std::uint8_t(text.units.size()));
    body.push_back(text.wide ? 1 : 0);
    for (char16_t u : text.units) {
        body.push_back(std::uint8_t(u));
        if (text.wide) body.push_back(std::uint8_t(u >> 8));
    }
    put16(body, 2);
    body.push_back(kPtgErr);
    body.push_back(std::uint8_t(ErrorCode::Ref));
    return record(kExternName, body);
}

std::string keptExternName(const LinkRecord& r) {
    try {
        return readRecordString(std::span<const std::uint8_t>(r).subspan(std::min<std::size_t>(r.size(), 10)), true,
                                "an EXTERNNAME record is damaged");
    } catch (const HostError&) {
        return {};  // names nothing the writer looks for
    }
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

FutureFunctionLinks::FutureFunctionLinks(const std::vector<LinkRecord>& kept, int sheetCount)
    : kept_(kept), sheetCount_(sheetCount), supBooksEnd_(kept.size()) {
    bool inAddIn = false;
    std::size_t firstOther = kept.size();
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const LinkRecord& r = kept[i];
        if (!whole(r)) continue;  // not written back
        const std::uint16_t type = recordType(r);
        if (inAddIn && type != kExternName) {
            addInNamesEnd_ = i;
            inAddIn = false;
        }
        if (type == kSupBook) {
            if (isAddInSupBook(r) && addInSupBook_ < 0) {
                addInSupBook_ = supBooks_;
                inAddIn = true;
            }
            ++supBooks_;
            supBooksEnd_ = i + 1;
        } else if (type == kExternName) {
            if (inAddIn) keptNames_.push_back(keptExternName(r));
            if (supBooks_ > 0) supBooksEnd_ = i + 1;
        } else {
            firstOther = std::min(firstOther, i);
        }
        if (type == kExternSheet && r.size() >= 6) {
            // The reader numbers the entries of every EXTERNSHEET record in turn; a new entry
            // goes at the end of the last one.
            externSheet_ = int(i);
            lastRecordEntries_ = std::uint16_t(std::min<std::size_t>(loadU16(r.data() + 4), (r.size() - 6) / kXtiSize));
            for (std::uint16_t e = 0; e < lastRecordEntries_; ++e) {
                if (addInSupBook_ >= 0 && addInEntry_ < 0 && loadU16(r.data() + 6 + kXtiSize * e) == addInSupBook_)
                    addInEntry_ = keptEntries_ + e;
            }
            keptEntries_ = std::uint16_t(keptEntries_ + lastRecordEntries_);
        }
    }
    if (inAddIn) addInNamesEnd_ = kept.size();
    if (supBooks_ == 0) supBooksEnd_ = firstOther;  // the SUPBOOKs come before EXTERNSHEET and NAME
}

FutureFunctionLinks::Name FutureFunctionLinks::nameOf(FunctionId id) {
    const FunctionInfo* f = functionById(id);
    const std::string name = std::string(kFuturePrefix) + std::string(f ? f->name : "");
    used_ = true;
    Name n;
    n.ixti = addInEntry_ >= 0 ? std::uint16_t(addInEntry_) : keptEntries_;
    auto at = std::find(keptNames_.begin(), keptNames_.end(), name);
    if (at != keptNames_.end() && addInSupBook_ >= 0) {
        n.index = std::uint16_t(at - keptNames_.begin() + 1);
        return n;
    }
    at = std::find(addedNames_.begin(), addedNames_.end(), name);
    if (at == addedNames_.end()) at = addedNames_.insert(addedNames_.end(), name);
    const std::size_t before = addInSupBook_ >= 0 ? keptNames_.size() : 0;
    n.index = std::uint16_t(before + std::size_t(at - addedNames_.begin()) + 1);
    return n;
}

std::vector<LinkRecord> FutureFunctionLinks::records() const {
    const bool newEntry = addInEntry_ < 0;
    // No call, or every call through a kept name and entry: the link tables stay as they came.
    if (!used_ || (addedNames_.empty() && !newEntry)) return kept_;

    const int addInBook = addInSupBook_ >= 0 ? addInSupBook_ : supBooks_ + (supBooks_ == 0 ? 1 : 0);
    std::vector<LinkRecord> names;
    for (const std::string& n : addedNames_) names.push_back(externName(n));

    std::vector<LinkRecord> newSupBooks;  // what goes before supBooksEnd_
    if (addInSupBook_ < 0) {
        if (supBooks_ == 0) {  // this workbook's own SUPBOOK comes first, as Excel writes it
            std::vector<std::uint8_t> own;
            put16(own, std::uint16_t(sheetCount_));
            put16(own, kOwnWorkbookMark);
            newSupBooks.push_back(record(kSupBook, own));
        }
        newSupBooks.push_back(record(kSupBook, {0x01, 0x00, std::uint8_t(kAddInMark), std::uint8_t(kAddInMark >> 8)}));
        newSupBooks.insert(newSupBooks.end(), names.begin(), names.end());
    }
    // The EXTERNSHEET: the kept entries, and one for the add-in SUPBOOK after them.
    std::vector<std::uint8_t> xti;
    if (externSheet_ >= 0) {
        const LinkRecord& r = kept_[std::size_t(externSheet_)];
        xti.assign(r.begin() + 6, r.begin() + 6 + std::ptrdiff_t(kXtiSize * lastRecordEntries_));
    }
    if (newEntry) {
        put16(xti, std::uint16_t(addInBook));
        put16(xti, kNoSheet);
        put16(xti, kNoSheet);
    }
    if (2 + xti.size() > kMaxRecordData)
        throw HostError("The workbook refers to too many other sheets and workbooks to save as an .xls file.");
    std::vector<std::uint8_t> externSheetBody;
    put16(externSheetBody, std::uint16_t(xti.size() / kXtiSize));
    externSheetBody.insert(externSheetBody.end(), xti.begin(), xti.end());
    const LinkRecord externSheet = record(kExternSheet, externSheetBody);

    std::vector<LinkRecord> out;
    out.reserve(kept_.size() + names.size() + 4);
    for (std::size_t i = 0; i <= kept_.size(); ++i) {
        if (addInSupBook_ >= 0 && i == addInNamesEnd_) out.insert(out.end(), names.begin(), names.end());
        if (i == supBooksEnd_) {
            out.insert(out.end(), newSupBooks.begin(), newSupBooks.end());
            if (externSheet_ < 0) out.push_back(externSheet);
        }
        if (i == kept_.size()) break;
        out.push_back(int(i) == externSheet_ ? externSheet : kept_[i]);
    }
    return out;
}

}  // namespace host::xls
