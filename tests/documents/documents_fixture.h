#pragma once
#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "documents/document_commands.h"
#include "documents/documents.h"
#include "fake_main_window.h"
#include "host/application.h"

namespace tallomer::testing {

// A running host with an empty statistics sheet, the shared state as start-up leaves it, the
// real document windows and a main window that records what it is told. The screen is
// 12000 x 9000 twips.
class DocumentsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The six inputs typed and Submit pressed.
    void submit(const std::string& date, const std::string& orders, const std::string& value,
                const std::string& refunds, const std::string& refundValue, const std::string& visitors);
    // Save As through the dialog: the name typed into the dialog's name box, its button pressed.
    void saveAsThroughDialog(const QString& folder, const QString& name);
    // Open through the dialog: Open pressed, the folder and the file chosen, the button pressed.
    void openThroughDialog(const QString& folder, const QString& name);
    // Chooses a folder in the file dialog as the user does (which fires Dir1_Change).
    void chooseFolder(const QString& folder);
    void chooseFile(const QString& name);

    std::string cellText(const std::string& address);  // the active sheet's value, as text
    double cellNumber(const std::string& address);

    QString documentsFolder() const;

    host::Application app;
    FakeMainWindow window;
    SharedState state;
    std::unique_ptr<Documents> docs;
    int programEnded = 0;
    // The Save As question before replacing another file: what it asked, and the answer
    // (0 Replace, 1 Cancel).
    std::vector<std::string> replaceQuestions;
    int replaceAnswer = 0;
    int waitWindowHidden = 0;
};

std::string readBytes(const QString& path);
void writeBytes(const QString& path, const std::string& bytes);

}  // namespace tallomer::testing
