#include "documents/directory_list.h"

#include <QDir>
#include <QFileInfo>

namespace tallomer {

namespace {

constexpr int kPathRole = Qt::UserRole;

bool isReadableFolder(const QString& folder) {
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && info.isReadable() && info.isExecutable();
}

QString indent(int level) { return QString(level * 2, QLatin1Char(' ')); }

}  // namespace

DirectoryList::DirectoryList(QWidget* parent, DriveOf driveOf) : QListWidget(parent), driveOf_(std::move(driveOf)) {
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { setPath(item->data(kPathRole).toString()); });
}

bool DirectoryList::setPath(const QString& folder) {
    if (!isReadableFolder(folder)) {
        return false;
    }
    path_ = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    fill();
    emit changed();
    return true;
}

void DirectoryList::refresh() { fill(); }

void DirectoryList::fill() {
    clear();
    if (path_.isEmpty()) {
        return;
    }
    QString drive = driveOf_ ? driveOf_(path_) : QStringLiteral("/");
    if (drive.isEmpty() || !(path_ == drive || path_.startsWith(drive.endsWith('/') ? drive : drive + '/'))) {
        drive = QStringLiteral("/");
    }

    // The chain of open folders, from the drive down to the current one.
    QStringList chain{drive};
    const QString below = path_.mid(drive.size());
    QString walked = drive;
    for (const QString& part : below.split('/', Qt::SkipEmptyParts)) {
        walked = walked.endsWith('/') ? walked + part : walked + '/' + part;
        chain << walked;
    }
    int level = 0;
    for (const QString& folder : chain) {
        const QString name = level == 0 ? folder : QFileInfo(folder).fileName();
        auto* item = new QListWidgetItem(indent(level) + name, this);
        item->setData(kPathRole, folder);
        ++level;
    }
    setCurrentRow(count() - 1);

    const QDir current(path_);
    for (const QFileInfo& sub :
         current.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* item = new QListWidgetItem(indent(level) + sub.fileName(), this);
        item->setData(kPathRole, QDir::cleanPath(sub.absoluteFilePath()));
    }
}

}  // namespace tallomer
