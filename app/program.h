#pragma once
#include <functional>
#include <memory>
#include <string>

#include "app/form1.h"
#include "app/form2.h"
#include "app/sheet_events.h"
#include "workbook/entry_history.h"
#include "workbook/entry_journal.h"

class QApplication;

namespace tallomer {
class TrendsWindow;
}

namespace host {
class Application;
}

namespace tallomer {

class Documents;

// The program: the main window, the wait window and the spreadsheet host, and start-up
// (Form1_Form_Load). Owns them for the whole run.
class Program {
public:
    using HostFactory = std::function<std::unique_ptr<host::Application>()>;

    // `makeHost` creates the spreadsheet application at start-up (tests pass one that fails
    // at a chosen operation).
    explicit Program(HostFactory makeHost = {});
    ~Program();

    // Start-up, in its fixed order. Returns false when start-up ended the program (the sheet
    // could not be prepared, or the host could not be started); the windows are then hidden.
    bool Form1_Form_Load();

    Form1& form1() { return form1_; }
    // The wait window; created on first use (its load event centres it).
    Form2& form2();
    SharedState& shared() { return form1_.shared(); }
    // The Trends window; created on first use, then shown and hidden. It follows the sheet
    // through sheetEvents().
    TrendsWindow& trends();
    void showTrends();
    host::Application* xlApp() { return host_.get(); }
    // Says "the sheet has changed" after every command that changes it.
    SheetEvents& sheetEvents() { return sheetEvents_; }
    // Submit, Undo and Redo with the run's undo history. An importer adds each entry with
    // entries().addEntry(texts) (the same code as Submit, recorded in the history and the
    // journal) and then calls sheetEvents().announceChange().
    EntryHistory& entries() { return entries_; }
    // The journal of this run's unsaved entries.
    EntryJournal& journal() { return journal_; }
    // The document commands and windows; null until wireDocumentCommands.
    Documents* documents() { return documents_; }
    void setDocuments(Documents* documents) { documents_ = documents; }

    // Start-up steps 6 and 7 call this: it places the three unsaved-data dialogs Form4 (4155 x
    // 1650), Form5 (4515 x 2115), Form6 (3975 x 1965) by centredPlacement, width first, and the
    // file dialog Form7 by fileDialogPlacement with height 4290, all from the screen size in
    // shared(), all staying hidden. The document commands set it (wireDocumentCommands).
    std::function<void(Program&)> placeSecondaryWindows;
    // Opens a workbook given on the command line once start-up is over, as the file dialog's
    // Open button would; a file that cannot be opened leaves the new sheet. Set by
    // wireDocumentCommands.
    std::function<void(const std::string& path)> openGivenFile;

    // Ends the run: the host is asked to quit, every window closes, and the event loop (if it
    // runs) returns `status`.
    void end(int status);
    bool ended() const { return ended_; }
    int exitStatus() const { return exitStatus_; }

private:
    HostFactory makeHost_;
    Form1 form1_;
    SheetEvents sheetEvents_;
    EntryHistory entries_{form1_.shared(), form1_};
    Documents* documents_ = nullptr;
    EntryJournal journal_;
    std::unique_ptr<Form2> form2_;
    std::unique_ptr<TrendsWindow> trends_;
    std::unique_ptr<host::Application> host_;
    bool ended_ = false;
    int exitStatus_ = 0;
};

// Connects the main window's New, Save, Quit, Open and Save As buttons and its close control to
// the document commands, sets placeSecondaryWindows, and builds the menu bar. Called once,
// before start-up.
void wireDocumentCommands(Program& program);

// At start-up, once the main window is ready: offers each journal left by a program that is no
// longer running, one after the other ("Restore Unsaved Entries"), and restores or removes it.
void offerUnsavedEntries(Program& program);

// Starts the program, opens `file` when one is given, and runs the event loop; returns the
// exit status.
int runProgram(QApplication& qt, const std::string& file = {});

}  // namespace tallomer
