#include "workbook/cell_cursor.h"

#include "host/application.h"
#include "workbook/int16.h"
#include "workbook/sheet_failure.h"
#include "workbook/split_text.h"

namespace tallomer {

CursorPosition CursorPositionFromAddress(const std::string& address) {
    // Drop the leading "$" (at most 15 characters after it), then split "H$5" at "$".
    const std::string rest = address.size() > 1 ? address.substr(1, 15) : std::string();
    const Pieces pieces = SplitText(rest, '$');
    return {pieces[0], parseInt16(pieces[1])};
}

CursorPosition ReadCursorPosition(host::Application& xlApp) {
    return CursorPositionFromAddress(xlApp.activeCell().address());
}

void MoveRows(host::Application& xlApp, std::int16_t offset) {
    const CursorPosition at = ReadCursorPosition(xlApp);
    const std::int16_t row = add16(at.row, offset);
    if (row < 1) throw SheetFailure("Row " + std::to_string(row) + " is above the sheet");
    xlApp.range(at.column + std::to_string(row)).select();
}

void MoveColumns(host::Application& xlApp, std::int16_t offset) {
    const CursorPosition at = ReadCursorPosition(xlApp);
    if (at.column.empty()) throw SheetFailure("The cell cursor has no column");
    const std::int16_t first = static_cast<unsigned char>(at.column[0]);
    const std::int16_t n = add16(add16(add16(first, offset), static_cast<std::int16_t>(-'A')), 1);
    // Outside A..Z the letter would be some other character (lower case reads as a column
    // again), so the move is refused here rather than left to the host.
    if (n < 1 || n > 26) throw SheetFailure("Column " + std::to_string(n) + " is outside A to Z");
    const char letter = static_cast<char>('A' + n - 1);
    xlApp.range(std::string(1, letter) + std::to_string(at.row)).select();
}

}  // namespace tallomer
