// New, and the answers of the question shown before it.
#include "documents/document_commands.h"
#include "documents/documents.h"
#include "host/application.h"

namespace tallomer {

namespace {

// Closes the current workbook without saving it. A host that holds none (a new sheet that
// could not be made) has nothing to close: the new sheet simply takes the empty place.
void dropCurrentWorkbook(Documents& d) {
    if (d.state.xlApp->activeWorkbook() != nullptr) {
        d.state.xlApp->closeActiveWorkbook();
    }
}

}  // namespace

void Form1_Command2_Click(Documents& d) {
    if (d.state.Saved == "False") {
        d.form6.showGuard();
        return;
    }
    d.main.setProcessingVisible(true);
    dropCurrentWorkbook(d);
    d.hooks.newStatsSheet();
    d.state.Saved = "True";
    d.state.Named = "False";
    d.main.setCaption("Tallomer");
    if (d.hooks.workbookReplaced) d.hooks.workbookReplaced({});
}

void Form6_Command1_Click(Documents& d) { d.form6.hide(); }

// No: the unsaved records are dropped and an empty sheet takes their place.
void Form6_Command2_Click(Documents& d) {
    d.form6.hide();
    d.main.setProcessingVisible(true);
    dropCurrentWorkbook(d);
    d.hooks.newStatsSheet();
    d.main.setProcessingVisible(false);
    d.main.setCaption("Tallomer");
    d.state.Saved = "True";
    d.state.Named = "False";
    if (d.hooks.workbookReplaced) d.hooks.workbookReplaced({});
}

}  // namespace tallomer
