#pragma once
#include <optional>
#include <string>

namespace tallomer {

class MainWindow;
struct SharedState;

// Form1_Command1_Click, Submit: checks the six inputs, writes the data row at the cell cursor
// (row R) with its formulas and a fresh totals row under it, counts the entry in B1, fills the
// display boxes as it goes, empties the inputs and sets Saved to "False".
//
// An entry that fails the check, and any failure once storing began, ends with "Incorrect
// data!". After a failure during storing the sheet is put back as it was (rows R and R + 1, B1,
// the cursor at A of row R), while the inputs, Saved and the focus stay and the display boxes
// filled before the failure keep their new texts.
// Returns whether the entry was stored.
bool Form1_Command1_Click(SharedState& state, MainWindow& window);

// The entry check alone: the first three "/"-pieces of the date and the five figures numeric.
bool EntryIsValid(const MainWindow& window);

// The same check, saying which input it refuses first, in box order: the field (an
// EntryField, entry_texts.h) and why ("not a number"). nullopt when the entry is valid.
struct EntryFault {
    int field = 0;
    std::string why;
};
std::optional<EntryFault> FindEntryFault(const MainWindow& window);

}  // namespace tallomer
