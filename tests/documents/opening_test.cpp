// Opening a statistics workbook through the file dialog, and every way an open can fail.
#include <QFile>

#include "documents_fixture.h"
#include "host/address.h"
#include "host/workbook_files.h"

namespace tallomer::testing {
namespace {

class Opening : public DocumentsTest {
protected:
    // A workbook with three entries, saved by the program, then a fresh sheet.
    QString savedWithThreeEntries() {
        submit("1/2/2001", "10", "250", "2", "50", "100");
        submit("2/2/2001", "20", "500", "0", "0", "100");
        submit("3/2/2001", "5", "100", "1", "10", "50");
        saveAsThroughDialog(documentsFolder(), "three.xls");
        Form1_Command2_Click(*docs);
        return documentsFolder() + "/three.xls";
    }

    // A hand-made first sheet, written as a file: cells as typed, "A1" style.
    QString handMade(const QString& name, std::initializer_list<std::pair<const char*, const char*>> cells) {
        auto workbook = host::Workbook::createDefault();
        for (const auto& [address, typed] : cells) {
            workbook->sheet(0).setTyped(*host::parseAddress(address), typed);
        }
        const QString path = documentsFolder() + "/" + name;
        host::saveWorkbookFile(*workbook, path.toStdString());
        return path;
    }

    // Everything a failed open must leave as it was.
    struct Scene {
        host::Workbook* workbook;
        std::string cursor, b1, caption, saved, named;
        std::array<std::string, 27> boxes;
    };
    Scene scene() {
        return {
            app.activeWorkbook(), app.activeCell().address(), cellText("B1"), window.title, state.Saved, state.Named,
            window.boxes};
    }
    void expectUnchanged(const Scene& s) {
        EXPECT_EQ(app.activeWorkbook(), s.workbook);
        EXPECT_EQ(app.activeCell().address(), s.cursor);
        EXPECT_EQ(cellText("B1"), s.b1);
        EXPECT_EQ(window.title, s.caption);
        EXPECT_EQ(state.Saved, s.saved);
        EXPECT_EQ(state.Named, s.named);
        EXPECT_EQ(window.boxes, s.boxes);
        EXPECT_FALSE(window.processing);
        EXPECT_TRUE(window.visible);
    }
    std::string kept;  // B1 of the kept workbook after the failed open and one more Submit

    // An open that fails: the dialog in open mode, `name` chosen (none when empty).
    void failToOpen(const QString& name) {
        Form1_Command5_Click(*docs);
        chooseFolder(documentsFolder());
        if (!name.isEmpty()) {
            chooseFile(name);
        }
        const Scene before = scene();
        window.messages.clear();
        docs->form7.Command1->click();
        expectUnchanged(before);
        ASSERT_EQ(window.messages.size(), 1u);
        EXPECT_EQ(window.messages[0].rfind("The file could not be opened.\n", 0), 0u) << window.messages[0];
        EXPECT_GT(window.messages[0].size(), std::string("The file could not be opened.\n").size()) << "and why";
        // The user goes on with the workbook that stayed, the only one in the host.
        submit("9/2/2001", "1", "1", "0", "0", "1");
        const std::string count = cellText("B1");
        app.closeActiveWorkbook();
        EXPECT_EQ(app.activeWorkbook(), nullptr) << "the half-read workbook is gone";
        Form1_Command2_Click(*docs);
        kept = count;
    }
};

TEST_F(Opening, ThreeEntriesShowTheLastRecordAndTheTotalsAndTheNextSubmitFollows) {
    const QString path = savedWithThreeEntries();
    window.boxes[1] = "typed but not submitted";
    openThroughDialog(documentsFolder(), "three.xls");

    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.title, "Tallomer   " + path.toStdString());
    EXPECT_EQ(state.Saved, "True");
    EXPECT_EQ(state.Named, "True");
    EXPECT_FALSE(window.processing);
    EXPECT_EQ(app.activeCell().address(), "$A$6");
    // LAST RECORD from row 5, CUMULATIVE RESULTS from row 6.
    EXPECT_EQ(window.boxes[7], "3/2/2001");
    EXPECT_EQ(window.boxes[8], "5");
    EXPECT_EQ(window.boxes[9], "100");
    EXPECT_EQ(window.boxes[12], "50");
    EXPECT_EQ(window.boxes[13], "90");
    EXPECT_EQ(window.boxes[15], "1.8");
    EXPECT_EQ(window.boxes[17], "35");
    EXPECT_EQ(window.boxes[18], "850");
    EXPECT_EQ(window.boxes[23], "250");
    EXPECT_EQ(window.boxes[1], "typed but not submitted") << "inputs kept";

    // Only the opened workbook is left in the host: closing it leaves none.
    app.closeActiveWorkbook();
    EXPECT_EQ(app.activeWorkbook(), nullptr);
    Form1_Command2_Click(*docs);
    EXPECT_EQ(cellText("B1"), "0");
    openThroughDialog(documentsFolder(), "three.xls");

    submit("4/2/2001", "10", "100", "0", "0", "10");
    EXPECT_EQ(cellNumber("B6"), 10);
    EXPECT_EQ(cellText("A7"), "Total");
    EXPECT_EQ(cellNumber("B7"), 45);
    EXPECT_EQ(cellNumber("B1"), 4);
    EXPECT_EQ(app.activeCell().address(), "$A$7");
    EXPECT_EQ(state.Saved, "False");

    Form1_Command3_Click(*docs);  // named: straight back to the same file
    EXPECT_EQ(state.Saved, "True");
    const auto back = host::loadWorkbookFile(path.toStdString());
    EXPECT_EQ(back->sheet(0).value({0, 1}).number, 4);
}

TEST_F(Opening, TheBoxesShowTheCellsNotWhatWasTyped) {
    submit("01/02/2001", "10", "10.50", "2", "0.5", "100");
    EXPECT_EQ(window.boxes[7], "01/02/2001");
    EXPECT_EQ(window.boxes[9], "10.50");
    saveAsThroughDialog(documentsFolder(), "typed.xls");
    Form1_Command2_Click(*docs);
    openThroughDialog(documentsFolder(), "typed.xls");
    EXPECT_EQ(window.boxes[7], "1/2/2001");
    EXPECT_EQ(window.boxes[9], "10.5");
    EXPECT_EQ(window.boxes[11], "0.5");
    EXPECT_EQ(window.boxes[13], "10");
}

TEST_F(Opening, AWorkbookWithoutEntriesEmptiesEveryBoxAndSaysSo) {
    saveAsThroughDialog(documentsFolder(), "empty.xls");
    submit("1/2/2001", "10", "250", "2", "50", "100");
    saveAsThroughDialog(documentsFolder(), "one.xls");
    for (int box = 1; box <= 6; ++box) {
        window.boxes[box] = "x";
    }
    openThroughDialog(documentsFolder(), "empty.xls");
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0], "File does not contain any records.");
    for (int box = 1; box <= 26; ++box) {
        EXPECT_EQ(window.boxes[box], "") << "Text" << box;
    }
    const QString path = documentsFolder() + "/empty.xls";
    EXPECT_EQ(window.title, "Tallomer   " + path.toStdString());
    EXPECT_EQ(state.Saved, "True");
    EXPECT_EQ(state.Named, "True");
    EXPECT_EQ(app.activeCell().address(), "$A$3");
    Form1_Command3_Click(*docs);
    EXPECT_EQ(window.messages.size(), 1u) << "Save writes back to it";
}

TEST_F(Opening, AnotherLayoutWithEmptyB1CountsAsNoEntries) {
    handMade("other.xls", {{"A1", "Name"}, {"C5", "42"}});
    openThroughDialog(documentsFolder(), "other.xls");
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0], "File does not contain any records.");
    EXPECT_EQ(app.activeCell().address(), "$A$3");
}

TEST_F(Opening, NoFileSelectedChangesNothing) {
    submit("1/2/2001", "10", "250", "2", "50", "100");
    failToOpen("");
}

TEST_F(Opening, AFileThatIsNoWorkbookChangesNothing) {
    writeBytes(documentsFolder() + "/garbage.xls", std::string(4096, 'g'));
    submit("1/2/2001", "10", "250", "2", "50", "100");
    failToOpen("garbage.xls");
}

TEST_F(Opening, B1ThatIsNotANumberChangesNothing) {
    handMade("textcount.xls", {{"A1", "Entries"}, {"B1", "many"}});
    saveAsThroughDialog(documentsFolder(), "mine.xls");
    submit("1/2/2001", "10", "250", "2", "50", "100");
    failToOpen("textcount.xls");
    EXPECT_EQ(window.title, "Tallomer   " + (documentsFolder() + "/mine.xls").toStdString());
}

TEST_F(Opening, AnErrorInARoundedCellChangesNothingNotEvenTheBoxesShownSoFar) {
    // One day with 0 unique visitors: I3, J3 and the sums under them are #DIV/0!.
    handMade("zero-visitors.xls", {{"A1", "Entries"},
                                   {"B1", "1"},
                                   {"A3", "2/1/2001"},
                                   {"B3", "10"},
                                   {"C3", "250"},
                                   {"D3", "2"},
                                   {"E3", "50"},
                                   {"F3", "=C3-E3"},
                                   {"G3", "=B3-D3"},
                                   {"H3", "0"},
                                   {"I3", "=F3/H3"},
                                   {"J3", "=G3/H3"},
                                   {"K3", "=I3"},
                                   {"A4", "Total"},
                                   {"B4", "=sum(B3:B3)"},
                                   {"I4", "=sum(I3:I3)"}});
    submit("1/2/2001", "10", "250", "2", "50", "100");
    failToOpen("zero-visitors.xls");
}

TEST_F(Opening, AFailedOpenRightAfterStartUpKeepsTheEmptySheet) {
    writeBytes(documentsFolder() + "/garbage.xls", "short");
    failToOpen("garbage.xls");
    EXPECT_EQ(kept, "1") << "the submit after the failure went to the kept sheet";
}

}  // namespace
}  // namespace tallomer::testing
