#include "workbook/totals_row.h"

#include "host/application.h"
#include "workbook/cell_cursor.h"
#include "workbook/display_forms.h"
#include "workbook/main_window.h"

namespace tallomer {

void WriteTotalsRow(host::Application& xlApp, MainWindow* window, const std::string& R) {
    auto write = [&xlApp](const std::string& text) { xlApp.activeCell().setValue(std::string_view(text)); };
    auto show = [&xlApp, window](int box, bool rounded) {
        if (!window) return;
        const host::CellValue here = xlApp.activeCell().value();
        window->setBoxText(box, rounded ? RoundedForm(here) : ValueForm(here));
    };
    write("Total");
    constexpr struct {
        char column;
        int box;
        bool rounded;
    } kTotals[] = {{'B', 17, false}, {'C', 18, false}, {'D', 19, false}, {'E', 20, false}, {'F', 21, false},
                   {'G', 22, false}, {'H', 23, false}, {'I', 24, true},  {'J', 25, true}};
    for (const auto& total : kTotals) {
        MoveColumns(xlApp, 1);
        const std::string c(1, total.column);
        write("=sum(" + c + "3:" + c + R + ")");
        show(total.box, total.rounded);
    }
    MoveColumns(xlApp, 1);
    write("=average(K3:K" + R + ")");
    show(26, true);
}

}  // namespace tallomer
