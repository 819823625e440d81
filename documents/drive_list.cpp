#include "documents/drive_list.h"

#include "documents/default_places.h"

namespace tallomer {

DriveList::DriveList(QWidget* parent, DriveSource source)
    : QComboBox(parent), source_(source ? std::move(source) : DriveSource(availableDrives)) {
    refresh();
    connect(this, &QComboBox::currentIndexChanged, this, [this] { emit changed(); });
}

void DriveList::setDrive(const QString& drive) {
    int index = findText(drive);
    if (index < 0) {
        addItem(drive);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

void DriveList::refresh() {
    const QString current = currentText();
    const QSignalBlocker quiet(this);
    clear();
    addItems(source_());
    const int index = findText(current);
    setCurrentIndex(index >= 0 ? index : 0);
}

}  // namespace tallomer
