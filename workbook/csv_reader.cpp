#include "workbook/csv_reader.h"

namespace tallomer {

namespace {
std::string_view withoutByteOrderMark(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return bytes;
}

// Counts the separators of the first line, quotes respected.
char detectSeparator(std::string_view bytes) {
    int commas = 0, semicolons = 0;
    bool quoted = false;
    for (char c : bytes) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted && c == ',')
            ++commas;
        else if (!quoted && c == ';')
            ++semicolons;
    }
    return semicolons > commas ? ';' : ',';
}

// Reads one record at `pos` and moves `pos` past its line end. `line` counts lines as they go.
CsvRecord readRecord(std::string_view bytes, std::size_t& pos, int& line, char separator) {
    CsvRecord record;
    record.line = line;
    std::string field;
    const std::size_t size = bytes.size();
    while (true) {
        if (pos < size && bytes[pos] == '"') {
            ++pos;
            const int opened = line;
            while (true) {
                if (pos >= size) throw CsvError(opened, "a quoted field has no closing quote");
                const char c = bytes[pos++];
                if (c == '"') {
                    if (pos < size && bytes[pos] == '"') {
                        field.push_back('"');
                        ++pos;
                    } else {
                        break;
                    }
                } else {
                    if (c == '\n') ++line;
                    field.push_back(c);
                }
            }
        }
        // Unquoted text, or what follows a closing quote, up to the separator or line end.
        while (pos < size && bytes[pos] != separator && bytes[pos] != '\n' && bytes[pos] != '\r') {
            field.push_back(bytes[pos++]);
        }
        record.fields.push_back(std::move(field));
        field.clear();
        if (pos < size && bytes[pos] == separator) {
            ++pos;
            continue;
        }
        if (pos < size && bytes[pos] == '\r') ++pos;
        if (pos < size && bytes[pos] == '\n') ++pos;
        ++line;
        return record;
    }
}

bool blank(const CsvRecord& record) { return record.fields.size() == 1 && record.fields[0].empty(); }
}  // namespace

CsvTable ParseCsv(std::string_view input) {
    const std::string_view bytes = withoutByteOrderMark(input);
    CsvTable table;
    table.separator = detectSeparator(bytes);
    std::size_t pos = 0;
    int line = 1;
    bool haveHeader = false;
    while (pos < bytes.size()) {
        CsvRecord record = readRecord(bytes, pos, line, table.separator);
        if (blank(record)) continue;
        if (!haveHeader) {
            table.header = std::move(record);
            haveHeader = true;
        } else {
            table.rows.push_back(std::move(record));
        }
    }
    if (!haveHeader) throw CsvError(1, "the file has no header line");
    return table;
}

}  // namespace tallomer
