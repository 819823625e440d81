#include "workbook/csv_import.h"

#include <cctype>
#include <unordered_map>

#include "workbook/add_entry.h"

namespace tallomer {

namespace {
// The header names shops use for each field, compared with case and blanks ignored; the
// sheet's own headers come last, so that an export reads back. Where a CSV has several of a
// field's names, the one earlier in the list wins.
const std::vector<std::string_view> kHeaderNames[kEntryFieldCount] = {
    {"date", "day"},
    {"orders", "# of orders"},
    {"order value", "sales", "gross sales", "total sales", "$ of orders"},
    {"refunds", "returns", "# of refunds"},
    {"refund value", "returns value", "refunded", "$ of refunds"},
    {"visitors", "unique visitors", "sessions", "number of unique visitors"},
};

std::string normalized(std::string_view name) {
    std::string out;
    for (unsigned char c : name) {
        if (!std::isspace(c)) out.push_back(static_cast<char>(std::tolower(c)));
    }
    return out;
}

std::string headersFound(const CsvTable& csv) {
    std::string list;
    for (const std::string& header : csv.header.fields) {
        if (!list.empty()) list += ", ";
        list += "\"" + header + "\"";
    }
    return list.empty() ? "none" : list;
}

int findHeader(const CsvTable& csv, std::string_view name) {
    const std::string wanted = normalized(name);
    for (std::size_t col = 0; col < csv.header.fields.size(); ++col) {
        if (normalized(csv.header.fields[col]) == wanted) return static_cast<int>(col);
    }
    return -1;
}

std::array<int, kEntryFieldCount> findColumns(const CsvTable& csv, const ImportOptions& options) {
    std::array<int, kEntryFieldCount> columns{};
    std::string missing;
    for (int field = 0; field < kEntryFieldCount; ++field) {
        int col = -1;
        std::string lookedFor;
        if (!options.mapped[field].empty()) {
            col = findHeader(csv, options.mapped[field]);
            lookedFor = "\"" + options.mapped[field] + "\"";
        } else {
            for (std::string_view name : kHeaderNames[field]) {
                if (col < 0) col = findHeader(csv, name);
                lookedFor += (lookedFor.empty() ? "" : ", ") + std::string(name);
            }
        }
        if (col < 0) {
            missing +=
                (missing.empty() ? "" : "; ") + std::string(entryFieldName(field)) + " (looked for " + lookedFor + ")";
        }
        columns[field] = col;
    }
    if (!missing.empty()) {
        throw ImportError("no column for " + missing + "; the headers found are " + headersFound(csv));
    }
    return columns;
}

// The field as the message shows it, on one line: line breaks and tabs as \r, \n, \t.
std::string quoted(std::string_view text) {
    std::string out = " (\"";
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else
            out.push_back(c);
    }
    return out + "\")";
}
}  // namespace

std::string describe(const BadRow& bad) { return "line " + std::to_string(bad.line) + ": " + bad.fault; }

void ParseColumnMap(std::string_view text, ImportOptions& options) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t eq = text.find('=', pos);
        if (eq == std::string_view::npos) throw ImportError("--map wants FIELD=HEADER pairs: " + std::string(text));
        const std::string_view name = text.substr(pos, eq - pos);
        const int field = entryFieldFromName(name);
        if (field < 0) {
            throw ImportError("--map: no field \"" + std::string(name) +
                              "\" (the fields: date, orders, order_value, refunds, refund_value, visitors)");
        }
        std::string header;
        pos = eq + 1;
        if (pos < text.size() && text[pos] == '"') {
            const std::size_t close = text.find('"', pos + 1);
            if (close == std::string_view::npos) throw ImportError("--map: a quoted header has no closing quote");
            header = text.substr(pos + 1, close - pos - 1);
            pos = close + 1;
        } else {
            const std::size_t comma = std::min(text.find(',', pos), text.size());
            header = text.substr(pos, comma - pos);
            pos = comma;
        }
        if (pos < text.size() && text[pos] != ',') throw ImportError("--map: a comma must follow a quoted header");
        if (pos < text.size()) ++pos;
        if (header.empty()) throw ImportError("--map: no header named for " + std::string(name));
        options.mapped[field] = header;
    }
}

ImportPlan PlanImport(const CsvTable& csv, const ImportOptions& options, const std::vector<double>& datesInSheet) {
    ImportPlan plan;
    plan.columns = findColumns(csv, options);
    std::unordered_map<double, int> seen;  // serial day -> the line it came from (0: the sheet)
    if (!options.allowRepeats) {
        for (double day : datesInSheet) seen.emplace(day, 0);
    }
    plan.rows.reserve(csv.rows.size());
    for (const CsvRecord& record : csv.rows) {
        ImportRow row{record.line, {}};
        std::string fault;
        double serial = 0;
        for (int field = 0; field < kEntryFieldCount && fault.empty(); ++field) {
            const int col = plan.columns[field];
            const std::string_view name = entryFieldName(field);
            if (col >= static_cast<int>(record.fields.size())) {
                fault =
                    std::string(name) + ": missing, the line has " + std::to_string(record.fields.size()) + " fields";
                break;
            }
            const std::string& text = record.fields[col];
            std::string why;
            if (field == kDate) {
                if (const auto date = ReadImportDate(text, options.dates, why)) {
                    row.texts[field] = date->typed;
                    serial = date->serial;
                }
            } else if (auto figure = CleanFigure(text, why)) {
                row.texts[field] = std::move(*figure);
            }
            if (!why.empty()) fault = std::string(name) + ": " + why + (why == "empty" ? "" : quoted(text));
        }
        if (fault.empty()) {
            if (auto refused = EntryFaultText(row.texts)) {
                fault = *refused;
                for (int field = 0; field < kEntryFieldCount; ++field) {
                    if (fault.starts_with(std::string(entryFieldName(field)) + ":")) {
                        fault += quoted(record.fields[plan.columns[field]]);
                    }
                }
            }
        }
        if (fault.empty() && !options.allowRepeats) {
            const auto [at, fresh] = seen.emplace(serial, record.line);
            if (!fresh) {
                fault = "date: " + row.texts[kDate] +
                        (at->second == 0 ? " is already in the sheet" : " repeats line " + std::to_string(at->second));
            }
        }
        if (fault.empty()) {
            plan.rows.push_back(std::move(row));
        } else {
            plan.bad.push_back({record.line, std::move(fault)});
        }
    }
    return plan;
}

}  // namespace tallomer
