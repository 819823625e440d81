#pragma once
#include <QString>
#include <QStringList>

namespace tallomer {

// What the file dialog offers on a system without drive letters.
//
// The first "drive" is the user's home folder: it stands where "C:\" stood. Then come the
// mounted volumes that hold real file systems (block devices), by their mount points, "/"
// among them. The default folder, where "C:\My Documents" stood, is the user's documents
// folder (XDG, normally ~/Documents), or the home folder when that does not exist.
QString homeDrive();
QString defaultDocumentsFolder();
QStringList availableDrives();

}  // namespace tallomer
