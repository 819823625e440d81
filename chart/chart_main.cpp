// tallomer-chart FILE --out PICTURE [--series NAME] [--from D] [--to D]: draws the Trends chart
// of a statistics workbook into a PNG or SVG file. tallomer-cli chart hands over to it.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include <QApplication>

#include "chart/trends_chart.h"
#include "host/host_error.h"
#include "host/workbook_files.h"

namespace {

struct Options {
    std::string file, out;
    tallomer::SeriesKind series = tallomer::SeriesKind::NetValue;
    std::optional<std::int32_t> from, to;
};

constexpr const char* kUsage =
    "usage: tallomer-cli chart FILE --out PICTURE [--series NAME] [--from yyyy-mm-dd] [--to yyyy-mm-dd]\n";

// Exit status 1 with a line saying what is wrong, or the options.
std::optional<Options> parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--out" && hasValue) {
            o.out = argv[++i];
        } else if (arg == "--series" && hasValue) {
            const auto kind = tallomer::seriesKindFromName(argv[++i]);
            if (!kind) {
                std::cerr << "tallomer-cli: unknown series " << argv[i]
                          << " (net_value, net_orders, visitors, orders, net_orders_per_visitor, "
                             "net_value_per_visitor)\n";
                return std::nullopt;
            }
            o.series = *kind;
        } else if ((arg == "--from" || arg == "--to") && hasValue) {
            const auto day = tallomer::dayFromIsoText(argv[++i]);
            if (!day) {
                std::cerr << "tallomer-cli: " << arg << " takes a date as yyyy-mm-dd, not " << argv[i] << '\n';
                return std::nullopt;
            }
            (arg == "--from" ? o.from : o.to) = *day;
        } else if (o.file.empty() && !arg.starts_with("--")) {
            o.file = arg;
        } else {
            std::cerr << kUsage;
            return std::nullopt;
        }
    }
    if (o.file.empty() || o.out.empty()) {
        std::cerr << kUsage;
        return std::nullopt;
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = parse(argc, argv);
    if (!options) return 1;
    std::unique_ptr<host::Workbook> workbook;
    try {
        workbook = host::loadWorkbookFile(options->file);
    } catch (const host::HostError& e) {
        std::cerr << "tallomer-cli: " << options->file << ": " << e.what() << '\n';
        return 2;
    }
    const std::vector<tallomer::DayFigures> daily = tallomer::dailyTotals(tallomer::readTradeDays(*workbook));

    // Drawing needs no display: without one named, Qt draws offscreen.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication qt(argc, argv);
    tallomer::TrendsChart chart;
    chart.draw(daily, options->series, options->from.value_or(INT32_MIN / 2), options->to.value_or(INT32_MAX / 2));
    QString error;
    if (!chart.save(QString::fromStdString(options->out), QSize(1000, 500), &error)) {
        std::cerr << "tallomer-cli: " << error.toStdString() << '\n';
        return 2;
    }
    return 0;
}
