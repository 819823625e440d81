// File > Import CSV... and File > Export CSV... through the real window offscreen: imported rows
// are unsaved entries like typed ones, and an export reads back as the same entries.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include "app/csv_commands.h"
#include "app/form1.h"
#include "app/import_preview.h"
#include "app/program.h"
#include "host/application.h"
#include "message_recorder.h"
#include "workbook/entry_history.h"

using namespace tallomer;

namespace {

class CsvCommandsTest : public ::testing::Test {
protected:
    CsvCommandsTest() {
        wireDocumentCommands(program);
        EXPECT_TRUE(program.Form1_Form_Load());
    }
    host::Worksheet& sheet() { return program.xlApp()->activeWorkbook()->activeSheet(); }
    double number(const char* a1) { return sheet().value(*host::parseAddress(a1)).number; }
    QString write(const char* name, const std::string& bytes) {
        const QString path = dir.filePath(name);
        std::ofstream(path.toStdString(), std::ios::binary) << bytes;
        return path;
    }
    ImportPreview* preview() { return program.form1().findChild<ImportPreview*>(QStringLiteral("ImportPreview")); }
    QAction* fileItem(const QString& text) {
        for (QAction* menu : program.form1().menuBar()->actions()) {
            if (menu->text() != "&File") continue;
            for (QAction* action : menu->menu()->actions()) {
                if (action->text() == text) return action;
            }
        }
        return nullptr;
    }

    QTemporaryDir dir;
    MessageRecorder messages;
    Program program;
};

TEST_F(CsvCommandsTest, TheMenuHasBothCommands) {
    EXPECT_NE(fileItem("&Import CSV..."), nullptr);
    EXPECT_NE(fileItem("&Export CSV..."), nullptr);
}

TEST_F(CsvCommandsTest, ImportedRowsAreUnsavedEntriesThatUndoTakesBackOneByOne) {
    const QString csv = write("shop.csv",
                              "Date,Orders,Sales,Refunds,Refunded,Sessions\r\n"
                              "2001-02-01,10,$250,2,50,100\r\n"
                              "2001-02-02,20,500,0,0,100\r\n"
                              "2001-02-03,x,500,0,0,100\r\n");
    previewCsvImport(program, csv);
    ASSERT_NE(preview(), nullptr);
    EXPECT_TRUE(preview()->isVisible());
    EXPECT_EQ(preview()->rowsTable()->rowCount(), 2);
    EXPECT_EQ(preview()->plan().bad.size(), 1u);

    preview()->importButton()->click();
    EXPECT_EQ(number("B1"), 2);
    EXPECT_EQ(number("B5"), 30);
    EXPECT_EQ(number("H5"), 200);
    EXPECT_EQ(program.shared().Saved, "False");
    EXPECT_EQ(program.form1().Text(7)->text(), "02/02/2001");  // the date as Submit was given it

    ASSERT_TRUE(program.entries().undo());
    EXPECT_EQ(number("B1"), 1);
    ASSERT_TRUE(program.entries().undo());
    EXPECT_EQ(number("B1"), 0);
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(CsvCommandsTest, AFileWithoutTheColumnsIsSaidAndNothingChanges) {
    previewCsvImport(program, write("other.csv", "Name,Price\r\nTea,2\r\n"));
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.texts[0].find("cannot be imported"), std::string::npos) << messages.texts[0];
    EXPECT_EQ(number("B1"), 0);
    EXPECT_EQ(program.shared().Saved, "True");
}

TEST_F(CsvCommandsTest, AnExportImportedIntoANewSheetGivesTheSameEntries) {
    previewCsvImport(program, write("in.csv",
                                    "date,orders,order value,refunds,refund value,visitors\n"
                                    "01/02/2001,10,250,2,50,100\n02/02/2001,20,500.5,0,0,100\n"));
    ASSERT_NE(preview(), nullptr);
    preview()->importButton()->click();
    const QString out = dir.filePath("out.csv");
    ASSERT_TRUE(exportCsvTo(program, out));
    std::ifstream in(out.toStdString(), std::ios::binary);
    std::stringstream exported;
    exported << in.rdbuf();
    EXPECT_EQ(exported.str().rfind("DATE,# of Orders,$ of Orders", 0), 0u) << exported.str();
    EXPECT_NE(exported.str().find("2001-02-02,20,500.5,0,0,500.5,20,100,5.005,0.2,5.005"), std::string::npos)
        << exported.str();

    program.entries().undo();
    program.entries().undo();
    previewCsvImport(program, out);
    preview()->importButton()->click();
    EXPECT_EQ(number("B1"), 2);
    EXPECT_EQ(number("C4"), 500.5);
    EXPECT_TRUE(messages.texts.empty()) << messages.texts[0];
}

TEST_F(CsvCommandsTest, AnExportThatCannotBeWrittenIsSaid) {
    EXPECT_FALSE(exportCsvTo(program, dir.filePath("no/such/folder/out.csv")));
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.texts[0].find("could not be exported"), std::string::npos);
}

}  // namespace
