#include <exception>

#include "documents/box_snapshot.h"
#include "documents/documents.h"
#include "documents/file_dialog_branches.h"
#include "host/application.h"

namespace tallomer {

namespace {

void reportFailedOpen(Documents& d, const BoxSnapshot& boxes, const std::string& why) {
    boxes.restore(d.main);
    d.main.setProcessingVisible(false);
    d.main.message("The file could not be opened.\n" + why);
}

}  // namespace

void openBranch(Documents& d, const std::string& path) {
    // ShowResults fills the boxes as it reads; a sheet that lets it down half way must not
    // leave a mixture of two workbooks on screen.
    const BoxSnapshot boxes(d.main);
    if (path.empty()) {
        reportFailedOpen(d, boxes, "No file is selected in the list of existing files.");
        return;
    }

    host::Application& app = *d.state.xlApp;
    host::Workbook* previous = app.activeWorkbook();
    host::Workbook* opened = nullptr;
    bool hasEntries = false;
    std::string failure;
    try {
        opened = &app.openWorkbook(path);
        app.selectSheet(1);
        hasEntries = d.hooks.showResults();
    } catch (const std::exception& e) {
        failure = e.what();
        if (failure.empty()) {
            failure = "It does not hold a statistics sheet that can be shown.";
        }
    } catch (...) {
        failure = "It does not hold a statistics sheet that can be shown.";
    }
    if (!failure.empty()) {
        // Back to the workbook the user had: the half-read one goes.
        if (opened != nullptr) {
            app.closeActiveWorkbook();
            if (previous != nullptr) {
                app.activateWorkbook(*previous);
            }
        }
        reportFailedOpen(d, boxes, failure);
        return;
    }

    // The new workbook has been read and shown: only now does the old one go.
    if (previous != nullptr) {
        app.activateWorkbook(*previous);
        app.closeActiveWorkbook();
        app.activateWorkbook(*opened);
    }
    if (!hasEntries) {
        d.main.message("File does not contain any records.");
    }
    completeFileOperation(d, path);
    if (d.hooks.workbookReplaced) d.hooks.workbookReplaced(path);
}

}  // namespace tallomer
