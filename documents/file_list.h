#pragma once
#include <QListWidget>

namespace tallomer {

// File1: the files of one folder whose names match the pattern ("*.xls;*.xlsx", patterns
// separated by ";"), case ignored as on
// the systems the workbooks come from. FileName is the selected name, empty when none is.
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);

    QString path() const { return path_; }
    void setPath(const QString& folder);
    QString pattern() const { return pattern_; }
    void setPattern(const QString& pattern);
    QString fileName() const;
    void refresh();  // re-reads the folder; a selected name that is still there stays selected

private:
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
};

}  // namespace tallomer
