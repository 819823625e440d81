#include "cli_help.h"

#include <ostream>
#include <sstream>

#ifndef TALLOMER_VERSION
#define TALLOMER_VERSION "unknown"
#endif

namespace cli {

namespace {

constexpr const char* kProgram = "tallomer-cli";

// Breaks text into lines of at most `width` characters, each after `indent` blanks.
void wrap(std::ostream& out, const std::string& text, std::size_t indent, std::size_t width) {
    std::istringstream words(text);
    std::string word;
    std::size_t column = 0;
    while (words >> word) {
        if (column > 0 && column + 1 + word.size() > width) {
            out << '\n';
            column = 0;
        }
        if (column == 0) {
            out << std::string(indent, ' ') << word;
            column = indent + word.size();
        } else {
            out << ' ' << word;
            column += 1 + word.size();
        }
    }
    if (column > 0) out << '\n';
}

// Text for roff: backslashes and hyphens escaped, no line starting with a control character.
std::string roff(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '\\')
            escaped += "\\e";
        else if (c == '-')
            escaped += "\\-";
        else
            escaped += c;
    }
    if (!escaped.empty() && (escaped[0] == '.' || escaped[0] == '\'')) escaped.insert(0, "\\&");
    return escaped;
}

}  // namespace

void printUsage(std::ostream& out) {
    out << "Usage: " << kProgram << " COMMAND ARGUMENTS...\n"
        << "Reads and writes Tallomer's statistics workbooks (.xls and .xlsx) without a window.\n\nCommands:\n";
    for (const CommandRow& row : commandTable()) {
        out << "  " << row.name << ' ' << row.synopsis << '\n';
        wrap(out, row.description, 6, 79);
    }
    out << "\nOptions:\n"
           "  --help            print this help and exit\n"
           "  --version         print the version and exit\n"
           "  help COMMAND      print the help of one command\n"
           "\nExit status: 0 done, 1 wrong usage, 2 a file that cannot be read or written.\n";
}

void printCommandHelp(std::ostream& out, const CommandRow& row) {
    out << "Usage: " << kProgram << ' ' << row.name << ' ' << row.synopsis << '\n';
    wrap(out, row.description, 0, 79);
}

void printVersion(std::ostream& out) { out << kProgram << ' ' << TALLOMER_VERSION << '\n'; }

void printCommandNames(std::ostream& out) {
    for (const CommandRow& row : commandTable()) out << row.name << '\n';
    out << "help\n";
}

void printManPage(std::ostream& out) {
    out << ".TH TALLOMER\\-CLI 1 \"\" \"Tallomer " << TALLOMER_VERSION << "\" \"User Commands\"\n"
        << ".SH NAME\n"
        << "tallomer\\-cli \\- read and write Tallomer statistics workbooks from the command line\n"
        << ".SH SYNOPSIS\n";
    for (const CommandRow& row : commandTable()) {
        out << ".B tallomer\\-cli\n.B " << roff(row.name) << "\n.I " << roff(row.synopsis) << "\n.br\n";
    }
    out << ".B tallomer\\-cli\n.B help\n.I COMMAND\n.br\n"
        << ".B tallomer\\-cli\n.RB [ \\-\\-help | \\-\\-version ]\n"
        << ".SH DESCRIPTION\n"
        << ".B tallomer\\-cli\n"
        << "is the command\\-line companion of\n.BR tallomer (1).\n"
        << "It opens and saves the same workbooks (Excel 97\\-2003 .xls, and .xlsx) that the program keeps "
           "its day\\-by\\-day record of trade in, without a window.\n"
        << ".SH COMMANDS\n";
    for (const CommandRow& row : commandTable()) {
        out << ".TP\n.B " << roff(row.name) << " \\fI" << roff(row.synopsis) << "\\fR\n"
            << roff(row.description) << '\n';
    }
    out << ".TP\n.B help \\fICOMMAND\\fR\n"
        << "Prints the usage and description of one command.\n"
        << ".SH OPTIONS\n"
        << ".TP\n.B \\-\\-help\nPrints the list of commands and exits.\n"
        << ".TP\n.B \\-\\-version\nPrints the version and exits.\n"
        << ".TP\n.B \\-\\-commands\nPrints the command names, one a line (used by the bash completion).\n"
        << ".TP\n.B \\-\\-man\nPrints this manual page as roff source.\n"
        << ".SH EXIT STATUS\n"
        << ".TP\n.B 0\nThe command was done.\n"
        << ".TP\n.B 1\nWrong usage: an unknown command or the wrong number of arguments.\n"
        << ".TP\n.B 2\nA file could not be read or written; one line on standard error says why.\n"
        << ".SH SEE ALSO\n.BR tallomer (1)\n";
}

}  // namespace cli
