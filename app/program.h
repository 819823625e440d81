#pragma once
class QApplication;

namespace tallomer {
// Starts the program and runs its event loop; returns the exit status.
int runProgram(QApplication& qt);
}
