#pragma once
#include <vector>

#include <QObject>

#include "app/menu_command.h"

class QAction;
class QMenu;
class QMenuBar;

namespace tallomer {

class Program;

// The menu bar built from a table of commands. Texts and enabled states are brought up to date
// whenever the sheet changes, after every command, and when a menu opens, so that a shortcut
// never runs a command its menu shows disabled.
class MainMenu : public QObject {
    Q_OBJECT
public:
    MainMenu(Program& program, QMenuBar& bar, std::vector<MenuCommand> commands);

    void refresh();
    // The action of the row whose text (without its mnemonic marks) is `text`, for tests.
    QAction* action(const QString& text) const;

private:
    void fillSubmenu(QMenu& menu, const MenuCommand& command);

    Program& program_;
    std::vector<MenuCommand> commands_;
    std::vector<QAction*> actions_;  // one per row
};

// Builds the main window's menu bar from mainMenuCommands(); called once, with the document
// commands wired.
MainMenu& installMainMenu(Program& program);

}  // namespace tallomer
