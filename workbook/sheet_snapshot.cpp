#include "workbook/sheet_snapshot.h"

#include "host/application.h"

namespace tallomer {

namespace {
constexpr int kColumnK = 10;
}

std::optional<SheetSnapshot> SheetSnapshot::take(host::Application& xlApp, int firstRow, int lastRow) {
    host::Workbook* book = xlApp.activeWorkbook();
    if (!book) return std::nullopt;
    const host::Worksheet& sheet = book->activeSheet();
    SheetSnapshot snapshot;
    auto keep = [&](host::CellAddress at) {
        const host::CellView view = sheet.cell(at);
        Cell cell{at, view.kind == host::CellView::Kind::Formula, {}, view.value, view.style};
        if (cell.formula) cell.formulaText = sheet.formulaText(at);
        snapshot.cells_.push_back(std::move(cell));
    };
    keep({0, 1});  // B1, the entries count
    for (int row = std::max(firstRow, 1); row <= std::min(lastRow, host::kMaxRows); ++row) {
        for (int col = 0; col <= kColumnK; ++col) keep({row - 1, col});
    }
    return snapshot;
}

void SheetSnapshot::restore(host::Application& xlApp, host::CellAddress cursor) const {
    host::Workbook* book = xlApp.activeWorkbook();
    if (!book) return;
    host::Worksheet& sheet = book->activeSheet();
    for (const Cell& cell : cells_) {
        if (cell.formula) {
            sheet.setTyped(cell.at, cell.formulaText);
        } else {
            sheet.setValue(cell.at, cell.value);
        }
        sheet.setStyleIndex(cell.at, cell.style);
    }
    sheet.selectCell(cursor);
}

}  // namespace tallomer
