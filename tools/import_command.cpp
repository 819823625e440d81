#include <iostream>

#include "commands.h"
#include "stats_file.h"
#include "workbook/add_entry.h"
#include "workbook/csv_import.h"
#include "workbook/stats_layout_check.h"

namespace cli {

const char* const kImportUsage =
    "tallomer-cli import [--new] [--map FIELD=HEADER,...] [--dates dmy|mdy|ymd] [--skip-bad]\n"
    "                    [--allow-repeats] FILE CSV\n"
    "    Adds every row of CSV to FILE as Submit would, then saves FILE. Columns are found by\n"
    "    their headers (--map names them: date, orders, order_value, refunds, refund_value,\n"
    "    visitors). When any row is bad nothing is imported and the bad rows are listed;\n"
    "    --skip-bad imports the good rows. Dates already in FILE or repeated in CSV are bad\n"
    "    rows unless --allow-repeats is given. --new makes FILE when it does not exist.\n";

namespace {
constexpr std::size_t kRowsListed = 20;

void listBadRows(const std::vector<tallomer::BadRow>& bad) {
    for (std::size_t i = 0; i < bad.size() && i < kRowsListed; ++i) {
        std::cerr << "tallomer-cli: " << tallomer::describe(bad[i]) << '\n';
    }
    if (bad.size() > kRowsListed) std::cerr << "tallomer-cli: ... and " << bad.size() - kRowsListed << " more\n";
}

struct ImportArgs {
    bool makeNew = false;
    bool skipBad = false;
    tallomer::ImportOptions options;
    std::vector<std::string> files;
};

// nullopt for wrong usage; Refusal for a --map or --dates that cannot be read.
std::optional<ImportArgs> readArgs(const std::vector<std::string>& args) {
    ImportArgs out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--new") {
            out.makeNew = true;
        } else if (arg == "--skip-bad") {
            out.skipBad = true;
        } else if (arg == "--allow-repeats") {
            out.options.allowRepeats = true;
        } else if (arg == "--map" && hasValue) {
            try {
                tallomer::ParseColumnMap(args[++i], out.options);
            } catch (const tallomer::ImportError& e) {
                throw Refusal(e.what());
            }
        } else if (arg == "--dates" && hasValue) {
            const auto order = tallomer::dateOrderFromName(args[++i]);
            if (!order) throw Refusal("--dates takes dmy, mdy or ymd, not " + args[i]);
            out.options.dates = *order;
        } else if (arg.starts_with("--")) {
            return std::nullopt;
        } else {
            out.files.push_back(arg);
        }
    }
    if (out.files.size() != 2) return std::nullopt;
    return out;
}
}  // namespace

int import(const std::vector<std::string>& args) {
    try {
        const std::optional<ImportArgs> parsed = readArgs(args);
        if (!parsed) {
            std::cerr << "usage: " << kImportUsage;
            return 1;
        }
        const std::string& path = parsed->files[0];
        const std::string& csvPath = parsed->files[1];
        tallomer::CsvTable csv;
        try {
            csv = tallomer::ParseCsv(readWholeFile(csvPath, "the CSV file"));
        } catch (const tallomer::CsvError& e) {
            throw Refusal(csvPath + ": " + e.what());
        }
        StatsFile file(path, parsed->makeNew);
        tallomer::ImportPlan plan;
        try {
            plan = tallomer::PlanImport(csv, parsed->options, tallomer::EntryDates(file.sheet()));
        } catch (const tallomer::ImportError& e) {
            throw Refusal(csvPath + ": " + e.what());
        }
        if (!plan.bad.empty() && !parsed->skipBad) {
            listBadRows(plan.bad);
            throw Refusal(std::to_string(plan.bad.size()) + " bad rows in " + csvPath + "; nothing imported");
        }
        // Each row through Submit; one it still refuses (the sheet full) is a bad row too.
        std::size_t added = 0;
        for (const tallomer::ImportRow& row : plan.rows) {
            const tallomer::AddResult result = tallomer::AddEntry(file.state(), file.window(), row.texts);
            if (result.added) {
                ++added;
                continue;
            }
            plan.bad.push_back({row.line, result.fault});
            if (!parsed->skipBad) {
                listBadRows(plan.bad);
                throw Refusal("1 bad row in " + csvPath + "; nothing imported");
            }
        }
        if (added > 0 || file.created()) file.save();
        listBadRows(plan.bad);
        std::cout << "imported " << added << (added == 1 ? " entry" : " entries");
        if (!plan.bad.empty()) std::cout << ", skipped " << plan.bad.size() << " bad rows";
        std::cout << '\n';
    } catch (const Refusal& refusal) {
        std::cerr << "tallomer-cli: " << refusal.what() << '\n';
        return 2;
    }
    return 0;
}

}  // namespace cli
