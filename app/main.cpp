#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/program.h"

namespace {
int answerInText(const tallomer::CommandLine& line) {
    switch (line.action) {
        case tallomer::CommandLine::Action::Help: std::fputs(tallomer::helpText().c_str(), stdout); return 0;
        case tallomer::CommandLine::Action::Version: std::fputs(tallomer::versionText().c_str(), stdout); return 0;
        default: std::fprintf(stderr, "tallomer: %s\nTry tallomer --help.\n", line.error.c_str()); return 2;
    }
}
}  // namespace

int main(int argc, char** argv) {
    // --help and --version need no display: they are answered before Qt starts.
    // (A Qt option such as -platform looks wrong here; it is judged again once Qt has taken
    // its own options out.)
    {
        const tallomer::CommandLine line = tallomer::parseCommandLine({argv + 1, argv + argc});
        if (line.action == tallomer::CommandLine::Action::Help ||
            line.action == tallomer::CommandLine::Action::Version) {
            return answerInText(line);
        }
    }
    QApplication qt(argc, argv);
    const tallomer::CommandLine line = tallomer::parseCommandLine({argv + 1, argv + argc});
    if (line.action != tallomer::CommandLine::Action::Run) return answerInText(line);
    return tallomer::runProgram(qt, line.file);
}
