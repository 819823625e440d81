// Open, the answers of the question shown before it, and the file dialog in open mode.
#include <utility>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "documents/directory_list.h"
#include "documents/document_commands.h"
#include "documents/documents.h"
#include "documents/file_dialog_branches.h"
#include "documents/file_list.h"
#include "documents/window_geometry.h"

namespace tallomer {

void Form1_Command5_Click(Documents& d) {
    d.pendingOpen.clear();
    d.state.ToDo = "Open";
    if (d.state.Saved == "False") {
        d.form4.showGuard();
        return;
    }
    ShowOpenDialog(d);
    // Set as soon as the dialog is up, before a file is chosen.
    d.state.Saved = "True";
    d.state.Named = "True";
}

void Form4_Command1_Click(Documents& d) {
    d.form4.hide();
    d.pendingOpen.clear();
}

// No: ToDo keeps the "Open" that the Open command stored before it showed the question.
void Form4_Command2_Click(Documents& d) {
    d.form4.hide();
    if (!d.pendingOpen.empty()) {  // Open Recent: that file, without the dialog
        openBranch(d, std::exchange(d.pendingOpen, {}));
        return;
    }
    ShowOpenDialog(d);
    d.state.Saved = "True";
    d.state.Named = "True";
}

std::string ShowOpenDialog(Documents& d) {
    Form7& dialog = d.form7;
    // Centred for 4200 twips, then made 3930 high: it stands a little above the centre.
    PlaceFileDialog(d, 4200);
    dialog.setWindowTitle(QStringLiteral("Open"));
    dialog.Dir1->refresh();
    dialog.Drive1->refresh();
    dialog.File1->refresh();
    dialog.Text1->hide();
    dialog.Label3->hide();
    setDialogOuterHeight(dialog, 3930);
    dialog.Command1->setText(QStringLiteral("Open"));
    dialog.setButtonTop(3000);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    return {};
}

void OpenGivenFile(Documents& d, const std::string& path) {
    d.main.showWindow();
    d.main.setProcessingVisible(true);
    openBranch(d, path);
}

}  // namespace tallomer
