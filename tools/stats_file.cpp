#include "stats_file.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/file_fingerprint.h"
#include "host/host_error.h"
#include "workbook/results_display.h"
#include "workbook/stats_layout_check.h"
#include "workbook/stats_sheet.h"

namespace cli {

StatsFile::StatsFile(const std::string& path, bool makeNew) : path_(path) {
    state_.xlApp = &xl_;
    xl_.setVisible(false);
    xl_.setDisplayAlerts(false);
    std::error_code error;
    created_ = makeNew && !std::filesystem::exists(path, error) && !error;
    try {
        if (created_) {
            tallomer::NewStatsSheet(xl_, window_);
            return;
        }
        xl_.openWorkbook(path);
        xl_.selectSheet(1);
    } catch (const std::exception& failure) {
        throw Refusal("cannot read " + path + ": " + failure.what());
    }
    if (const auto fault = tallomer::StatsLayoutFault(sheet())) {
        throw Refusal(path + " is not a statistics workbook: " + *fault);
    }
    try {
        // What the window does after Open: the boxes filled and the cell cursor at A of the
        // totals row, where Submit starts.
        tallomer::ShowResults(xl_, window_);
    } catch (const std::exception& failure) {
        throw Refusal(path + " is not a statistics workbook: " + failure.what());
    }
}

void StatsFile::save() {
    try {
        if (created_) {
            if (std::filesystem::exists(path_))
                throw Refusal(path_ + " was made by another program meanwhile; not replaced");
            xl_.saveActiveWorkbookAs(path_);
            return;
        }
        const host::Workbook& book = *xl_.activeWorkbook();
        if (host::fingerprintFile(book.path()) != book.fileFingerprint()) {
            throw Refusal(path_ + " was changed by another program since it was read; not saved");
        }
        xl_.saveActiveWorkbook();
    } catch (const Refusal&) {
        throw;
    } catch (const std::exception& failure) {
        throw Refusal("cannot save " + path_ + ": " + failure.what());
    }
}

std::string readWholeFile(const std::string& path, const std::string& what) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Refusal("cannot read " + what + " " + path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) throw Refusal("cannot read " + what + " " + path);
    return std::move(bytes).str();
}

}  // namespace cli
