#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace host {

// Sheet limits of the .xls format: columns A to IV, rows 1 to 65536.
inline constexpr int kMaxRows = 65536;
inline constexpr int kMaxColumns = 256;

// A cell position, zero-based: row 0 is row 1, column 0 is column A.
struct CellAddress {
    int row = 0;
    int col = 0;
    friend bool operator==(const CellAddress&, const CellAddress&) = default;
};

// A rectangle of cells, both corners inclusive, first <= last.
struct CellRange {
    CellAddress first;
    CellAddress last;
    bool contains(CellAddress a) const {
        return a.row >= first.row && a.row <= last.row && a.col >= first.col && a.col <= last.col;
    }
    friend bool operator==(const CellRange&, const CellRange&) = default;
};

// "A".."IV" for 0..255.
std::string columnLetters(int col);
// "B7" (relative form) or "$B$7" (absolute form, as ActiveCell.Address gives it).
std::string formatAddress(CellAddress a, bool absolute);
// Parses "B7", "$B$7", "b7", "B$7"; nullopt when it is not a cell within the sheet limits.
std::optional<CellAddress> parseAddress(std::string_view text);
// Parses a cell ("B7") or a rectangle ("A1:K2", "$A$1:A1000"); corners are put in order.
std::optional<CellRange> parseRange(std::string_view text);

}  // namespace host
