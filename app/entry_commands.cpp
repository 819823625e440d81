#include "app/entry_commands.h"

#include "app/program.h"

namespace tallomer {

void undoLastEntry(Program&) {}
void redoEntry(Program&) {}
bool canUndoEntry(Program&) { return false; }
bool canRedoEntry(Program&) { return false; }
QString undoEntryText(Program&) { return QStringLiteral("&Undo Last Entry"); }
QString redoEntryText(Program&) { return QStringLiteral("&Redo Entry"); }
std::vector<MenuItem> recentWorkbookItems(Program&) { return {}; }

}  // namespace tallomer
