#include "app/csv_commands.h"

#include <fstream>
#include <sstream>

#include <QFileDialog>

#include "app/form1.h"
#include "app/import_preview.h"
#include "app/message_box.h"
#include "app/program.h"
#include "app/sheet_events.h"
#include "host/application.h"
#include "workbook/csv_export.h"
#include "workbook/csv_import.h"
#include "workbook/entry_history.h"
#include "workbook/stats_layout_check.h"
#include "workbook/text_file_writer.h"

namespace tallomer {

namespace {

host::Worksheet* statsSheet(Program& program) {
    host::Workbook* book = program.xlApp() ? program.xlApp()->activeWorkbook() : nullptr;
    return book ? &book->activeSheet() : nullptr;
}

std::vector<double> datesInSheet(Program& program) {
    host::Worksheet* sheet = statsSheet(program);
    return sheet ? EntryDates(*sheet) : std::vector<double>{};
}

// Adds the previewed rows in order; the first one the sheet refuses stops the import, with the
// rows before it in (each an entry Undo can take back).
void importPlannedRows(Program& program, ImportPreview& preview) {
    int added = 0;
    for (const ImportRow& row : preview.plan().rows) {
        if (!program.entries().addEntry(row.texts)) {
            program.sheetEvents().announceChange();
            showMessageBox(&program.form1(), QStringLiteral("Line %1 of %2 could not be added; the %3 rows "
                                                            "before it were.")
                                                 .arg(row.line)
                                                 .arg(preview.fileName())
                                                 .arg(added));
            return;
        }
        ++added;
    }
    program.sheetEvents().announceChange();
}

// The one preview window of the run: made on first use, then shown and hidden.
ImportPreview& previewWindow(Program& program) {
    auto* preview =
        program.form1().findChild<ImportPreview*>(QStringLiteral("ImportPreview"), Qt::FindDirectChildrenOnly);
    if (preview) return *preview;
    preview = new ImportPreview(&program.form1());
    preview->setObjectName(QStringLiteral("ImportPreview"));
    QObject::connect(preview, &ImportPreview::importRequested, preview,
                     [&program, preview] { importPlannedRows(program, *preview); });
    // Modeless: the sheet may change while it is up, so its plan follows the sheet.
    QObject::connect(&program.sheetEvents(), &SheetEvents::sheetChanged, preview, [&program, preview] {
        if (preview->isVisible()) preview->replan(datesInSheet(program));
    });
    return *preview;
}

}  // namespace

void previewCsvImport(Program& program, const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    if (!in) {
        showMessageBox(&program.form1(), QStringLiteral("%1 cannot be read.").arg(path));
        return;
    }
    try {
        ImportPreview& preview = previewWindow(program);
        preview.preview(path, ParseCsv(bytes.str()), ImportOptions{}, datesInSheet(program));
        preview.show();
        preview.raise();
        preview.activateWindow();
    } catch (const std::exception& failure) {
        showMessageBox(&program.form1(),
                       QStringLiteral("%1 cannot be imported: %2").arg(path, QString::fromStdString(failure.what())));
    }
}

void importCsv(Program& program) {
    const QString path = QFileDialog::getOpenFileName(&program.form1(), QStringLiteral("Import CSV"), QString(),
                                                      QStringLiteral("CSV files (*.csv *.txt);;All files (*)"));
    if (!path.isEmpty()) previewCsvImport(program, path);
}

bool exportCsvTo(Program& program, const QString& path) {
    host::Workbook* book = program.xlApp() ? program.xlApp()->activeWorkbook() : nullptr;
    try {
        if (!book) throw std::runtime_error("no workbook is open");
        if (const auto fault = StatsLayoutFault(book->activeSheet())) {
            throw std::runtime_error("the sheet is not a statistics sheet: " + *fault);
        }
        WriteTextFileAtomically(path.toStdString(), ExportCsv(book->activeSheet(), book->date1904));
        return true;
    } catch (const std::exception& failure) {
        showMessageBox(
            &program.form1(),
            QStringLiteral("The entries could not be exported: %1").arg(QString::fromStdString(failure.what())));
        return false;
    }
}

void exportCsv(Program& program) {
    const QString path = QFileDialog::getSaveFileName(&program.form1(), QStringLiteral("Export CSV"), QString(),
                                                      QStringLiteral("CSV files (*.csv)"));
    if (!path.isEmpty()) exportCsvTo(program, path);
}

}  // namespace tallomer
