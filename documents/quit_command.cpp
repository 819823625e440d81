// Quit, and the answers of the question shown before it.
#include <QPushButton>

#include "documents/document_commands.h"
#include "documents/documents.h"
#include "host/application.h"

namespace tallomer {

namespace {

void endProgram(Documents& d) {
    d.ended = true;
    d.hooks.endProgram();
}

}  // namespace

void Form1_Command4_Click(Documents& d) {
    if (d.state.Saved == "False") {
        if (!d.form5.isVisible()) {  // a guard already up is left as it is
            d.form5.showGuard();
            d.form5.Command1->setFocus();
        }
        return;
    }
    d.state.xlApp->quit();
    endProgram(d);
}

void Form5_Command1_Click(Documents& d) { d.form5.hide(); }

// Continue: the host drops the unsaved workbook and the program ends.
void Form5_Command2_Click(Documents& d) {
    d.state.xlApp->quit();
    endProgram(d);
}

}  // namespace tallomer
