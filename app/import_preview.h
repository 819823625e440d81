#pragma once
#include <vector>

#include <QWidget>

#include "workbook/csv_import.h"

class QLabel;
class QPushButton;
class QTableWidget;
class QListWidget;

namespace tallomer {

// File > Import CSV...'s preview: the rows a CSV file would add, as the texts Submit will be
// given, and the problems found (those rows are left out), with Import and Cancel. A window of
// its own, modeless: the main window stays usable while it is open, so the plan is made again
// against the sheet as it is whenever the sheet changes (replan).
class ImportPreview : public QWidget {
    Q_OBJECT
public:
    explicit ImportPreview(QWidget* parent = nullptr);

    // Shows the preview of `csv` (read from `fileName`) for a sheet holding `datesInSheet`.
    // ImportError (a column missing) propagates, the window unchanged.
    void preview(const QString& fileName, CsvTable csv, const ImportOptions& options,
                 const std::vector<double>& datesInSheet);
    // The same CSV planned again, for a sheet that has changed meanwhile.
    void replan(const std::vector<double>& datesInSheet);

    const ImportPlan& plan() const { return plan_; }
    QString fileName() const { return fileName_; }

    QTableWidget* rowsTable() const { return rows_; }
    QListWidget* problemsList() const { return problems_; }
    QLabel* summary() const { return summary_; }
    QPushButton* importButton() const { return import_; }
    QPushButton* cancelButton() const { return cancel_; }

signals:
    // Import was pressed: plan().rows are to go in, in order. The window hides itself.
    void importRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fill();

    QString fileName_;
    CsvTable csv_;
    ImportOptions options_;
    ImportPlan plan_;
    QLabel* summary_ = nullptr;
    QTableWidget* rows_ = nullptr;
    QListWidget* problems_ = nullptr;
    QLabel* problemsTitle_ = nullptr;
    QPushButton* import_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace tallomer
