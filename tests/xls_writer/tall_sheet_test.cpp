// A sheet tall enough to be written by two writers at once must come out as one writer would
// write it: rows in order, every row block whole, and the shared string table counting and
// indexing every text cell in the order the cells come.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/host_error.h"
#include "host/workbook.h"
#include "raw_records.h"
#include "too_long_formula.h"
#include "xls/biff_constants.h"
#include "xls/workbook_writer.h"

using namespace host::xls;
using writer_test::RawRecord;
using writer_test::records;

namespace {

// The strings of an SST that fits one record, all of them compressed (these texts are ASCII).
std::vector<std::string> sstStrings(const RawRecord& sst) {
    std::vector<std::string> strings;
    for (std::size_t at = 8, n = sst.u32(4); strings.size() < n;) {
        const std::size_t count = sst.u16(at);
        strings.emplace_back(sst.data.begin() + at + 3, sst.data.begin() + at + 3 + count);
        at += 3 + count;
    }
    return strings;
}

}  // namespace

TEST(TallSheet, TwoWritersWriteWhatOneWould) {
    auto book = host::Workbook::createDefault();
    host::Worksheet& sheet = book->sheet(0);
    std::map<std::pair<int, int>, std::string> texts;
    const auto text = [&](int row, int col, const std::string& t) {
        sheet.setValue({row, col}, host::Value::fromText(t));
        texts[{row, col}] = t;
    };
    sheet.beginLoad();
    text(0, 0, "heading");
    for (int row = 1; row < 9000; ++row) {
        if (row % 7 == 0) text(row, 0, "kind " + std::to_string(row % 5));
        if (row % 1000 == 999) text(row, 3, "rare " + std::to_string(row));
        sheet.setValue({row, 1}, host::Value::fromNumber(row * 0.5));
        if (row % 3 == 0) sheet.setTyped({row, 2}, "=B" + std::to_string(row + 1) + "&\"!\"");
        if (row % 11 == 0) sheet.setBold({{row, 4}, {row, 4}}, true);  // a styled blank
    }
    text(8999, 0, "Total");
    sheet.endLoad();

    const std::vector<RawRecord> recs = records(buildWorkbookStream(*book).joined());
    std::vector<std::string> strings;
    std::uint32_t totalUses = 0;
    std::size_t firstSheet = 0;
    for (std::size_t i = 0; i < recs.size(); ++i) {
        if (recs[i].type == kSst) {
            strings = sstStrings(recs[i]);
            totalUses = recs[i].u32(0);
        }
        if (recs[i].type == kBof && i > 0) {
            firstSheet = i;
            break;
        }
    }
    ASSERT_GT(firstSheet, 0u);

    int lastRow = -1, block = -1, labels = 0;
    bool cellsOfBlockSeen = false;
    std::set<std::string> distinct;
    for (std::size_t i = firstSheet; i < recs.size() && recs[i].type != kEof; ++i) {
        const RawRecord& r = recs[i];
        if (r.type == kRow) {
            const int row = r.u16(0);
            if (row / 32 != block) {
                block = row / 32;
                cellsOfBlockSeen = false;
            }
            EXPECT_FALSE(cellsOfBlockSeen) << "ROW " << row << " after cells of its block";
            continue;
        }
        if (r.type != kLabelSst && r.type != kFormula && r.type != 0x027E && r.type != 0x00BD && r.type != 0x0201 &&
            r.type != 0x00BE && r.type != 0x0203) {
            continue;
        }
        const int row = r.u16(0);
        EXPECT_GE(row, lastRow) << "cells out of order";
        EXPECT_EQ(row / 32, block) << "a cell outside the block its ROW records opened";
        lastRow = row;
        cellsOfBlockSeen = true;
        if (r.type == kLabelSst) {
            ++labels;
            const std::string& want = texts.at({row, r.u16(2)});
            ASSERT_LT(r.u32(6), strings.size());
            EXPECT_EQ(strings[r.u32(6)], want) << "row " << row;
            distinct.insert(want);
        }
    }
    EXPECT_EQ(lastRow, 8999);
    EXPECT_EQ(labels, static_cast<int>(texts.size()));
    EXPECT_EQ(totalUses, texts.size());
    EXPECT_EQ(strings.size(), distinct.size());
    // The table lists the texts in the order their first cells come, as one writer adds them.
    std::vector<std::string> firstSeen;
    std::set<std::string> seen;
    for (const auto& [at, t] : texts) {
        if (seen.insert(t).second) firstSeen.push_back(t);
    }
    EXPECT_EQ(strings, firstSeen);
}

TEST(TallSheet, AFormulaTooLongInEitherHalfFailsTheWholeStream) {
    const host::FormulaPtr tooLong = writer_test::formulaTooLongToSave();
    for (int badRow : {100, 8500}) {  // one row for each writer
        auto book = host::Workbook::createDefault();
        host::Worksheet& sheet = book->sheet(0);
        sheet.beginLoad();
        for (int row = 0; row < 9000; ++row) sheet.setValue({row, 0}, host::Value::fromNumber(row));
        sheet.setFormula({badRow, 1}, tooLong);
        sheet.endLoad();
        EXPECT_THROW(buildWorkbookStream(*book), host::HostError) << "row " << badRow;
    }
}
