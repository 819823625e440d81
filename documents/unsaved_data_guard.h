#pragma once
#include <QWidget>

class QLabel;
class QPushButton;

namespace tallomer {

// One of the three "You have Unsaved Data" questions: two labels and two buttons, neither of
// them a default or cancel button. Modeless; created once, then only shown and hidden.
class UnsavedDataGuard : public QWidget {
    Q_OBJECT
public:
    struct Control {
        const char* text;
        int left, top, width, height;  // twips, inside the client area
        int tabIndex;
    };
    struct Layout {
        int clientWidth, clientHeight;  // twips
        Control label1, label2, command1, command2;
    };

    explicit UnsavedDataGuard(const Layout& layout);

    QLabel* Label1;
    QLabel* Label2;
    QPushButton* Command1;
    QPushButton* Command2;

    // Makes the guard visible; a guard already on screen is left exactly as it is.
    void showGuard();
};

// Form6, before New; Form4, before Open; Form5, before Quit.
const UnsavedDataGuard::Layout& newSheetGuardLayout();
const UnsavedDataGuard::Layout& openGuardLayout();
const UnsavedDataGuard::Layout& quitGuardLayout();

}  // namespace tallomer
