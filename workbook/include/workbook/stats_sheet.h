#pragma once

namespace host {
class Application;
}

namespace tallomer {

class MainWindow;

// NewStatsSheet: a new workbook whose first sheet is an empty statistics sheet (title row
// "Entries" 0, the eleven column headers, widths, bold and alignment), the cell cursor at A3,
// and the main window readied for it: display boxes empty, shown, focus in the date box,
// "Processing ..." hidden, caption "Tallomer". No handling of its own: a host failure stops it
// at that step and goes to the caller.
void NewStatsSheet(host::Application& xlApp, MainWindow& window);

}  // namespace tallomer
