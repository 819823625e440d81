#include "documents/file_dialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <utility>

#include "documents/dialog_font.h"
#include "documents/directory_list.h"
#include "documents/file_list.h"
#include "documents/window_geometry.h"

namespace tallomer {

namespace {

// Client area as designed: 5910 by 3885 twips.
constexpr int kClientWidth = 5910;
constexpr int kClientHeight = 3885;

QLabel* makeLabel(QWidget* parent, const char* text, QRect where) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setGeometry(where);
    return label;
}

// The deepest listed drive that holds the folder; "/" when none does.
QString deepestDriveHolding(const DriveList& drives, const QString& folder) {
    QString best = QStringLiteral("/");
    for (int i = 0; i < drives.count(); ++i) {
        const QString drive = drives.itemText(i);
        const QString prefix = drive.endsWith('/') ? drive : drive + '/';
        const bool holds = folder == drive || folder.startsWith(prefix);
        if (holds && drive.size() > best.size()) {
            best = drive;
        }
    }
    return best;
}

}  // namespace

Form7::Form7(DriveList::DriveSource drives) {
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint);
    // Save and Open set the caption each time they show the dialog; until then it carries the
    // save mode's, as start-up places it for that mode.
    setWindowTitle(QStringLiteral("Save"));
    setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));
    setFont(dialogFont());

    // Created in tab-index order, so the focus chain is the designed one:
    // Drive1 0, Dir1 1, File1 2, Command1 3, Text1 4 (labels take no focus).
    Drive1 = new DriveList(this, std::move(drives));
    Drive1->setGeometry(twipsRect(180, 435, 2400, 315));
    Dir1 = new DirectoryList(this, [this](const QString& folder) { return deepestDriveHolding(*Drive1, folder); });
    Dir1->setGeometry(twipsRect(180, 1155, 2385, 1665));
    File1 = new FileList(this);
    File1->setGeometry(twipsRect(2880, 420, 2850, 2430));
    Command1 = new QPushButton(QStringLiteral("Save"), this);
    Command1->setGeometry(twipsRect(2880, 3000, 2820, 330));
    // As on the system the program comes from, Enter presses the focused button.
    Command1->setAutoDefault(true);
    Text1 = new QLineEdit(this);
    Text1->setGeometry(twipsRect(180, 3270, 2400, 345));

    Label1 = makeLabel(this, "Drive", twipsRect(180, 180, 2355, 255));
    Label2 = makeLabel(this, "Directory", twipsRect(180, 915, 2355, 255));
    Label3 = makeLabel(this, "File Name (*.xls)", twipsRect(180, 3015, 2355, 255));
    Label4 = makeLabel(this, "Existing Files", twipsRect(2880, 180, 2355, 255));

    // For screen readers: each control named for what it holds (the labels keep their own
    // text as names, so the two differ), each label tied to its control.
    Drive1->setAccessibleName(QStringLiteral("Drive list"));
    Drive1->view()->setAccessibleName(QStringLiteral("Drives"));
    Dir1->setAccessibleName(QStringLiteral("Directory list"));
    Text1->setAccessibleName(QStringLiteral("File name box"));
    File1->setAccessibleName(QStringLiteral("Existing files list"));
    Label1->setBuddy(Drive1);
    Label2->setBuddy(Dir1);
    Label3->setBuddy(Text1);
    Label4->setBuddy(File1);

    // The keyboard, as in every file dialog: Enter in the name box presses the button, and
    // Escape closes the dialog as its close control does (hidden, no branch run, no flag
    // changed). A file activated in the list is announced; open mode answers it.
    connect(Text1, &QLineEdit::returnPressed, Command1, &QPushButton::click);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    // A double-click gives both signals; the first one's open hides the dialog, so the second
    // finds nothing to do.
    connect(File1, &QListWidget::itemActivated, this, &Form7::fileActivated);
    connect(File1, &QListWidget::itemDoubleClicked, this, &Form7::fileActivated);

    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, File1);
    setTabOrder(File1, Command1);
    setTabOrder(Command1, Text1);
}

void Form7::setButtonTop(int topTwips) { Command1->move(Command1->x(), twipsToPixels(topTwips)); }

bool Form7::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowDeactivate) {
        leftForAModalBox_ = QApplication::activeModalWidget() != nullptr;
    } else if (event->type() == QEvent::WindowActivate) {
        if (!std::exchange(leftForAModalBox_, false)) {
            emit activated();
        }
    }
    return handled;
}

}  // namespace tallomer
