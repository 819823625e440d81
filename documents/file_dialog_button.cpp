// The file dialog's button: the common frame around saving and opening.
#include <QLineEdit>

#include "documents/directory_list.h"
#include "documents/document_commands.h"
#include "documents/documents.h"
#include "documents/file_dialog_branches.h"
#include "documents/file_list.h"
#include "documents/full_path.h"
#include "documents/replace_question.h"

namespace tallomer {

void Form7_Command1_Click(Documents& d) {
    if (d.state.ToDo == "Save As" &&
        !mayReplace(d, fullPath(d.form7.Dir1->path(), d.form7.Text1->text()).toStdString())) {
        d.form7.Text1->setFocus();  // Cancel: the dialog stays, the name selected
        d.form7.Text1->selectAll();
        return;
    }
    d.main.showWindow();
    d.main.setProcessingVisible(true);
    d.form7.hide();
    // The mode is whatever ToDo says now: a later Save As may have changed it while the
    // dialog was up in open mode.
    const QString folder = d.form7.Dir1->path();
    if (d.state.ToDo == "Save As") {
        saveBranch(d, fullPath(folder, d.form7.Text1->text()).toStdString());
    } else if (d.state.ToDo == "Open") {
        openBranch(d, d.form7.File1->fileName().isEmpty() ? std::string()
                                                          : fullPath(folder, d.form7.File1->fileName()).toStdString());
    } else {
        d.main.setProcessingVisible(false);
    }
}

void completeFileOperation(Documents& d, const std::string& path) {
    d.main.focusDateBox();
    d.main.setCaption("Tallomer   " + path);
    d.state.Saved = "True";
    d.state.Named = "True";
    d.main.setProcessingVisible(false);
}

}  // namespace tallomer
