#include "app/entry_commands.h"

#include "app/program.h"

#include <filesystem>

#include "documents/documents.h"
#include "documents/file_dialog_branches.h"
#include "workbook/recent_workbooks.h"
#include "workbook/state_folder.h"

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

QString undoEntryText(Program& program) { return withDate("&Undo Last Entry", program.entries().undoDate()); }

QString redoEntryText(Program& program) { return withDate("&Redo Entry", program.entries().redoDate()); }

std::vector<MenuItem> recentWorkbookItems(Program&) {
    std::vector<MenuItem> items;
    int number = 0;
    for (const std::string& path : recentWorkbooks(stateFolder())) {
        std::error_code error;
        const bool there = std::filesystem::is_regular_file(path, error);
        items.push_back({QStringLiteral("&%1 %2").arg(++number).arg(QString::fromStdString(path)), there,
                         [path](Program& program) { openRecent(program, path); }});
    }
    return items;
}

void openRecent(Program& program, const std::string& path) {
    Documents* docs = program.documents();
    if (!docs) return;
    // The same question as Open first; its No opens this file.
    docs->run([&path](Documents& d) {
        d.state.ToDo = "Open";
        if (d.state.Saved == "False") {
            d.pendingOpen = path;
            d.form4.showGuard();
            return;
        }
        d.main.setProcessingVisible(true);
        openBranch(d, path);
    });
}

}  // namespace tallomer
