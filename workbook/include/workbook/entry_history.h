#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "workbook/entry_texts.h"
#include "workbook/sheet_snapshot.h"

namespace tallomer {

class MainWindow;
struct SharedState;

// What changed the sheet, as the journal records it.
enum class EntryStep { Submit, Undo, Redo };

// The entries of the statistics sheet as commands: Submit, Undo Last Entry and Redo Entry, with
// the undo history of the run and the redo stack. Every entry, typed or brought in (an import,
// a restore), goes through submit(), so the sheet's own Submit writes it and the history and the
// journal (through `recorder`) see it the same way.
class EntryHistory {
public:
    EntryHistory(SharedState& state, MainWindow& window);

    // Told of each step that changed the sheet, after it succeeded; the texts are the entry's
    // (for Undo and Redo, the entry removed or put back).
    std::function<void(EntryStep, const EntryTexts&)> recorder;

    // Submit with the texts in the input boxes. Returns whether the entry was stored.
    bool submit();
    // An entry from elsewhere: the six texts go into the input boxes as if typed, then submit().
    bool addEntry(const EntryTexts& texts);

    // Removes the newest data row of the sheet (typed in this run or read from a file): the row
    // above becomes the totals row, B1 counts one less, the display shows what opening the sheet
    // would show, and the entry's six texts go back into the input boxes. A failure leaves the
    // sheet as it was and says what failed. Returns whether an entry was removed.
    bool undo();
    // Puts the last undone entry back exactly as it was and empties the input boxes.
    bool redo();

    bool canUndo() const;  // the sheet holds an entry
    bool canRedo() const { return !redo_.empty(); }
    // The date of the entry Undo would remove (Redo put back) as the date box shows it; empty
    // when there is none.
    std::string undoDate() const;
    std::string redoDate() const;

    // New and Open: the sheet at hand is another one, so the run's history and the redo stack
    // go (a later Undo still removes the newest row of the new sheet).
    void forgetRun();

private:
    struct Undone {
        EntryTexts texts;
        bool typed = false;  // typed in this run: Redo runs Submit with the texts again
        SheetSnapshot rows;  // the data and totals rows as they were, for an entry from a file
    };
    int entriesOnSheet() const;  // B1; -1 when it cannot be read
    EntryTexts textsOfRow(int row) const;

    SharedState& state_;
    MainWindow& window_;
    std::vector<EntryTexts> typed_;  // this run's entries still on the sheet, oldest first
    std::vector<Undone> redo_;
};

}  // namespace tallomer
