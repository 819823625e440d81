// The file dialog's own events: activation, change of drive, change of folder, and its
// placement on the screen.
#include <QLabel>
#include <QLineEdit>

#include "documents/default_places.h"
#include "documents/directory_list.h"
#include "documents/document_commands.h"
#include "documents/documents.h"
#include "documents/file_list.h"
#include "documents/window_geometry.h"

namespace tallomer {

void PlaceFileDialog(Documents& d, short height) {
    placeDialog(d.form7, fileDialogPlacement(d.state.lScreenWidth, d.state.lScreenHeight, height));
}

// Every activation starts again at the default places, whatever the user browsed before.
void Form7_Form_Activate(Documents& d) {
    d.form7.Drive1->setDrive(homeDrive());
    d.form7.Dir1->setPath(defaultDocumentsFolder());
}

void Form7_Drive1_Change(Documents& d) {
    const QString drive = d.form7.Drive1->drive();
    if (!d.form7.Dir1->setPath(drive)) {
        // The folder and file lists stay where they were; the drive list keeps the drive.
        d.main.message("Error! Check Drive " + drive.toStdString());
    }
}

void Form7_Dir1_Change(Documents& d) {
    d.form7.File1->setPath(d.form7.Dir1->path());
    d.form7.File1->setPattern(QStringLiteral("*.xls;*.xlsx"));  // both workbook formats
}

}  // namespace tallomer
