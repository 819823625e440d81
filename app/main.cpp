#include <QApplication>

#include "app/program.h"

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    return tallomer::runProgram(qt);
}
