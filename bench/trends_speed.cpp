// The Trends figures on the 32,764-entry workbook (bench/make_stats_workbook.py, or the file
// TALLOMER_BENCH_XLS names): the monthly summary in-process (goal under 5 ms), the Trends
// window's first show (under 150 ms) and its update after a Submit (under 16 ms, one frame).
// A show or an update counts the window's complete painting (grab).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>

#include "app/trends_window.h"
#include "host/workbook_files.h"
#include "host/worksheet.h"
#include "workbook/period_summary.h"

namespace {

std::unique_ptr<host::Workbook> loadBenchWorkbook() {
    static std::string path;
    if (path.empty()) {
        if (const char* given = std::getenv("TALLOMER_BENCH_XLS")) {
            path = given;
        } else {
            char dir[] = "/tmp/tallomer-trends-bench-XXXXXX";
            if (!mkdtemp(dir)) return nullptr;
            path = std::string(dir) + "/stats_32764.xls";
            const std::string make =
                "/usr/bin/python3 " TALLOMER_SOURCE_DIR "/bench/make_stats_workbook.py 32764 " + path;
            if (std::system(make.c_str()) != 0) return nullptr;
        }
    }
    return host::loadWorkbookFile(path);
}

host::Workbook& benchWorkbook() {
    static std::unique_ptr<host::Workbook> book = loadBenchWorkbook();
    return *book;
}

void BM_MonthlySummary(benchmark::State& state) {
    const host::Workbook& book = benchWorkbook();
    for (auto _ : state) {
        auto summary = tallomer::summarise(tallomer::readTradeDays(book), tallomer::PeriodKind::Month);
        benchmark::DoNotOptimize(summary);
    }
}
BENCHMARK(BM_MonthlySummary)->Unit(benchmark::kMillisecond);

void BM_TrendsWindowFirstShow(benchmark::State& state) {
    const host::Workbook& book = benchWorkbook();
    for (auto _ : state) {
        tallomer::TrendsWindow window;
        window.refresh(&book);
        window.show();
        benchmark::DoNotOptimize(window.grab());
        state.PauseTiming();
        window.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TrendsWindowFirstShow)->Unit(benchmark::kMillisecond);

// A Submit appends a data row where the totals row was and moves the totals down; then the
// window follows.
void BM_TrendsWindowUpdateAfterSubmit(benchmark::State& state) {
    host::Workbook& book = benchWorkbook();
    host::Worksheet& sheet = book.sheet(0);
    tallomer::TrendsWindow window;
    window.refresh(&book);
    window.show();
    window.grab();
    int row = 32764 + 2;  // zero-based row of the totals row
    for (auto _ : state) {
        state.PauseTiming();
        const std::string r = std::to_string(row + 1);
        sheet.setTyped({row, 0}, "10/16/2090");
        for (int col : {1, 2, 3, 4, 7}) sheet.setTyped({row, col}, "12");
        sheet.setTyped({row, 5}, "=C" + r + "-E" + r);
        sheet.setTyped({row, 6}, "=B" + r + "-D" + r);
        sheet.setTyped({row + 1, 0}, "Total");
        ++row;
        state.ResumeTiming();
        window.refresh(&book);
        benchmark::DoNotOptimize(window.grab());
    }
}
BENCHMARK(BM_TrendsWindowUpdateAfterSubmit)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication qt(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
