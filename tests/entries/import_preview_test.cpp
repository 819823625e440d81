// The Import preview window, offscreen: what it lists, its buttons and keys.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include "app/import_preview.h"
#include "workbook/csv_reader.h"

using namespace tallomer;

namespace {
const char* const kCsv =
    "Date,Orders,Sales,Refunds,Refunded,Sessions\r\n"
    "2024-01-01,12,\"$1,234.50\",1,10,300\r\n"
    "2024-01-02,x,1,0,0,5\r\n"
    "03/01/2024,8,99.5,0,0,250\r\n";
constexpr double kJan3 = 45294;
}  // namespace

TEST(ImportPreview, ListsTheRowsToAddAndTheProblemsAndImportsOnRequest) {
    ImportPreview preview;
    preview.preview("/tmp/shop.csv", ParseCsv(kCsv), {}, {});
    preview.show();
    EXPECT_EQ(preview.windowTitle(), "Import CSV - shop.csv");
    EXPECT_FALSE(preview.isModal());
    EXPECT_EQ(preview.summary()->text(), "2 rows to add, 1 row with problems left out.");
    QTableWidget* rows = preview.rowsTable();
    ASSERT_EQ(rows->rowCount(), 2);
    const QStringList first = {"2", "01/01/2024", "12", "1234.50", "1", "10", "300"};
    for (int col = 0; col < 7; ++col) EXPECT_EQ(rows->item(0, col)->text(), first[col]) << col;
    EXPECT_EQ(rows->item(1, 1)->text(), "03/01/2024");
    ASSERT_EQ(preview.problemsList()->count(), 1);
    EXPECT_EQ(preview.problemsList()->item(0)->text(), "line 3: orders: not a number (\"x\")");

    // The sheet gained 3 January meanwhile: that row becomes a problem.
    preview.replan({kJan3});
    EXPECT_EQ(preview.rowsTable()->rowCount(), 1);
    EXPECT_EQ(preview.problemsList()->item(1)->text(), "line 4: date: 03/01/2024 is already in the sheet");

    QSignalSpy requested(&preview, &ImportPreview::importRequested);
    QTest::keyClick(&preview, Qt::Key_Return);
    EXPECT_EQ(requested.count(), 1);
    EXPECT_FALSE(preview.isVisible());
}

TEST(ImportPreview, CancelAndEscapeCloseWithoutImportingAndNothingGoodMeansNoImport) {
    ImportPreview preview;
    QSignalSpy requested(&preview, &ImportPreview::importRequested);
    preview.preview("a.csv", ParseCsv(kCsv), {}, {});
    preview.show();
    QTest::mouseClick(preview.cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(preview.isVisible());
    preview.show();
    QTest::keyClick(&preview, Qt::Key_Escape);
    EXPECT_FALSE(preview.isVisible());

    preview.preview("bad.csv", ParseCsv("date,orders,sales,refunds,refunded,visitors\n2024-01-01,,1,1,1,1\n"), {}, {});
    preview.show();
    EXPECT_FALSE(preview.importButton()->isEnabled());
    QTest::keyClick(&preview, Qt::Key_Return);
    EXPECT_TRUE(preview.isVisible());
    EXPECT_EQ(requested.count(), 0);

    // A CSV that cannot be imported leaves the window as it was.
    EXPECT_THROW(preview.preview("x.csv", ParseCsv("a,b\n1,2\n"), {}, {}), ImportError);
    EXPECT_EQ(preview.fileName(), "bad.csv");
}
