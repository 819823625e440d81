#pragma once
#include <string>

namespace tallomer {

class Program;

// Every successful Submit, Undo and Redo goes into the run's journal; a journal that cannot be
// written is said once, until the next Save.
void wireJournal(Program& program);
// Save, Save As, New and Open: the journal starts afresh on the workbook at `path` (empty: a
// new sheet).
void restartJournal(Program& program, const std::string& path);

}  // namespace tallomer
