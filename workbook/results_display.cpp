#include "workbook/results_display.h"

#include <string>

#include "host/application.h"
#include "workbook/cell_cursor.h"
#include "workbook/display_forms.h"
#include "workbook/entries_count.h"
#include "workbook/int16.h"
#include "workbook/main_window.h"

namespace tallomer {

namespace {
enum class Form { Value, Rounded };

struct Step {
    std::int16_t columns;  // MoveColumns first
    int box;
    Form form;
};

// The newest data row from A: B, C, D, E, H, F, G, I, J.
constexpr Step kDataRowWalk[] = {
    {1, 8, Form::Value},   {1, 9, Form::Value},  {1, 10, Form::Value},   {1, 11, Form::Value},   {3, 12, Form::Value},
    {-2, 13, Form::Value}, {1, 14, Form::Value}, {2, 15, Form::Rounded}, {1, 16, Form::Rounded},
};
// The totals row from A: B to K.
constexpr Step kTotalsRowWalk[] = {
    {1, 17, Form::Value}, {1, 18, Form::Value}, {1, 19, Form::Value},   {1, 20, Form::Value},   {1, 21, Form::Value},
    {1, 22, Form::Value}, {1, 23, Form::Value}, {1, 24, Form::Rounded}, {1, 25, Form::Rounded}, {1, 26, Form::Rounded},
};

void walk(host::Application& xlApp, MainWindow& window, const auto& steps) {
    for (const Step& step : steps) {
        MoveColumns(xlApp, step.columns);
        const host::CellValue cell = xlApp.activeCell().value();
        window.setBoxText(step.box, step.form == Form::Rounded ? RoundedForm(cell) : ValueForm(cell));
    }
}
}  // namespace

bool ShowResults(host::Application& xlApp, MainWindow& window) {
    xlApp.range("B1").select();
    const std::int16_t n = EntriesCount(xlApp.activeCell().value());
    const std::int16_t totalsRow = add16(n, 3);
    xlApp.range("A" + std::to_string(totalsRow)).select();
    if (n <= 0) {
        for (int box = 1; box <= 26; ++box) window.setBoxText(box, "");
        return false;
    }

    MoveRows(xlApp, -1);
    const bool date1904 = xlApp.activeWorkbook() && xlApp.activeWorkbook()->date1904;
    window.setBoxText(7, DateDisplay(xlApp.activeCell().value(), date1904));
    walk(xlApp, window, kDataRowWalk);

    MoveColumns(xlApp, -9);
    MoveRows(xlApp, 1);
    walk(xlApp, window, kTotalsRowWalk);

    MoveColumns(xlApp, -10);
    return true;
}

}  // namespace tallomer
