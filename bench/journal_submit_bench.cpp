// Submit with its journal record written and flushed (fdatasync) before it returns, against
// Submit alone and the journal record alone, so the flush's share shows. The journal goes into
// a folder under the current directory: the disk the program's state folder lives on, not a
// tmpfs.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/application.h"
#include "workbook/entry_history.h"
#include "workbook/entry_journal.h"
#include "workbook/main_window.h"
#include "workbook/stats_sheet.h"

using namespace tallomer;

namespace {

class BenchWindow : public MainWindow {
public:
    std::string boxText(int box) const override { return boxes[box]; }
    void setBoxText(int box, const std::string& text) override { boxes[box] = text; }
    void focusDateBox() override {}
    void setProcessingVisible(bool) override {}
    void setCaption(const std::string&) override {}
    std::string caption() const override { return {}; }
    void showWindow() override {}
    void message(const std::string&) override { std::abort(); }
    std::array<std::string, 27> boxes;
};

const EntryTexts kDay{"1/2/2001", "10", "250", "2", "50", "100"};
constexpr int kEntries = 2000;  // well inside the sheet's 32,764

struct Setup {
    Setup() {
        char name[] = "journal-bench.XXXXXX";
        folder = ::mkdtemp(name);
        state.xlApp = &app;
        NewStatsSheet(app, window);
    }
    ~Setup() { std::filesystem::remove_all(folder); }
    std::string folder;
    host::Application app;
    BenchWindow window;
    SharedState state;
};

void BM_SubmitWithJournal(benchmark::State& s) {
    Setup setup;
    EntryJournal journal(setup.folder);
    EntryHistory history(setup.state, setup.window);
    history.recorder = [&journal](EntryStep step, const EntryTexts& texts) {
        if (!journal.record({step, texts})) std::abort();
    };
    for (auto _ : s) history.addEntry(kDay);
}

void BM_SubmitAlone(benchmark::State& s) {
    Setup setup;
    EntryHistory history(setup.state, setup.window);
    for (auto _ : s) history.addEntry(kDay);
}

void BM_JournalRecordFlushed(benchmark::State& s) {
    Setup setup;
    EntryJournal journal(setup.folder);
    for (auto _ : s) journal.record({EntryStep::Submit, kDay});
}

}  // namespace

BENCHMARK(BM_SubmitWithJournal)->Iterations(kEntries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SubmitAlone)->Iterations(kEntries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JournalRecordFlushed)->Iterations(kEntries)->Unit(benchmark::kMillisecond);
