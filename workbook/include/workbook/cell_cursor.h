#pragma once
#include <cstdint>
#include <string>

namespace host {
class Application;
}

namespace tallomer {

// The cell cursor: the host's active cell on the statistics sheet. Its position is read back
// from its absolute address ("$H$5") and every move selects a new address, so the sheet code
// never keeps a position of its own.

struct CursorPosition {
    std::string column;  // the column letters, "H"
    std::int16_t row = 0;
};

// Reads the active cell's address; SheetFailure for a row above 32767.
CursorPosition ReadCursorPosition(host::Application& xlApp);
// The same rule applied to an address text, for callers that already hold one.
CursorPosition CursorPositionFromAddress(const std::string& address);

// MoveRows: selects the cell offset rows below (negative: above) the active cell, same column.
void MoveRows(host::Application& xlApp, std::int16_t offset);
// MoveColumns: selects the cell offset columns right (negative: left), same row. Serves
// columns A to Z only, reading the column from its first letter.
void MoveColumns(host::Application& xlApp, std::int16_t offset);

}  // namespace tallomer
