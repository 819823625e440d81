#pragma once
#include <functional>

#include "documents/file_dialog.h"
#include "documents/unsaved_data_guard.h"
#include "workbook/main_window.h"

namespace tallomer {

// What the document commands need from the rest of the program. Left empty, the sheet hooks
// run the statistics sheet code on the shared host and the main window.
struct DocumentHooks {
    std::function<void()> newStatsSheet;  // NewStatsSheet
    std::function<bool()> showResults;  // ShowResults: whether the sheet holds entries
    std::function<void()> hideWaitWindow;  // Form2, the wait window
    // Ends the program: every window closes and the event loop stops. By default hides every
    // top-level window and leaves the event loop.
    std::function<void()> endProgram;
    // Told when the workbook at hand has been replaced by a new sheet (path empty) or an opened
    // file, and when it has been saved to `path`.
    std::function<void(const std::string& path)> workbookReplaced;
    std::function<void(const std::string& path)> workbookSaved;
    // Asks the Save As question with `text` in a window titled "Tallomer": 0 Replace, else
    // Cancel. By default a message box with Cancel as its default button.
    std::function<int(const std::string& text)> askReplace;
};

// The document windows (the file dialog and the three unsaved-data guards), created once for
// the whole run, with what their handlers share: the main window, the shared state and the
// hooks. Constructing it connects every button of these windows to its handler.
class Documents {
public:
    Documents(MainWindow& main, SharedState& state, DocumentHooks hooks, DriveList::DriveSource drives = {});
    Documents(const Documents&) = delete;
    Documents& operator=(const Documents&) = delete;

    MainWindow& main;
    SharedState& state;
    DocumentHooks hooks;

    Form7 form7;  // file dialog
    UnsavedDataGuard form4{openGuardLayout()};
    UnsavedDataGuard form5{quitGuardLayout()};
    UnsavedDataGuard form6{newSheetGuardLayout()};

    bool ended = false;  // Quit has run: no further command acts
    // File > Open Recent's choice, opened once the open guard's No is pressed.
    std::string pendingOpen;

    // Start-up: centres the three guards and places the file dialog for 4290 twips, all hidden.
    void placeWindowsAtStartUp();
    // The main window's own close control: runs Quit, guard included. Returns whether the
    // window may close (the program has ended), false when the quit guard was shown instead.
    bool closeRequested();
    // Runs one command; a failure the command does not handle itself is reported in a message
    // instead of ending the program abruptly.
    void run(const std::function<void(Documents&)>& command);
};

}  // namespace tallomer
