#include "workbook/daily_record.h"

#include <exception>
#include <string>

#include "host/application.h"
#include "host/locale.h"
#include "workbook/cell_cursor.h"
#include "workbook/display_forms.h"
#include "workbook/entries_count.h"
#include "workbook/entry_texts.h"
#include "workbook/int16.h"
#include "workbook/main_window.h"
#include "workbook/sheet_failure.h"
#include "workbook/sheet_snapshot.h"
#include "workbook/split_text.h"
#include "workbook/totals_row.h"

namespace tallomer {

namespace {
constexpr const char* kIncorrectData = "Incorrect data!";

struct Entry {
    Pieces date;
    std::string orders, value, refunds, refundValue, visitors;
};

Entry readEntry(const MainWindow& window) {
    return {SplitText(window.boxText(1), '/'),
            window.boxText(2),
            window.boxText(3),
            window.boxText(4),
            window.boxText(5),
            window.boxText(6)};
}

// Writes the active cell as typed.
void write(host::Application& xlApp, const std::string& text) { xlApp.activeCell().setValue(std::string_view(text)); }

std::string valueHere(host::Application& xlApp) { return ValueForm(xlApp.activeCell().value()); }
std::string roundedHere(host::Application& xlApp) { return RoundedForm(xlApp.activeCell().value()); }

// The storing steps: the data row in R (the cursor's row), the totals row in T = R + 1, the
// count in B1, the cursor to A of T. Each step moves first, then writes, then fills its box.
void storeEntry(host::Application& xlApp, MainWindow& window, const Entry& entry) {
    const std::string typedDate = window.boxText(1);

    write(xlApp, entry.date[1] + "/" + entry.date[0] + "/" + entry.date[2]);  // month/day/year
    window.setBoxText(7, typedDate);
    MoveColumns(xlApp, 1);
    write(xlApp, entry.orders);
    window.setBoxText(8, entry.orders);
    MoveColumns(xlApp, 1);
    write(xlApp, entry.value);
    window.setBoxText(9, entry.value);
    MoveColumns(xlApp, 1);
    write(xlApp, entry.refunds);
    window.setBoxText(10, entry.refunds);
    MoveColumns(xlApp, 1);
    write(xlApp, entry.refundValue);
    window.setBoxText(11, entry.refundValue);
    MoveColumns(xlApp, 3);
    write(xlApp, entry.visitors);
    window.setBoxText(12, entry.visitors);

    const std::string R = std::to_string(ReadCursorPosition(xlApp).row);

    MoveColumns(xlApp, -2);
    write(xlApp, "=C" + R + "-E" + R);
    window.setBoxText(13, valueHere(xlApp));
    MoveColumns(xlApp, 1);
    write(xlApp, "=B" + R + "-D" + R);
    window.setBoxText(14, valueHere(xlApp));
    MoveColumns(xlApp, 2);
    write(xlApp, "=F" + R + "/H" + R);
    window.setBoxText(15, roundedHere(xlApp));
    MoveColumns(xlApp, 1);
    write(xlApp, "=G" + R + "/H" + R);
    window.setBoxText(16, roundedHere(xlApp));
    MoveColumns(xlApp, 1);
    write(xlApp, "=I" + R);

    MoveColumns(xlApp, -10);
    MoveRows(xlApp, 1);
    WriteTotalsRow(xlApp, &window, R);

    // T is R + 1 as a 16-bit integer: the row MoveRows just reached.
    const std::int16_t T = ReadCursorPosition(xlApp).row;
    xlApp.range("B1").select();
    const std::int16_t count = add16(EntriesCount(xlApp.activeCell().value()), 1);
    xlApp.activeCell().setValue(static_cast<double>(count));
    xlApp.range("A" + std::to_string(T)).select();
}

void refuse(MainWindow& window) {
    window.setProcessingVisible(false);
    window.message(kIncorrectData);
}
}  // namespace

std::optional<EntryFault> FindEntryFault(const MainWindow& window) {
    constexpr const char* kNotADate = "not a date as day/month/year in figures";
    Entry e;
    try {
        e = readEntry(window);
    } catch (const SheetFailure&) {
        return EntryFault{kDate, kNotADate};  // a date with more than 100 "/" is no date
    }
    for (int piece = 0; piece < 3; ++piece) {
        if (!host::isNumeric(e.date[piece])) return EntryFault{kDate, kNotADate};
    }
    const std::string* figures[] = {&e.orders, &e.value, &e.refunds, &e.refundValue, &e.visitors};
    for (int field = kOrders; field <= kVisitors; ++field) {
        if (!host::isNumeric(*figures[field - kOrders])) return EntryFault{field, "not a number"};
    }
    return std::nullopt;
}

bool EntryIsValid(const MainWindow& window) { return !FindEntryFault(window).has_value(); }

bool Form1_Command1_Click(SharedState& state, MainWindow& window) {
    window.setProcessingVisible(true);
    if (!EntryIsValid(window)) {
        refuse(window);
        return false;
    }
    const Entry entry = readEntry(window);

    // Kept so that a failure half-way leaves the sheet as it was: rows R and R + 1, B1 and the
    // cursor at A of row R.
    std::optional<SheetSnapshot> before;
    host::CellAddress rowStart{};
    try {
        if (!state.xlApp) throw SheetFailure("The spreadsheet host is not running");
        host::Application& xlApp = *state.xlApp;
        if (host::Workbook* book = xlApp.activeWorkbook()) {
            rowStart = {book->activeSheet().activeCell().row, 0};
            before = SheetSnapshot::take(xlApp, rowStart.row + 1, rowStart.row + 2);
        }
        storeEntry(xlApp, window, entry);
    } catch (const std::exception&) {
        if (before) {
            try {
                before->restore(*state.xlApp, rowStart);
            } catch (const std::exception&) {
                // The host refuses even the repair; the message below is all that is left.
            }
        }
        refuse(window);
        return false;
    }

    for (int box = 1; box <= 6; ++box) window.setBoxText(box, "");
    state.Saved = "False";
    window.setProcessingVisible(false);
    window.focusDateBox();
    return true;
}

}  // namespace tallomer
