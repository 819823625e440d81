#include <QApplication>

#include "app/program.h"
#include "host/memory_reuse.h"

int main(int argc, char** argv) {
    host::reuseFreedMemory();
    QApplication qt(argc, argv);
    return tallomer::runProgram(qt);
}
