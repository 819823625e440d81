// Runs of one formula down a column are saved as shared formulas, as LibreOffice and Excel save
// them: each cell's record points at the run's first cell, whose record is followed by the
// tokens once, with offsets for the relative references. The groups must be laid out as the
// format wants them, whichever of the two writers of a tall sheet writes a cell, and the
// formulas must come back whole: through our own reader, and through LibreOffice, which
// recomputes every formula from those tokens.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "host/workbook.h"
#include "host/workbook_files.h"
#include "raw_records.h"
#include "test_clients.h"
#include "xls/biff_constants.h"
#include "xls/workbook_writer.h"

namespace fs = std::filesystem;
using namespace writer_test;

namespace {

constexpr int kRows = 6000;  // tall enough for two writers; their split falls inside a group
constexpr std::uint16_t kShrFmla = 0x04BC;

std::string r1(int row) { return std::to_string(row + 1); }

// What each formula cell holds, by (row, column).
using Formulas = std::map<std::pair<int, int>, std::string>;

Formulas fillSheet(host::Worksheet& s) {
    Formulas f;
    const auto formula = [&](int row, int col, const std::string& text) {
        s.setTyped({row, col}, text);
        f[{row, col}] = text;
    };
    s.beginLoad();
    for (int row = 0; row < kRows; ++row) {
        s.setValue({row, 0}, host::Value::fromNumber(row * 0.5 + 1));
        formula(row, 1, "=A" + r1(row) + "*2");  // one run down the whole sheet
        if (row < 1500 && row != 1000) formula(row, 2, "=SUM(A$1:A" + r1(row) + ")");  // broken by a constant
        if (row == 1000) s.setValue({row, 2}, host::Value::fromNumber(7));
        if (row < 300) formula(row, 3, "=$A$1+A" + r1(row));  // absolute and relative together
        if (row >= 1 && row < 300) formula(row, 4, "=D" + r1(row - 1) + "-A" + r1(row - 1));  // the row above
        formula(row, 5, row % 3 == 2 ? "=B" + r1(row) : "=A" + r1(row));  // runs of two, and single cells
        if (row < 600) formula(row, 6, "=IF(A" + r1(row) + ">10,\"big\",\"small\")");  // text results
        formula(row, 7, "=A" + r1(row) + "+B" + r1(row));  // columns to the left
    }
    s.endLoad();
    return f;
}

}  // namespace

TEST(SharedFormulas, EachRunIsSharedInGroupsTheFormatAllows) {
    auto book = host::Workbook::createDefault();
    const Formulas formulas = fillSheet(book->sheet(0));
    const std::vector<RawRecord> recs = records(host::xls::buildWorkbookStream(*book).joined());

    struct Group {
        int first, last, col, cells = 0;
    };
    std::map<std::pair<int, int>, Group> groups;  // by their first cell
    std::map<int, int> groupsInColumn;
    std::size_t formulaRecords = 0, shared = 0;
    for (std::size_t i = 0; i < recs.size(); ++i) {
        if (recs[i].type == kShrFmla) ADD_FAILURE() << "shared tokens after something other than their first cell";
        if (recs[i].type != host::xls::kFormula) continue;
        const RawRecord& r = recs[i];
        const int row = r.u16(0), col = r.u16(2);
        ++formulaRecords;
        EXPECT_EQ(formulas.count({row, col}), 1u) << row << "," << col;
        if (!(r.u16(14) & 0x0008)) continue;
        ++shared;
        ASSERT_EQ(r.u16(20), 5) << "a shared cell holds one tExp token";
        ASSERT_EQ(r.data.at(22), 0x01);
        const int anchorRow = r.u16(23), anchorCol = r.u16(25);
        EXPECT_EQ(anchorCol, col);
        if (anchorRow == row) {  // the group's first cell: its shared tokens come next
            ASSERT_LT(i + 1, recs.size());
            const RawRecord& s = recs[++i];
            ASSERT_EQ(s.type, kShrFmla) << "at row " << row;
            const Group g{s.u16(0), s.u16(2), s.data.at(4)};
            EXPECT_EQ(g.first, row);
            EXPECT_EQ(s.data.at(5), col);
            EXPECT_LE(g.last - g.first + 1, 255);
            EXPECT_GT(g.last, g.first) << "a group of one cell is a plain formula";
            EXPECT_EQ(s.data.at(7), g.last - g.first + 1) << "the cells that use it";
            groups[{row, col}] = g;
            ++groupsInColumn[col];
        }
        auto g = groups.find({anchorRow, anchorCol});
        ASSERT_NE(g, groups.end()) << "row " << row << " points at a group not met before";
        EXPECT_GE(row, g->second.first);
        EXPECT_LE(row, g->second.last);
        ++g->second.cells;
    }
    for (const auto& [at, g] : groups) EXPECT_EQ(g.cells, g.last - g.first + 1) << at.first << "," << at.second;
    EXPECT_EQ(formulaRecords, formulas.size());
    EXPECT_EQ(groupsInColumn[1], (kRows + 254) / 255);
    EXPECT_EQ(groupsInColumn[2], 4 + 2);  // 1000 rows, then 499
    EXPECT_EQ(groupsInColumn[5], kRows / 3);
    // Only the single cells of column F (every third row) are plain.
    EXPECT_EQ(formulaRecords - shared, std::size_t(kRows / 3));
}

TEST(SharedFormulas, EveryFormulaComesBackThroughOurReaderAndLibreOffice) {
    char tmpl[] = "/tmp/tallomer-shared-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    const std::string path = dir + "/shared.xls";
    auto book = host::Workbook::createDefault();
    const Formulas formulas = fillSheet(book->sheet(0));
    const host::Worksheet& original = book->sheet(0);
    host::saveWorkbookFile(*book, path);

    const auto reread = host::loadWorkbookFile(path);
    const host::Worksheet& back = reread->sheet(0);
    int mismatches = 0;
    for (const auto& [at, text] : formulas) {
        const host::CellAddress a{at.first, at.second};
        if (back.formulaText(a) != original.formulaText(a) || !(back.value(a) == original.value(a))) {
            if (++mismatches <= 5) ADD_FAILURE() << "row " << a.row << " col " << a.col << ": " << back.formulaText(a);
        }
    }
    EXPECT_EQ(mismatches, 0);

    // LibreOffice computes each formula again from the shared tokens.
    const auto sheets = libreOfficeSheets({path}, dir);
    ASSERT_EQ(sheets.count(path), 1u) << "LibreOffice wrote nothing (is soffice installed?)";
    const Csv& csv = sheets.at(path).begin()->second;
    ASSERT_GE(csv.size(), std::size_t(kRows));
    mismatches = 0;
    for (const auto& [at, text] : formulas) {
        const host::Value v = original.value({at.first, at.second});
        const std::string want = v.kind == host::Value::Kind::Text ? v.text : std::to_string(v.number);
        const auto& row = csv[std::size_t(at.first)];
        const std::string got = std::size_t(at.second) < row.size() ? row[std::size_t(at.second)] : "";
        if (!sameField(got, want) && ++mismatches <= 5) {
            ADD_FAILURE() << text << " at row " << at.first << ": LibreOffice " << got << ", we " << want;
        }
    }
    EXPECT_EQ(mismatches, 0);
    fs::remove_all(dir);
}
