#include "documents/documents.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <exception>

#include "documents/directory_list.h"
#include "documents/document_commands.h"
#include "documents/window_geometry.h"
#include "workbook/results_display.h"
#include "workbook/stats_sheet.h"
#include "workbook/window_placement.h"

namespace tallomer {

namespace {

void hideEveryWindowAndLeave() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        window->hide();
    }
    QCoreApplication::exit(0);
}

}  // namespace

Documents::Documents(MainWindow& mainWindow, SharedState& shared, DocumentHooks given, DriveList::DriveSource drives)
    : main(mainWindow), state(shared), hooks(std::move(given)), form7(std::move(drives)) {
    if (!hooks.newStatsSheet) {
        hooks.newStatsSheet = [this] { NewStatsSheet(*state.xlApp, main); };
    }
    if (!hooks.showResults) {
        hooks.showResults = [this] { return ShowResults(*state.xlApp, main); };
    }
    if (!hooks.endProgram) {
        hooks.endProgram = hideEveryWindowAndLeave;
    }
    auto on = [this](QPushButton* button, void (*handler)(Documents&)) {
        QObject::connect(button, &QPushButton::clicked, &form7, [this, handler] { run(handler); });
    };
    on(form7.Command1, Form7_Command1_Click);
    on(form4.Command1, Form4_Command1_Click);
    on(form4.Command2, Form4_Command2_Click);
    on(form5.Command1, Form5_Command1_Click);
    on(form5.Command2, Form5_Command2_Click);
    on(form6.Command1, Form6_Command1_Click);
    on(form6.Command2, Form6_Command2_Click);
    // In open mode a double-click or Enter on a file opens it, as the button would; in save
    // mode the name comes only from the name box, so the list's files do nothing.
    QObject::connect(&form7, &Form7::fileActivated, &form7, [this] {
        if (state.ToDo == "Open" && form7.isVisible() && form7.Text1->isHidden()) {
            run(Form7_Command1_Click);
        }
    });
    QObject::connect(&form7, &Form7::activated, &form7, [this] { run(Form7_Form_Activate); });
    QObject::connect(form7.Drive1, &DriveList::changed, &form7, [this] { run(Form7_Drive1_Change); });
    QObject::connect(form7.Dir1, &DirectoryList::changed, &form7, [this] { run(Form7_Dir1_Change); });
}

void Documents::placeWindowsAtStartUp() {
    const auto centre = [this](UnsavedDataGuard& guard, int width, int height) {
        placeDialog(guard, centredPlacement(state.lScreenWidth, state.lScreenHeight, width, height));
    };
    centre(form4, 4155, 1650);
    centre(form5, 4515, 2115);
    centre(form6, 3975, 1965);
    PlaceFileDialog(*this, 4290);
}

bool Documents::closeRequested() {
    if (!ended) {
        run(Form1_Command4_Click);
    }
    return ended;
}

void Documents::run(const std::function<void(Documents&)>& command) {
    if (ended) {
        return;
    }
    try {
        command(*this);
    } catch (const std::exception& failure) {
        main.setProcessingVisible(false);
        main.message(std::string("The command could not be completed.\n") + failure.what());
    }
}

}  // namespace tallomer
