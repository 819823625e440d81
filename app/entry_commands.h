#pragma once
#include <string>
#include <vector>

#include <QString>

#include "app/menu_command.h"

namespace tallomer {

class Program;

// Edit > Undo Last Entry and Edit > Redo Entry, and what their menu items show.
void undoLastEntry(Program& program);
void redoEntry(Program& program);
bool canUndoEntry(Program& program);
bool canRedoEntry(Program& program);
QString undoEntryText(Program& program);  // "&Undo Last Entry (1/2/2001)"
QString redoEntryText(Program& program);

// File > Open Recent: the workbooks last opened or saved, newest first.
std::vector<MenuItem> recentWorkbookItems(Program& program);
// Opens `path` as File > Open does, after the same unsaved-data question.
void openRecent(Program& program, const std::string& path);

}  // namespace tallomer
