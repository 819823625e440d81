// New, and the answers of the question shown before it.
#include "documents/document_commands.h"
#include "documents/documents.h"
#include "host/application.h"

namespace tallomer {

void Form1_Command2_Click(Documents& d) {
    if (d.state.Saved == "False") {
        d.form6.showGuard();
        return;
    }
    d.main.setProcessingVisible(true);
    d.state.xlApp->closeActiveWorkbook();
    d.hooks.newStatsSheet();
    d.state.Saved = "True";
    d.state.Named = "False";
    d.main.setCaption("Tallomer");
}

void Form6_Command1_Click(Documents& d) {
    d.form6.hide();
}

// No: the unsaved records are dropped and an empty sheet takes their place.
void Form6_Command2_Click(Documents& d) {
    d.form6.hide();
    d.main.setProcessingVisible(true);
    d.state.xlApp->closeActiveWorkbook();
    d.hooks.newStatsSheet();
    d.main.setProcessingVisible(false);
    d.main.setCaption("Tallomer");
    d.state.Saved = "True";
    d.state.Named = "False";
}

}  // namespace tallomer
