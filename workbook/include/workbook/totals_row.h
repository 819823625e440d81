#pragma once
#include <string>

namespace host {
class Application;
}

namespace tallomer {

class MainWindow;

// Writes the totals row at the cell cursor, which stands in column A of it: "Total", the sums
// of B to J over rows 3 to `lastDataRow`, the average of K. Each step moves, then writes; with
// a window, it fills CUMULATIVE RESULTS (Text17 to Text26) as it goes. The cursor ends in K.
// Submit and Undo Last Entry both write their totals row with it.
void WriteTotalsRow(host::Application& xlApp, MainWindow* window, const std::string& lastDataRow);

}  // namespace tallomer
