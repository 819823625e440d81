#pragma once

namespace host {
class Application;
}

namespace tallomer {

class MainWindow;

// ShowResults: fills LAST RECORD from the newest data row and CUMULATIVE RESULTS from the
// totals row of the active statistics sheet, walking them with the cell cursor. Returns whether
// the sheet holds entries (B1 above 0); with none it empties all 26 boxes. Leaves the cursor at
// A of the totals row (A3 without entries).
//
// Fails (host::HostError, a SheetFailure for the sheet's own faults) when B1 holds no number,
// the totals row would pass row 32767, or a cell that feeds a rounded box holds no number; the
// boxes filled before the failure keep their texts. The caller reports it.
bool ShowResults(host::Application& xlApp, MainWindow& window);

}  // namespace tallomer
