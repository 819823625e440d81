#include "workbook/stats_sheet.h"

#include <array>
#include <string>

#include "host/application.h"
#include "host/style.h"
#include "workbook/main_window.h"

namespace tallomer {

namespace {
struct Header {
    const char* cell;
    const char* text;
};
constexpr std::array<Header, 11> kHeaders{{
    {"A2", "DATE"},
    {"B2", "# of Orders"},
    {"C2", "$ of Orders"},
    {"D2", "# of Refunds"},
    {"E2", "$ of Refunds"},
    {"F2", "$Orders - $Refunds"},
    {"G2", "# Orders - # Refunds"},
    {"H2", "Number of Unique Visitors"},
    {"I2", "Total $ Dollars / Unique Visitors"},
    {"J2", "Total # Orders / Unique Visitors"},
    {"K2", "Average = $ / Unique Visitors"},
}};

void writeCell(host::Application& xlApp, const char* cell, const char* text) {
    xlApp.range(cell).select();
    xlApp.activeCell().setValue(std::string_view(text));
}
}  // namespace

void NewStatsSheet(host::Application& xlApp, MainWindow& window) {
    xlApp.addWorkbook();
    xlApp.selectSheet(1);

    xlApp.range("A1:C1").setColumnWidth(15);
    xlApp.range("D1:E1").setColumnWidth(18);
    xlApp.range("F1:G1").setColumnWidth(24);
    xlApp.range("H1").setColumnWidth(30);
    xlApp.range("I1:K1").setColumnWidth(36);

    writeCell(xlApp, "A1", "Entries");
    xlApp.range("B1").select();
    xlApp.activeCell().setValue(0.0);

    for (const Header& header : kHeaders) writeCell(xlApp, header.cell, header.text);

    xlApp.range("A1:K2").setBold(true);
    xlApp.range("A3").select();
    xlApp.range("B1:K2").setHorizontalAlignment(host::xlRight);
    xlApp.range("A1:A1000").setHorizontalAlignment(host::xlLeft);

    for (int box = 7; box <= 26; ++box) window.setBoxText(box, "");
    window.showWindow();
    window.focusDateBox();
    window.setProcessingVisible(false);
    window.setCaption("Tallomer");
}

}  // namespace tallomer
