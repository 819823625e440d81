#include "app/program.h"

#include <QApplication>
#include <QWidget>

namespace tallomer {

int runProgram(QApplication& qt) {
    // A plain window until the main window is built.
    QWidget window;
    window.setWindowTitle("Tallomer");
    window.resize(536, 453);
    window.show();
    return qt.exec();
}

}  // namespace tallomer
