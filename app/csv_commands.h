#pragma once
#include <QString>

namespace tallomer {

class Program;

// File > Import CSV...: asks for a CSV file, then shows its preview (the rows to add and the
// problems found); Import adds the rows one by one through the same code as Submit, so they are
// unsaved entries like typed ones (journal, Saved "False", Undo removes them one at a time).
void importCsv(Program& program);
// The preview of the CSV file at `path`, without asking for it; a file that cannot be read or
// planned is said in a message box.
void previewCsvImport(Program& program, const QString& path);

// File > Export CSV...: asks where, then writes the sheet's entries as CSV.
void exportCsv(Program& program);
// Writes the entries to `path`; a failure is said in a message box. Returns whether it wrote.
bool exportCsvTo(Program& program, const QString& path);

}  // namespace tallomer
