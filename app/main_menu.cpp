#include "app/main_menu.h"

#include <QMenu>
#include <QMenuBar>

#include "app/program.h"
#include "app/sheet_events.h"

namespace tallomer {

namespace {
QString plain(QString text) { return text.remove(QLatin1Char('&')); }
}  // namespace

MainMenu::MainMenu(Program& program, QMenuBar& bar, std::vector<MenuCommand> commands)
    : QObject(&bar), program_(program), commands_(std::move(commands)) {
    // A screen reader names the bar and each menu by what it holds.
    bar.setAccessibleName(QStringLiteral("Menu bar"));
    auto named = [](QMenu* menu) {
        if (menu) menu->setAccessibleName(QString(menu->title()).remove(QLatin1Char('&')) + QStringLiteral(" menu"));
        return menu;
    };
    QList<QMenu*> menus;
    for (const QString& title : menuOrder()) {
        bool used = false;
        for (const MenuCommand& command : commands_) used = used || command.menu == title;
        menus.push_back(used ? named(bar.addMenu(title)) : nullptr);
    }
    for (QMenu* menu : menus) {
        if (menu) connect(menu, &QMenu::aboutToShow, this, &MainMenu::refresh);
    }
    for (std::size_t row = 0; row < commands_.size(); ++row) {
        const MenuCommand& command = commands_[row];
        const qsizetype at = menuOrder().indexOf(command.menu);
        QMenu* menu = at >= 0 ? menus[at] : nullptr;
        if (!menu) menu = named(bar.addMenu(command.menu));  // a menu the order does not know goes last
        if (command.separatorBefore) menu->addSeparator();
        QAction* action = nullptr;
        if (command.items) {
            QMenu* submenu = named(menu->addMenu(command.text));
            action = submenu->menuAction();
            connect(submenu, &QMenu::aboutToShow, this,
                    [this, submenu, row] { fillSubmenu(*submenu, commands_[row]); });
        } else {
            action = menu->addAction(command.text);
            action->setShortcuts(command.keys);
            connect(action, &QAction::triggered, this, [this, row] {
                refresh();  // the state may have moved since the menu was drawn
                if (!actions_[row]->isEnabled()) return;
                commands_[row].run(program_);
                refresh();
            });
        }
        actions_.push_back(action);
    }
    connect(&program.sheetEvents(), &SheetEvents::sheetChanged, this, &MainMenu::refresh);
    refresh();
}

void MainMenu::refresh() {
    for (std::size_t row = 0; row < commands_.size(); ++row) {
        const MenuCommand& command = commands_[row];
        QAction* action = actions_[row];
        action->setEnabled(!command.enabled || command.enabled(program_));
        if (command.label) action->setText(command.label(program_));
    }
}

void MainMenu::fillSubmenu(QMenu& menu, const MenuCommand& command) {
    menu.clear();
    std::vector<MenuItem> items = command.items(program_);
    if (items.empty()) menu.addAction(QStringLiteral("(none)"))->setEnabled(false);
    for (MenuItem& item : items) {
        QAction* action = menu.addAction(item.text);
        action->setEnabled(item.enabled);
        connect(action, &QAction::triggered, this, [this, run = std::move(item.run)] {
            run(program_);
            refresh();
        });
    }
}

QAction* MainMenu::action(const QString& text) const {
    for (std::size_t row = 0; row < commands_.size(); ++row) {
        if (plain(commands_[row].text) == plain(text)) return actions_[row];
    }
    return nullptr;
}

MainMenu& installMainMenu(Program& program) {
    return *new MainMenu(program, *program.form1().menuBar(), mainMenuCommands());
}

}  // namespace tallomer
