#include "documents_fixture.h"

#include <QFile>
#include <QListWidget>

#include "documents/directory_list.h"
#include "documents/file_list.h"
#include "host/address.h"
#include "workbook/daily_record.h"
#include "workbook/stats_sheet.h"

namespace tallomer::testing {

void DocumentsTest::SetUp() {
    app.setVisible(false);
    app.setDisplayAlerts(false);
    state.xlApp = &app;
    state.lScreenWidth = 12000;
    state.lScreenHeight = 9000;
    DocumentHooks hooks;
    hooks.hideWaitWindow = [this] { ++waitWindowHidden; };
    hooks.endProgram = [this] { ++programEnded; };
    hooks.askReplace = [this](const std::string& text) {
        replaceQuestions.push_back(text);
        return replaceAnswer;
    };
    docs = std::make_unique<Documents>(window, state, hooks);
    docs->placeWindowsAtStartUp();
    NewStatsSheet(app, window);
}

void DocumentsTest::TearDown() { docs.reset(); }

void DocumentsTest::submit(const std::string& date, const std::string& orders, const std::string& value,
                           const std::string& refunds, const std::string& refundValue, const std::string& visitors) {
    const std::string inputs[] = {date, orders, value, refunds, refundValue, visitors};
    for (int box = 1; box <= 6; ++box) {
        window.setBoxText(box, inputs[box - 1]);
    }
    const std::size_t before = window.messages.size();
    Form1_Command1_Click(state, window);
    ASSERT_EQ(window.messages.size(), before) << "Submit refused: " << window.messages.back();
}

void DocumentsTest::chooseFolder(const QString& folder) {
    ASSERT_TRUE(docs->form7.Dir1->setPath(folder)) << folder.toStdString();
}

void DocumentsTest::chooseFile(const QString& name) {
    const auto found = docs->form7.File1->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString() << " is not listed";
    docs->form7.File1->setCurrentItem(found.first());
}

void DocumentsTest::saveAsThroughDialog(const QString& folder, const QString& name) {
    Form1_Command6_Click(*docs);
    chooseFolder(folder);
    docs->form7.Text1->setText(name);
    docs->form7.Command1->click();
}

void DocumentsTest::openThroughDialog(const QString& folder, const QString& name) {
    Form1_Command5_Click(*docs);
    ASSERT_TRUE(docs->form7.isVisible()) << "Open asked a question instead";
    chooseFolder(folder);
    chooseFile(name);
    docs->form7.Command1->click();
}

std::string DocumentsTest::cellText(const std::string& address) {
    const auto at = host::parseAddress(address);
    const host::Value v = app.activeWorkbook()->activeSheet().value(*at);
    if (v.isNumber()) {
        return QString::number(v.number, 'g', 15).toStdString();
    }
    return v.isText() ? v.text : std::string();
}

double DocumentsTest::cellNumber(const std::string& address) {
    const auto at = host::parseAddress(address);
    const host::Value v = app.activeWorkbook()->activeSheet().value(*at);
    EXPECT_TRUE(v.isNumber()) << address;
    return v.number;
}

QString DocumentsTest::documentsFolder() const { return QDir::homePath() + "/Documents"; }

std::string readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll().toStdString();
}

void writeBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

}  // namespace tallomer::testing
