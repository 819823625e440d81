// The menu bar's commands, one row each. A menu item runs exactly what its button runs: it
// clicks that button, so the handler, its guards, flags and messages are the button's own.
#include <QPushButton>

#include "app/csv_commands.h"
#include "app/entry_commands.h"
#include "app/menu_command.h"
#include "app/message_box.h"
#include "app/program.h"
#include "workbook/state_folder.h"

namespace tallomer {

namespace {

std::function<void(Program&)> clickButton(int command) {
    return [command](Program& program) { program.form1().Command(command)->click(); };
}

void showAbout(Program& program) {
    showMessageBox(&program.form1(), QStringLiteral("Tallomer %1\n\n"
                                                    "Keeps a day-by-day record of an online shop's trade in an "
                                                    "Excel 97-2003 statistics workbook (.xls).\n\n"
                                                    "Entries typed since the last Save are kept in\n%2\n"
                                                    "until the workbook is saved, so that a crash loses none of them.")
                                         .arg(QStringLiteral(TALLOMER_VERSION), QString::fromStdString(stateFolder())));
}

}  // namespace

const QList<QString>& menuOrder() {
    static const QList<QString> order = {QStringLiteral("&File"), QStringLiteral("&Edit"), QStringLiteral("&View"),
                                         QStringLiteral("&Help")};
    return order;
}

std::vector<MenuCommand> mainMenuCommands() {
    const QString file = QStringLiteral("&File"), edit = QStringLiteral("&Edit"), view = QStringLiteral("&View"),
                  help = QStringLiteral("&Help");
    std::vector<MenuCommand> rows;
    rows.push_back({.menu = file, .text = QStringLiteral("&New"), .keys = {QKeySequence::New}, .run = clickButton(2)});
    rows.push_back(
        {.menu = file, .text = QStringLiteral("&Open..."), .keys = {QKeySequence::Open}, .run = clickButton(5)});
    rows.push_back({.menu = file, .text = QStringLiteral("Open &Recent"), .run = {}, .items = recentWorkbookItems});
    rows.push_back({.menu = file,
                    .text = QStringLiteral("&Save"),
                    .keys = {QKeySequence::Save},
                    .run = clickButton(3),
                    .separatorBefore = true});
    rows.push_back({.menu = file,
                    .text = QStringLiteral("Save &As..."),
                    .keys = {QKeySequence(QStringLiteral("Ctrl+Shift+S"))},
                    .run = clickButton(6)});
    rows.push_back({.menu = file, .text = QStringLiteral("&Import CSV..."), .run = importCsv, .separatorBefore = true});
    rows.push_back({.menu = file, .text = QStringLiteral("&Export CSV..."), .run = exportCsv});
    rows.push_back({.menu = file,
                    .text = QStringLiteral("&Quit"),
                    .keys = {QKeySequence::Quit},
                    .run = clickButton(4),
                    .separatorBefore = true});

    rows.push_back({.menu = edit,
                    .text = QStringLiteral("&Undo Last Entry"),
                    .keys = {QKeySequence::Undo},
                    .run = undoLastEntry,
                    .enabled = canUndoEntry,
                    .label = undoEntryText});
    rows.push_back({.menu = edit,
                    .text = QStringLiteral("&Redo Entry"),
                    .keys = {QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))},
                    .run = redoEntry,
                    .enabled = canRedoEntry,
                    .label = redoEntryText});

    rows.push_back({.menu = view,
                    .text = QStringLiteral("&Trends..."),
                    .keys = {QKeySequence(QStringLiteral("Ctrl+T"))},
                    .run = [](Program& program) { program.showTrends(); }});

    rows.push_back({.menu = help, .text = QStringLiteral("&About Tallomer"), .run = showAbout});
    return rows;
}

}  // namespace tallomer
