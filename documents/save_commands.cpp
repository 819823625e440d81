// Save and Save As from the main window.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <exception>
#include <optional>
#include <string>

#include "documents/directory_list.h"
#include "documents/document_commands.h"
#include "documents/documents.h"
#include "documents/file_list.h"
#include "documents/save_target_check.h"
#include "documents/window_geometry.h"
#include "host/application.h"

namespace tallomer {

namespace {

constexpr const char* kSaveFailed = "Error in saving file.";

// The file dialog in save mode, shown; the caption says which command asked for it.
void showSaveDialog(Documents& d, const QString& caption) {
    Form7& dialog = d.form7;
    PlaceFileDialog(d, 4290);
    dialog.setWindowTitle(caption);
    dialog.Command1->setText(QStringLiteral("Save"));
    dialog.Label3->show();
    dialog.Text1->show();
    setDialogOuterHeight(dialog, 4290);
    dialog.setButtonTop(3300);
    d.state.ToDo = "Save As";
    dialog.Text1->clear();
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    // The name is what the user came to type.
    dialog.Text1->setFocus(Qt::OtherFocusReason);
}

}  // namespace

void Form1_Command3_Click(Documents& d) {
    std::optional<std::string> failure;  // why the workbook could not be written
    try {
        if (d.state.Named != "True") {
            showSaveDialog(d, QStringLiteral("Save"));
            d.form7.Dir1->refresh();
            d.form7.Drive1->refresh();
            d.form7.File1->refresh();
            return;
        }
        try {
            const host::Workbook* workbook = d.state.xlApp->activeWorkbook();
            if (workbook != nullptr && !mayWriteTo(d, workbook->path())) return;
            d.state.xlApp->saveActiveWorkbook();
            d.state.Saved = "True";
            if (d.hooks.workbookSaved) d.hooks.workbookSaved(d.state.xlApp->activeWorkbook()->path());
            return;
        } catch (const std::exception& e) {
            failure = e.what();
        } catch (...) {
            failure = "";
        }
    } catch (...) {}
    d.main.showWindow();
    if (d.hooks.hideWaitWindow) {
        d.hooks.hideWaitWindow();
    }
    d.form4.hide();
    // A save that did not happen is said, with why: a silent failure would look like success.
    if (failure) {
        d.main.message(failure->empty() ? kSaveFailed : std::string(kSaveFailed) + "\n" + *failure);
    }
}

void Form1_Command6_Click(Documents& d) { showSaveDialog(d, QStringLiteral("Save As")); }

}  // namespace tallomer
