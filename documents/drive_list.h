#pragma once
#include <QComboBox>
#include <QStringList>
#include <functional>

namespace tallomer {

// Drive1: the drive list. Its items are the drives' paths; the current one is Drive.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    using DriveSource = std::function<QStringList()>;

    explicit DriveList(QWidget* parent = nullptr, DriveSource source = {});

    QString drive() const { return currentText(); }
    // Drive = text: selects that drive (adding it when the list lacks it); Change fires only
    // when the drive differs from the current one.
    void setDrive(const QString& drive);
    // Re-reads the drives, keeping the current one when it is still there. Fires no Change.
    void refresh();

signals:
    void changed();  // Drive1_Change

private:
    DriveSource source_;
};

}  // namespace tallomer
