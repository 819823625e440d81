#include "app/import_preview.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tallomer {

namespace {
// The input boxes' own labels, so the columns read as the fields the user types.
const char* const kColumnTitles[] = {"Line",
                                     "Date (dd/mm/yyyy)",
                                     "Number of Orders",
                                     "Value of Orders ($)",
                                     "Number of Refunds",
                                     "Value of Refunds ($)",
                                     "No. of Unique Visitors"};
}  // namespace

ImportPreview::ImportPreview(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle("Import CSV");
    summary_ = new QLabel(this);
    summary_->setWordWrap(true);
    rows_ = new QTableWidget(0, 7, this);
    for (int col = 0; col < 7; ++col) rows_->setHorizontalHeaderItem(col, new QTableWidgetItem(kColumnTitles[col]));
    rows_->verticalHeader()->hide();
    rows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows_->setSelectionBehavior(QAbstractItemView::SelectRows);
    rows_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    problems_ = new QListWidget(this);
    problems_->setMaximumHeight(120);
    import_ = new QPushButton("&Import", this);
    cancel_ = new QPushButton("Cancel", this);
    import_->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(import_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(new QLabel("Rows to add:", this));
    layout->addWidget(rows_, 1);
    problemsTitle_ = new QLabel("Problems (these rows are left out):", this);
    layout->addWidget(problemsTitle_);
    layout->addWidget(problems_);
    layout->addLayout(buttons);
    resize(900, 460);

    connect(cancel_, &QPushButton::clicked, this, &QWidget::hide);
    connect(import_, &QPushButton::clicked, this, [this] {
        if (plan_.rows.empty()) return;
        hide();
        emit importRequested();
    });
}

void ImportPreview::preview(const QString& fileName, CsvTable csv, const ImportOptions& options,
                            const std::vector<double>& datesInSheet) {
    ImportPlan plan = PlanImport(csv, options, datesInSheet);  // may throw: nothing changed yet
    fileName_ = fileName;
    csv_ = std::move(csv);
    options_ = options;
    plan_ = std::move(plan);
    setWindowTitle("Import CSV - " + QFileInfo(fileName).fileName());
    fill();
}

void ImportPreview::replan(const std::vector<double>& datesInSheet) {
    if (fileName_.isEmpty()) return;
    plan_ = PlanImport(csv_, options_, datesInSheet);
    fill();
}

void ImportPreview::fill() {
    rows_->setRowCount(static_cast<int>(plan_.rows.size()));
    for (int r = 0; r < static_cast<int>(plan_.rows.size()); ++r) {
        const ImportRow& row = plan_.rows[r];
        rows_->setItem(r, 0, new QTableWidgetItem(QString::number(row.line)));
        for (int field = 0; field < kEntryFieldCount; ++field) {
            auto* item = new QTableWidgetItem(QString::fromStdString(row.texts[field]));
            if (field != kDate) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            rows_->setItem(r, 1 + field, item);
        }
    }
    problems_->clear();
    for (const BadRow& bad : plan_.bad) problems_->addItem(QString::fromStdString(describe(bad)));
    const qsizetype adding = static_cast<qsizetype>(plan_.rows.size());
    const qsizetype problems = static_cast<qsizetype>(plan_.bad.size());
    QString text = QString("%1 %2 to add").arg(adding).arg(adding == 1 ? "row" : "rows");
    if (problems > 0)
        text += QString(", %1 %2 with problems left out").arg(problems).arg(problems == 1 ? "row" : "rows");
    summary_->setText(text + ".");
    import_->setEnabled(adding > 0);
    problems_->setVisible(problems > 0);
    problemsTitle_->setVisible(problems > 0);
}

void ImportPreview::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && import_->isEnabled()) {
        import_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace tallomer
