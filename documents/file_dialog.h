#pragma once
#include <QWidget>

#include "documents/drive_list.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tallomer {

class DirectoryList;
class FileList;

// Form7: the one file dialog, for saving and for opening. Modeless; created once, then only
// shown and hidden. Its mode lives in the shared ToDo, not here.
class Form7 : public QWidget {
    Q_OBJECT
public:
    explicit Form7(DriveList::DriveSource drives = {});

    QLabel* Label1;  // "Drive"
    DriveList* Drive1;
    QLabel* Label2;  // "Directory"
    DirectoryList* Dir1;
    QLabel* Label3;  // "File Name (*.xls)"
    QLineEdit* Text1;
    QLabel* Label4;  // "Existing Files"
    FileList* File1;
    QPushButton* Command1;

    // Moves the button, keeping its left edge (top in twips).
    void setButtonTop(int topTwips);

signals:
    // Form_Activate: each time the dialog becomes the active window. Coming back from one of
    // the program's message boxes is not an activation: the user never left the dialog.
    void activated();
    // A file of the list double-clicked, or Enter pressed on it.
    void fileActivated();

protected:
    bool event(QEvent* event) override;

private:
    bool leftForAModalBox_ = false;
};

}  // namespace tallomer
