#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tallomer {

// Appends one CSV record to `out`, comma separated and ended by CRLF (RFC 4180). A field that
// holds a comma, a semicolon (so that reading it back finds the comma), a double quote, a
// line break or surrounding blanks goes in double quotes,
// its quotes doubled.
void AppendCsvRecord(std::string& out, const std::vector<std::string>& fields);

}  // namespace tallomer
