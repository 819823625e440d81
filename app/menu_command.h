#pragma once
#include <functional>
#include <vector>

#include <QKeySequence>
#include <QList>
#include <QString>

namespace tallomer {

class Program;

// One item of a submenu that is filled when it opens (File > Open Recent).
struct MenuItem {
    QString text{};
    bool enabled = true;
    std::function<void(Program&)> run{};
};

// One command of the menu bar: one row of the table that mainMenuCommands() returns. A later
// command is one more row; the menu bar, its shortcuts and its enabled states follow from it.
struct MenuCommand {
    QString menu{};  // the menu it sits in, with its mnemonic: "&File"
    QString text;  // "&New"; the text when `label` is empty
    QList<QKeySequence> keys{};  // the first is shown beside the text
    std::function<void(Program&)> run;
    std::function<bool(Program&)> enabled{};  // empty: always enabled
    std::function<QString(Program&)> label{};  // a text that changes ("Undo Last Entry (1/2/2001)")
    std::function<std::vector<MenuItem>(Program&)> items{};  // set: a submenu, filled as it opens
    bool separatorBefore = false;
};

// The menus in the order the menu bar shows them; a menu without a row is left out.
const QList<QString>& menuOrder();

// The whole table, File first.
std::vector<MenuCommand> mainMenuCommands();

}  // namespace tallomer
