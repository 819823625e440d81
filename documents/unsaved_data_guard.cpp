#include "documents/unsaved_data_guard.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <array>

#include "documents/dialog_font.h"
#include "documents/window_geometry.h"

namespace tallomer {

namespace {

QRect rectOf(const UnsavedDataGuard::Control& c) { return twipsRect(c.left, c.top, c.width, c.height); }

}  // namespace

UnsavedDataGuard::UnsavedDataGuard(const Layout& layout) {
    setWindowTitle(QStringLiteral("You have Unsaved Data"));
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twipsToPixels(layout.clientWidth), twipsToPixels(layout.clientHeight));
    setFont(dialogFont());

    Label1 = new QLabel(QString::fromUtf8(layout.label1.text), this);
    Label1->setGeometry(rectOf(layout.label1));
    Label2 = new QLabel(QString::fromUtf8(layout.label2.text), this);
    Label2->setGeometry(rectOf(layout.label2));
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The quit hint is meant to wrap over its box's lines; the questions stay on one line.
    const bool manyLines = layout.label2.height > 2 * layout.label1.height;
    Label2->setWordWrap(manyLines);
    widenToText(*Label1, width());
    if (!manyLines) {
        widenToText(*Label2, width());
    }
    Command1 = new QPushButton(QString::fromUtf8(layout.command1.text), this);
    Command1->setGeometry(rectOf(layout.command1));
    Command2 = new QPushButton(QString::fromUtf8(layout.command2.text), this);
    Command2->setGeometry(rectOf(layout.command2));
    // Enter presses the focused button, as on the system the program comes from; this makes
    // neither button a default button.
    Command1->setAutoDefault(true);
    Command2->setAutoDefault(true);

    // Keyboard order by tab index; the labels take no focus.
    std::array<std::pair<int, QPushButton*>, 2> buttons{
        {{layout.command1.tabIndex, Command1}, {layout.command2.tabIndex, Command2}}};
    std::sort(buttons.begin(), buttons.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    setTabOrder(buttons[0].second, buttons[1].second);
    buttons[0].second->setFocus();
}

void UnsavedDataGuard::showGuard() {
    if (isVisible()) {
        return;
    }
    show();
    activateWindow();
}

const UnsavedDataGuard::Layout& newSheetGuardLayout() {
    static const UnsavedDataGuard::Layout layout{3855,
                                                 1560,
                                                 {"You have some unsaved data.", 420, 180, 2475, 255, 0},
                                                 {"Do you want to go back and save it first?", 420, 480, 2955, 255, 1},
                                                 {"Yes", 420, 1080, 1200, 300, 2},
                                                 {"No", 2100, 1080, 1200, 300, 3}};
    return layout;
}

const UnsavedDataGuard::Layout& openGuardLayout() {
    static const UnsavedDataGuard::Layout layout{4035,
                                                 1245,
                                                 {"You have some unsaved data.", 660, 180, 2475, 255, 0},
                                                 {"Do you want to go back and save it first?", 660, 420, 2955, 255, 3},
                                                 {"Yes", 660, 840, 1200, 300, 1},
                                                 {"No", 2340, 840, 1200, 300, 2}};
    return layout;
}

const UnsavedDataGuard::Layout& quitGuardLayout() {
    static const UnsavedDataGuard::Layout layout{
        4395,
        1710,
        {"You have some unsaved data.", 720, 180, 2475, 255, 1},
        {"You can save it by going back to the  opening screen and clicking on the \"Save\" button.", 720, 480, 2955,
         555, 0},
        {"Go back", 660, 1260, 1200, 300, 3},
        {"Continue", 2340, 1260, 1200, 300, 2}};
    return layout;
}

}  // namespace tallomer
