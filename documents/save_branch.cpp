#include "documents/documents.h"
#include "documents/file_dialog_branches.h"
#include "documents/save_target_check.h"
#include "host/application.h"

namespace tallomer {

namespace {
// Two lines: Qt breaks a message's lines at "\n", not at a lone carriage return.
constexpr const char* kSaveFailed = "Error in saving file.\nPlease check the file name.";
}  // namespace

void saveBranch(Documents& d, const std::string& path) {
    try {
        if (!mayWriteTo(d, path)) {  // refused or cancelled: nothing written, nothing changed
            d.main.showWindow();
            d.main.setProcessingVisible(false);
            return;
        }
        d.state.xlApp->setDisplayAlerts(false);
        d.state.xlApp->saveActiveWorkbookAs(path);
        d.state.Saved = "True";
        d.state.Named = "True";
    } catch (...) {
        d.main.message(kSaveFailed);
        d.main.showWindow();
        d.main.setProcessingVisible(false);
        return;
    }
    completeFileOperation(d, path);
    if (d.hooks.workbookSaved) d.hooks.workbookSaved(path);
}

}  // namespace tallomer
