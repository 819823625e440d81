#include "workbook/csv_writer.h"

namespace tallomer {

namespace {
bool needsQuotes(std::string_view field) {
    if (field.empty()) return false;
    if (field.front() == ' ' || field.back() == ' ') return true;
    return field.find_first_of(",\"\r\n;") != std::string_view::npos;
}
}  // namespace

void AppendCsvRecord(std::string& out, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) out.push_back(',');
        const std::string& field = fields[i];
        if (!needsQuotes(field)) {
            out += field;
            continue;
        }
        out.push_back('"');
        for (char c : field) {
            if (c == '"') out.push_back('"');
            out.push_back(c);
        }
        out.push_back('"');
    }
    out += "\r\n";
}

}  // namespace tallomer
