// Opening and saving an .xlsx workbook in-process: the file TALLOMER_BENCH_XLSX names (the
// 32,764-entry statistics workbook as LibreOffice writes it, made by xlsx_copy_speed.sh).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "host/workbook_files.h"

namespace {

const char* givenFile() { return std::getenv("TALLOMER_BENCH_XLSX"); }

void OpenXlsx(benchmark::State& state) {
    if (!givenFile()) return state.SkipWithError("TALLOMER_BENCH_XLSX names no file");
    for (auto _ : state) benchmark::DoNotOptimize(host::loadWorkbookFile(givenFile()));
}
BENCHMARK(OpenXlsx)->Unit(benchmark::kMillisecond);

void SaveXlsx(benchmark::State& state) {
    if (!givenFile()) return state.SkipWithError("TALLOMER_BENCH_XLSX names no file");
    const auto workbook = host::loadWorkbookFile(givenFile());
    char folder[] = "/tmp/tallomer-xlsx-bench-XXXXXX";
    const std::string out = std::string(mkdtemp(folder)) + "/saved.xlsx";
    for (auto _ : state) host::saveWorkbookFile(*workbook, out);
    unlink(out.c_str());
    rmdir(folder);
}
BENCHMARK(SaveXlsx)->Unit(benchmark::kMillisecond);

}  // namespace
