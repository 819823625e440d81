#pragma once
#include <QListWidget>
#include <functional>

namespace tallomer {

// Dir1: the directory list. It shows the folders from the drive down to the current folder,
// then the current folder's subfolders; double-click or Enter on one makes it the Path.
class DirectoryList : public QListWidget {
    Q_OBJECT
public:
    // Which drive a folder lies on: the top of the folder chain the list shows.
    using DriveOf = std::function<QString(const QString& folder)>;

    explicit DirectoryList(QWidget* parent = nullptr, DriveOf driveOf = {});

    QString path() const { return path_; }
    // Path = folder. Returns false, changing nothing, when the folder cannot be read.
    // Fires Change when it succeeds.
    bool setPath(const QString& folder);
    void refresh();  // re-reads the current folder from the file system

signals:
    void changed();  // Dir1_Change

private:
    void fill();
    QString path_;
    DriveOf driveOf_;
};

}  // namespace tallomer
