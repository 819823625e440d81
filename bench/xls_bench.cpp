// Opening and saving the largest statistics workbook the program can hold: 32,764 entries,
// totals in row 32,767. The workbook is built with the host, saved once, and then saved
// (SaveAs) and opened again and again; the medians are the figures that count.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "host/formula_code.h"
#include "host/host_error.h"
#include "host/workbook.h"
#include "host/workbook_files.h"

namespace {

constexpr int kEntries = 32764;

const char* const kHeaders[] = {"DATE",
                                "# of Orders",
                                "$ of Orders",
                                "# of Refunds",
                                "$ of Refunds",
                                "$Orders - $Refunds",
                                "# Orders - # Refunds",
                                "Number of Unique Visitors",
                                "Total $ Dollars / Unique Visitors",
                                "Total # Orders / Unique Visitors",
                                "Average = $ / Unique Visitors"};

std::unique_ptr<host::Workbook> buildStatsWorkbook() {
    auto book = host::Workbook::createDefault();
    host::Worksheet& s = book->sheet(0);
    const double widths[] = {15, 15, 15, 18, 18, 24, 24, 30, 36, 36, 36};
    for (int c = 0; c < 11; ++c) s.setColumnWidth(c, widths[c]);
    s.beginLoad();
    s.setTyped({0, 0}, "Entries");
    s.setValue({0, 1}, host::Value::fromNumber(kEntries));
    for (int c = 0; c < 11; ++c) s.setTyped({1, c}, kHeaders[c]);
    // Formulas are relative, so one code serves every row.
    const auto at = [](int col) { return host::CellAddress{2, col}; };
    const host::FormulaPtr f = host::parseFormula("=C3-E3", at(5));
    const host::FormulaPtr g = host::parseFormula("=B3-D3", at(6));
    const host::FormulaPtr i = host::parseFormula("=F3/H3", at(8));
    const host::FormulaPtr j = host::parseFormula("=G3/H3", at(9));
    const host::FormulaPtr k = host::parseFormula("=I3", at(10));
    for (int n = 0; n < kEntries; ++n) {
        const int row = 2 + n;
        s.setTyped({row, 0}, "2/1/2001");
        s.setValue({row, 1}, host::Value::fromNumber(10 + n % 7));
        s.setValue({row, 2}, host::Value::fromNumber(250 + n % 13));
        s.setValue({row, 3}, host::Value::fromNumber(n % 3));
        s.setValue({row, 4}, host::Value::fromNumber((n % 3) * 12.5));
        s.setValue({row, 7}, host::Value::fromNumber(100 + n % 11));
        s.setFormula({row, 5}, f);
        s.setFormula({row, 6}, g);
        s.setFormula({row, 8}, i);
        s.setFormula({row, 9}, j);
        s.setFormula({row, 10}, k);
    }
    const int totals = 2 + kEntries;
    const std::string last = std::to_string(totals);
    s.setTyped({totals, 0}, "Total");
    for (int c = 1; c <= 9; ++c) {
        const std::string col(1, char('A' + c));
        s.setTyped({totals, c}, "=sum(" + col + "3:" + col + last + ")");
    }
    s.setTyped({totals, 10}, "=average(K3:K" + last + ")");
    s.endLoad();
    s.setBold({{0, 0}, {1, 10}}, true);
    s.setAlignment({{0, 1}, {1, 10}}, host::HAlign::Right);
    s.setAlignment({{0, 0}, {999, 0}}, host::HAlign::Left);
    s.selectCell({totals, 0});
    return book;
}

struct Files {
    std::string dir;
    std::string saved;  // written once by the host, opened by BM_Open
    std::unique_ptr<host::Workbook> book;
};

Files& files() {
    static Files f = [] {
        Files x;
        char tmpl[] = "/tmp/tallomer-xls-bench-XXXXXX";
        x.dir = mkdtemp(tmpl);
        x.saved = x.dir + "/stats_32764.xls";
        x.book = buildStatsWorkbook();
        host::saveWorkbookFile(*x.book, x.saved);
        return x;
    }();
    return f;
}

void BM_SaveAs(benchmark::State& state) {
    Files& f = files();
    const std::string target = f.dir + "/copy.xls";
    for (auto _ : state) host::saveWorkbookFile(*f.book, target);
    std::FILE* file = std::fopen(target.c_str(), "rb");
    std::fseek(file, 0, SEEK_END);
    state.counters["file_MB"] = double(std::ftell(file)) / 1e6;
    std::fclose(file);
}
BENCHMARK(BM_SaveAs)->Unit(benchmark::kMillisecond)->UseRealTime();

// Opens `path` once per iteration; a file that cannot be opened ends the benchmark with why.
void openRepeatedly(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        try {
            auto book = host::loadWorkbookFile(path);
            benchmark::DoNotOptimize(book.get());
        } catch (const host::HostError& e) {
            state.SkipWithError(e.what());
            break;
        }
    }
}

void BM_Open(benchmark::State& state) { openRepeatedly(state, files().saved); }
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same workbook as another program saved it, when a script names one
// (TALLOMER_BENCH_XLS; bench/xls_copy_speed.sh passes the copy LibreOffice writes).
void BM_OpenGivenFile(benchmark::State& state) {
    const char* path = std::getenv("TALLOMER_BENCH_XLS");
    if (!path || !*path) {
        state.SkipWithError("TALLOMER_BENCH_XLS names no workbook");
        return;
    }
    openRepeatedly(state, path);
}
BENCHMARK(BM_OpenGivenFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The first change after opening: the first entry's order count, read by its row's formulas
// and the totals. It also pays for the dependency index that opening leaves unbuilt.
void BM_FirstChangeAfterOpen(benchmark::State& state) {
    Files& f = files();
    for (auto _ : state) {
        state.PauseTiming();
        auto book = host::loadWorkbookFile(f.saved);
        state.ResumeTiming();
        book->sheet(0).setValue({2, 1}, host::Value::fromNumber(12));
        state.PauseTiming();
        book.reset();
        state.ResumeTiming();
    }
}
// A fixed count: the untimed open around each change is many times longer than the change.
BENCHMARK(BM_FirstChangeAfterOpen)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
