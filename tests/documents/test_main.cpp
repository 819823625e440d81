// Document tests run with a private HOME, so that the file dialog's documents folder is a
// temporary folder of the test's own, and with a QApplication made before any widget.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid()) {
        return 2;
    }
    setenv("HOME", home.path().toUtf8().constData(), 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_STATE_HOME");  // journals and recent files under the private HOME
    unsetenv("XDG_DOCUMENTS_DIR");
    QDir(home.path()).mkpath("Documents");
    // Listing the cases (ctest's discovery) runs without the suite's environment.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qt(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
