#include "app/entry_commands.h"

#include "app/program.h"

namespace tallomer {

namespace {
// "Undo Last Entry (1/2/2001)": the menu names the entry it acts on.
QString withDate(const char* text, const std::string& date) {
    QString label = QString::fromUtf8(text);
    if (!date.empty()) label += QStringLiteral(" (%1)").arg(QString::fromStdString(date));
    return label;
}
}  // namespace

void undoLastEntry(Program& program) {
    if (program.entries().undo()) program.sheetEvents().announceChange();
}

void redoEntry(Program& program) {
    if (program.entries().redo()) program.sheetEvents().announceChange();
}

bool canUndoEntry(Program& program) { return program.entries().canUndo(); }
bool canRedoEntry(Program& program) { return program.entries().canRedo(); }

QString undoEntryText(Program& program) {
    return withDate("&Undo Last Entry", program.entries().undoDate());
}

QString redoEntryText(Program& program) { return withDate("&Redo Entry", program.entries().redoDate()); }

std::vector<MenuItem> recentWorkbookItems(Program&) { return {}; }

}  // namespace tallomer
