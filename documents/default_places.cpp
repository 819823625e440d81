#include "documents/default_places.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

namespace tallomer {

QString homeDrive() { return QDir::homePath(); }

QString defaultDocumentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) {
        return QDir::cleanPath(documents);
    }
    return homeDrive();
}

QStringList availableDrives() {
    QStringList drives{homeDrive()};
    QStringList volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Real file systems live on block devices; proc, sysfs, cgroup, tmpfs and the like
        // are not places to keep a workbook.
        const bool onBlockDevice = volume.device().startsWith("/dev/") && volume.fileSystemType() != "devtmpfs" &&
                                   volume.fileSystemType() != "devpts";
        if (volume.isValid() && (onBlockDevice || volume.isRoot())) {
            volumes << QDir::cleanPath(volume.rootPath());
        }
    }
    if (!volumes.contains("/")) {
        volumes << "/";
    }
    volumes.sort();
    for (const QString& volume : volumes) {
        if (!drives.contains(volume)) {
            drives << volume;
        }
    }
    return drives;
}

}  // namespace tallomer
