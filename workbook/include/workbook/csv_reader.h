#pragma once
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tallomer {

// CSV as RFC 4180 describes it: fields in double quotes may hold the separator, line breaks
// and doubled quotes; lines end in CRLF or LF; a UTF-8 byte-order mark at the start is
// dropped. The separator is a comma or a semicolon, whichever the header line (outside
// quotes) has more of; a comma when it has neither or as many of each.

struct CsvRecord {
    int line = 0;  // the line (counted from 1) the record starts on
    std::vector<std::string> fields;
};

struct CsvTable {
    char separator = ',';
    CsvRecord header;
    std::vector<CsvRecord> rows;  // blank lines left out
};

// A file that cannot be read as CSV at all: `line` is where the trouble starts.
class CsvError : public std::runtime_error {
public:
    CsvError(int line, const std::string& why)
        : std::runtime_error("line " + std::to_string(line) + ": " + why), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

// The header line and the records under it. CsvError for a file without a header line or a
// quoted field that never ends.
CsvTable ParseCsv(std::string_view bytes);

}  // namespace tallomer
