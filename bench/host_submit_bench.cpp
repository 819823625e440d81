// One Submit's host work on a statistics sheet of N entries: the data row written over the
// old totals row, the new totals row (ten sums and an average over rows 3..R), B1, and every
// selection, address read and value read the program makes, all through Application and
// ActiveCell. The sheet is built once per run (bulk-loaded), then each iteration appends one
// entry, so the sheet grows by one row per iteration (a few hundred rows on tens of thousands).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "host/application.h"

namespace {

std::string col(int c) { return std::string(1, static_cast<char>('A' + c)); }

// Rows 1 and 2, N data rows from row 3 and the totals row N+3, cursor at A of the totals row.
void buildStatsSheet(host::Application& app, int entries) {
    app.addWorkbook();
    app.selectSheet(1);
    host::Worksheet& sheet = app.activeWorkbook()->activeSheet();
    sheet.beginLoad();
    sheet.setTyped({0, 0}, "Entries");
    sheet.setValue({0, 1}, host::Value::fromNumber(entries));
    for (int c = 0; c < 11; ++c) sheet.setTyped({1, c}, "Header " + col(c));
    for (int i = 0; i < entries; ++i) {
        const int r = 2 + i;
        const std::string R = std::to_string(r + 1);
        sheet.setTyped({r, 0}, "2/1/2001");
        sheet.setTyped({r, 1}, std::to_string(10 + i % 7));
        sheet.setTyped({r, 2}, std::to_string(250 + i % 13));
        sheet.setTyped({r, 3}, std::to_string(i % 3));
        sheet.setTyped({r, 4}, std::to_string(50 + i % 5));
        sheet.setTyped({r, 7}, std::to_string(100 + i % 11));
        sheet.setTyped({r, 5}, "=C" + R + "-E" + R);
        sheet.setTyped({r, 6}, "=B" + R + "-D" + R);
        sheet.setTyped({r, 8}, "=F" + R + "/H" + R);
        sheet.setTyped({r, 9}, "=G" + R + "/H" + R);
        sheet.setTyped({r, 10}, "=I" + R);
    }
    const int t = 2 + entries;
    const std::string last = std::to_string(t);
    sheet.setTyped({t, 0}, "Total");
    for (int c = 1; c <= 9; ++c) sheet.setTyped({t, c}, "=sum(" + col(c) + "3:" + col(c) + last + ")");
    sheet.setTyped({t, 10}, "=average(K3:K" + last + ")");
    sheet.endLoad();
    app.range("A" + std::to_string(t + 1)).select();
}

// The cursor helpers: the active cell's row and column from its address, and a move.
void moveColumns(host::Application& app, int offset) {
    const std::string a = app.activeCell().address();  // "$B$7"
    const auto second = a.find('$', 1);
    const int c = a[1] - 'A' + offset;
    app.range(col(c) + a.substr(second + 1)).select();
}

void moveRows(host::Application& app, int offset) {
    const std::string a = app.activeCell().address();
    const auto second = a.find('$', 1);
    const int r = std::stoi(a.substr(second + 1)) + offset;
    app.range(a.substr(1, second - 1) + std::to_string(r)).select();
}

double readValue(host::Application& app) {
    const host::CellValue v = app.activeCell().value();
    return v.value.isNumber() ? v.value.number : 0;
}

void submit(host::Application& app) {
    auto cell = app.activeCell();
    cell.setValue("2/1/2001");
    moveColumns(app, 1);
    app.activeCell().setValue("10");
    moveColumns(app, 1);
    app.activeCell().setValue("250");
    moveColumns(app, 1);
    app.activeCell().setValue("2");
    moveColumns(app, 1);
    app.activeCell().setValue("50");
    moveColumns(app, 3);
    app.activeCell().setValue("100");
    const std::string a = app.activeCell().address();
    const std::string R = a.substr(a.find('$', 1) + 1);
    const std::string T = std::to_string(std::stoi(R) + 1);
    double sink = 0;
    moveColumns(app, -2);
    app.activeCell().setValue("=C" + R + "-E" + R);
    sink += readValue(app);
    moveColumns(app, 1);
    app.activeCell().setValue("=B" + R + "-D" + R);
    sink += readValue(app);
    moveColumns(app, 2);
    app.activeCell().setValue("=F" + R + "/H" + R);
    sink += readValue(app);
    moveColumns(app, 1);
    app.activeCell().setValue("=G" + R + "/H" + R);
    sink += readValue(app);
    moveColumns(app, 1);
    app.activeCell().setValue("=I" + R);
    moveColumns(app, -10);
    moveRows(app, 1);
    app.activeCell().setValue("Total");
    for (int c = 1; c <= 9; ++c) {
        moveColumns(app, 1);
        app.activeCell().setValue("=sum(" + col(c) + "3:" + col(c) + R + ")");
        sink += readValue(app);
    }
    moveColumns(app, 1);
    app.activeCell().setValue("=average(K3:K" + R + ")");
    sink += readValue(app);
    app.range("B1").select();
    const double n = readValue(app);
    app.activeCell().setValue(n + 1);
    app.range("A" + T).select();
    benchmark::DoNotOptimize(sink);
}

void BM_Submit(benchmark::State& state) {
    host::Application app;
    app.setVisible(false);
    app.setDisplayAlerts(false);
    buildStatsSheet(app, static_cast<int>(state.range(0)));
    std::vector<double> times;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        submit(app);
        const auto stop = std::chrono::steady_clock::now();
        const double seconds = std::chrono::duration<double>(stop - start).count();
        state.SetIterationTime(seconds);
        times.push_back(seconds);
    }
    std::sort(times.begin(), times.end());
    if (!times.empty()) {
        state.counters["median_ms"] = times[times.size() / 2] * 1e3;
        state.counters["p90_ms"] = times[times.size() * 9 / 10] * 1e3;
    }
}

BENCHMARK(BM_Submit)->Arg(1000)->Arg(4000)->Arg(16000)->Arg(32000)->UseManualTime()->Iterations(300)->Unit(
    benchmark::kMicrosecond);

// Building the sheet itself: N entries bulk-loaded and computed once.
void BM_BuildSheet(benchmark::State& state) {
    for (auto _ : state) {
        host::Application app;
        buildStatsSheet(app, static_cast<int>(state.range(0)));
    }
}

BENCHMARK(BM_BuildSheet)->Arg(32000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
