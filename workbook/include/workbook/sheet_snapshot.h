#pragma once
#include <optional>
#include <vector>

#include "host/address.h"
#include "host/value.h"

namespace host {
class Application;
}

namespace tallomer {

// What a few cells of the active sheet hold (content and format) and where the cell cursor
// stands, taken straight from the worksheet so that putting them back does not depend on the
// operations that just failed.
class SheetSnapshot {
public:
    // Rows [firstRow, lastRow] (one-based), columns A to K, plus B1 and the cursor. nullopt when
    // no workbook is open.
    static std::optional<SheetSnapshot> take(host::Application& xlApp, int firstRow, int lastRow);
    // Puts the cells back and selects `cursor` (zero-based).
    void restore(host::Application& xlApp, host::CellAddress cursor) const;

private:
    struct Cell {
        host::CellAddress at;
        bool formula = false;
        std::string formulaText;
        host::Value value;
        std::uint16_t style = 0;
    };
    std::vector<Cell> cells_;
};

}  // namespace tallomer
