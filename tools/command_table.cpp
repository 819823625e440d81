#include "command_table.h"

#include "commands.h"

namespace cli {

namespace {
// Add a command's row here; keep them in the order --help should list them.
const CommandRow kCommands[] = {
    {"dump", "FILE",
     "Prints every non-empty cell of the first sheet of FILE, one line each: the cell's address, "
     "its value and its formula, separated by tabs.",
     dump},
    {"copy", "FILE NEWFILE",
     "Opens FILE and saves it as NEWFILE, as the program's Save As does. An existing NEWFILE is "
     "replaced only once the new file is complete.",
     copy},
    {"show", "FILE",
     "Prints what the main window shows after opening FILE: each display box with its label and "
     "text, or \"File does not contain any records.\"",
     show},
};
}  // namespace

std::span<const CommandRow> commandTable() { return kCommands; }

const CommandRow* findCommand(const std::string& name) {
    for (const CommandRow& row : kCommands) {
        if (name == row.name) return &row;
    }
    return nullptr;
}

}  // namespace cli
