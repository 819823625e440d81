#include "xls/sheet_numbering.h"

#include <algorithm>
#include <string>
#include "xls/biff_constants.h"

#include "xls/byte_reader.h"
#include "xls/link_record.h"

namespace host::xls {

namespace {

constexpr std::uint16_t kOwnWorkbookMark = 0x0401;
constexpr int kDeletedSheet = -1;  // an EXTERNSHEET entry to no sheet: the reference reads #REF!

void store16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

SheetNumbering::SheetNumbering(const std::vector<bool>& kept) {
    newIndex_.reserve(kept.size());
    for (const bool k : kept) {
        newIndex_.push_back(k ? keptCount_++ : -1);
        changes_ = changes_ || !k;
    }
}

bool SheetNumbering::range(int& first, int& last) const {
    const int size = static_cast<int>(newIndex_.size());
    if (first < 0 || last < first || first >= size) return false;
    int a = first;
    int b = std::min(last, size - 1);
    while (a <= b && newIndex_[static_cast<std::size_t>(a)] < 0) ++a;
    while (b >= a && newIndex_[static_cast<std::size_t>(b)] < 0) --b;
    if (a > b) return false;
    first = newIndex_[static_cast<std::size_t>(a)];
    last = newIndex_[static_cast<std::size_t>(b)];
    return true;
}

void SheetNumbering::renumber(FormulaNames& names) const {
    if (!changes_) return;
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < newIndex_.size() && i < names.sheetNames.size(); ++i) {
        if (newIndex_[i] >= 0) kept.push_back(names.sheetNames[i]);
    }
    names.sheetNames = std::move(kept);
    for (auto& x : names.externSheets) {
        const bool own = x.supBook < names.supBookIsOwnWorkbook.size() && names.supBookIsOwnWorkbook[x.supBook];
        if (!own || x.firstSheet < 0) continue;
        if (!range(x.firstSheet, x.lastSheet)) x.firstSheet = x.lastSheet = kDeletedSheet;
    }
}

void SheetNumbering::renumber(std::vector<std::vector<std::uint8_t>>& linkRecords) const {
    if (!changes_) return;
    std::vector<bool> ownSupBook;
    for (auto& r : linkRecords) {
        // Only whole records are written back; the others are left as they are. The fields
        // renumbered here lie in a record's first piece (an EXTERNSHEET long enough to need
        // CONTINUE records, over 1,370 entries, keeps the numbers of its later ones).
        if (!isWholeLinkRecord(r)) continue;
        const std::uint16_t id = loadU16(r.data());
        const std::size_t size = loadU16(r.data() + 2);
        if (id == kSupBook) {
            const bool own = size == 4 && loadU16(r.data() + 6) == kOwnWorkbookMark;
            ownSupBook.push_back(own);
            if (own) store16(r, 4, static_cast<std::uint16_t>(keptCount_));
        } else if (id == kExternSheet && size >= 2) {
            const std::size_t count = std::min<std::size_t>(loadU16(r.data() + 4), (size - 2) / 6);
            for (std::size_t i = 0; i < count; ++i) {
                const std::size_t at = 6 + 6 * i;
                const std::uint16_t supBook = loadU16(r.data() + at);
                int first = static_cast<std::int16_t>(loadU16(r.data() + at + 2));
                int last = static_cast<std::int16_t>(loadU16(r.data() + at + 4));
                if (supBook >= ownSupBook.size() || !ownSupBook[supBook] || first < 0) continue;
                if (!range(first, last)) first = last = kDeletedSheet;
                store16(r, at + 2, static_cast<std::uint16_t>(first));
                store16(r, at + 4, static_cast<std::uint16_t>(last));
            }
        } else if (id == kName && size >= 10) {
            // A name local to a sheet counts it from 1; one local to a sheet not kept becomes
            // the workbook's.
            const int local = loadU16(r.data() + 4 + 8);
            if (local == 0) continue;
            int sheet = local - 1;
            int same = sheet;
            store16(r, 4 + 8, range(sheet, same) ? static_cast<std::uint16_t>(sheet + 1) : 0);
        }
    }
}

}  // namespace host::xls
