// The window tests need a QApplication before any widget; the offscreen platform is set by
// ctest, and here too for a run by hand. The program's journals go to a private state folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir state;
    if (!state.isValid()) return 2;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QApplication qt(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
