#include "app/program.h"

#include "host/application.h"

namespace tallomer {

// The place where the document commands plug into the main window. Until they arrive, Quit and
// the close control end the run as Quit does with nothing unsaved (the host quits, the program
// ends); New, Save, Open and Save As do nothing, and no secondary window needs placing.
//
// What goes here: connect form1's newRequested, saveRequested, quitRequested, openRequested,
// saveAsRequested and closeRequested to the commands (with their unsaved-data guards, Form4 to
// Form6, and the file dialog Form7), and set placeSecondaryWindows to place those windows from
// shared().lScreenWidth / lScreenHeight with window_placement.h.
void wireDocumentCommands(Program& program) {
    Form1& form1 = program.form1();
    auto quit = [&program] { program.end(0); };
    QObject::connect(&form1, &Form1::quitRequested, &form1, quit);
    QObject::connect(&form1, &Form1::closeRequested, &form1, quit);
}

}  // namespace tallomer
