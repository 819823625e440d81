#include "documents/file_list.h"

#include <QDir>

namespace tallomer {

FileList::FileList(QWidget* parent) : QListWidget(parent) { setSelectionMode(QAbstractItemView::SingleSelection); }

void FileList::setPath(const QString& folder) {
    path_ = folder;
    refresh();
}

void FileList::setPattern(const QString& pattern) {
    pattern_ = pattern;
    refresh();
}

QString FileList::fileName() const {
    const QList<QListWidgetItem*> chosen = selectedItems();
    return chosen.isEmpty() ? QString() : chosen.first()->text();
}

void FileList::refresh() {
    const QString chosen = fileName();
    clear();
    if (path_.isEmpty()) {
        return;
    }
    // Without QDir::CaseSensitive the name filter ignores case.
    const QDir folder(path_, pattern_, QDir::Name | QDir::IgnoreCase, QDir::Files);
    addItems(folder.entryList());
    if (!chosen.isEmpty()) {
        const QList<QListWidgetItem*> same = findItems(chosen, Qt::MatchExactly);
        if (!same.isEmpty()) {
            setCurrentItem(same.first());
        }
    }
}

}  // namespace tallomer
