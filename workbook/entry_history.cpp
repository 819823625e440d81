#include "workbook/entry_history.h"

#include <exception>

#include "host/application.h"
#include "host/style.h"
#include "workbook/daily_record.h"
#include "workbook/display_forms.h"
#include "workbook/entries_count.h"
#include "workbook/main_window.h"
#include "workbook/results_display.h"
#include "workbook/sheet_failure.h"
#include "workbook/totals_row.h"

namespace tallomer {

namespace {
constexpr int kColumnK = 10;
constexpr int kLeftAlignedRows = 1000;  // a new sheet's layout aligns A1:A1000 left

host::Worksheet* activeSheet(const SharedState& state) {
    if (!state.xlApp) return nullptr;
    host::Workbook* book = state.xlApp->activeWorkbook();
    return book ? &book->activeSheet() : nullptr;
}

// Empties a row of A to K and gives its cells back the formats a new sheet's layout sets.
void emptyRow(host::Application& xlApp, int row) {
    host::Worksheet& sheet = xlApp.activeWorkbook()->activeSheet();
    for (int col = 0; col <= kColumnK; ++col) {
        sheet.clearContents({row - 1, col});
        sheet.setStyleIndex({row - 1, col}, 0);
    }
    if (row <= kLeftAlignedRows) xlApp.range("A" + std::to_string(row)).setHorizontalAlignment(host::xlLeft);
}

// The 26 boxes, to put back when a command fails half-way through filling them.
struct Boxes {
    explicit Boxes(const MainWindow& window) {
        for (int box = 1; box <= 26; ++box) texts[box] = window.boxText(box);
    }
    void restore(MainWindow& window) const {
        for (int box = 1; box <= 26; ++box) window.setBoxText(box, texts[box]);
    }
    std::array<std::string, 27> texts;
};
}  // namespace

EntryHistory::EntryHistory(SharedState& state, MainWindow& window) : state_(state), window_(window) {}

bool EntryHistory::submit() {
    EntryTexts texts;
    for (int box = 1; box <= 6; ++box) texts[box - 1] = window_.boxText(box);
    if (!Form1_Command1_Click(state_, window_)) return false;
    typed_.push_back(texts);
    redo_.clear();
    if (recorder) recorder(EntryStep::Submit, texts);
    return true;
}

bool EntryHistory::addEntry(const EntryTexts& texts) {
    for (int box = 1; box <= 6; ++box) window_.setBoxText(box, texts[box - 1]);
    return submit();
}

int EntryHistory::entriesOnSheet() const {
    const host::Worksheet* sheet = activeSheet(state_);
    if (!sheet) return -1;
    try {
        return EntriesCount(sheet->read({0, 1}));
    } catch (const std::exception&) {
        return -1;
    }
}

bool EntryHistory::canUndo() const { return entriesOnSheet() > 0; }

EntryTexts EntryHistory::textsOfRow(int row) const {
    const host::Worksheet& sheet = *activeSheet(state_);
    const bool date1904 = state_.xlApp->activeWorkbook()->date1904;
    // In the forms the display shows them: day first, figures in the general number form.
    EntryTexts texts;
    texts[0] = DateDisplay(sheet.read({row - 1, 0}), date1904);
    constexpr int kColumns[] = {1, 2, 3, 4, 7};  // B, C, D, E, H
    for (int i = 0; i < 5; ++i) texts[i + 1] = ValueForm(sheet.read({row - 1, kColumns[i]}));
    return texts;
}

std::string EntryHistory::undoDate() const {
    const int n = entriesOnSheet();
    if (n <= 0) return {};
    if (!typed_.empty()) return typed_.back()[0];
    try {
        return textsOfRow(n + 2)[0];
    } catch (const std::exception&) {
        return {};
    }
}

std::string EntryHistory::redoDate() const { return redo_.empty() ? std::string() : redo_.back().texts[0]; }

void EntryHistory::forgetRun() {
    typed_.clear();
    redo_.clear();
}

bool EntryHistory::undo() {
    const int n = entriesOnSheet();
    if (n <= 0) return false;
    host::Application& xlApp = *state_.xlApp;
    const int dataRow = n + 2, totalsRow = n + 3;
    const host::CellAddress cursor = activeSheet(state_)->activeCell();
    std::optional<SheetSnapshot> before = SheetSnapshot::take(xlApp, dataRow, totalsRow);
    const Boxes boxes(window_);
    Undone undone{typed_.empty() ? EntryTexts{} : typed_.back(), !typed_.empty(), *before};
    try {
        if (!undone.typed) undone.texts = textsOfRow(dataRow);
        emptyRow(xlApp, totalsRow);
        emptyRow(xlApp, dataRow);
        if (n > 1) {
            xlApp.range("A" + std::to_string(dataRow)).select();
            WriteTotalsRow(xlApp, nullptr, std::to_string(dataRow - 1));
        }
        activeSheet(state_)->setNumber({0, 1}, n - 1);
        ShowResults(xlApp, window_);  // leaves the cursor in A of the totals row
    } catch (const std::exception& failure) {
        try {
            before->restore(xlApp, cursor);
        } catch (const std::exception&) {
            // The host refuses even the repair; the message is all that is left.
        }
        boxes.restore(window_);
        window_.message(std::string("The last entry could not be undone.\n") + failure.what());
        return false;
    }
    for (int box = 1; box <= 6; ++box) window_.setBoxText(box, undone.texts[box - 1]);
    window_.focusDateBox();
    state_.Saved = "False";
    if (undone.typed) typed_.pop_back();
    redo_.push_back(std::move(undone));
    if (recorder) recorder(EntryStep::Undo, redo_.back().texts);
    return true;
}

bool EntryHistory::redo() {
    if (redo_.empty()) return false;
    const int n = entriesOnSheet();
    if (n < 0) return false;
    host::Application& xlApp = *state_.xlApp;
    Undone undone = redo_.back();
    if (undone.typed) {
        // Submit writes at the cursor: the totals row, where the entry stood.
        xlApp.range("A" + std::to_string(n + 3)).select();
        const Boxes boxes(window_);
        for (int box = 1; box <= 6; ++box) window_.setBoxText(box, undone.texts[box - 1]);
        if (!Form1_Command1_Click(state_, window_)) {
            boxes.restore(window_);
            return false;
        }
        typed_.push_back(undone.texts);
    } else {
        const host::CellAddress cursor = activeSheet(state_)->activeCell();
        std::optional<SheetSnapshot> before = SheetSnapshot::take(xlApp, n + 3, n + 4);
        const Boxes boxes(window_);
        try {
            undone.rows.restore(xlApp, {n + 3, 0});
            ShowResults(xlApp, window_);
        } catch (const std::exception& failure) {
            try {
                before->restore(xlApp, cursor);
            } catch (const std::exception&) {}
            boxes.restore(window_);
            window_.message(std::string("The entry could not be redone.\n") + failure.what());
            return false;
        }
        for (int box = 1; box <= 6; ++box) window_.setBoxText(box, "");
        window_.focusDateBox();
        state_.Saved = "False";
    }
    redo_.pop_back();
    if (recorder) recorder(EntryStep::Redo, undone.texts);
    return true;
}

}  // namespace tallomer
