// ShowResults on the statistics workbooks that LibreOffice, Gnumeric and xlwt wrote
// (../shared/samples/stats), through the real main window's boxes, against the boxes the
// samples' own oracle expects. Skips when the samples are not beside the project.
#include <gtest/gtest.h>

#include <filesystem>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>

#include "app/form1.h"
#include "host/application.h"
#include "workbook/results_display.h"

namespace fs = std::filesystem;

TEST(SampleWorkbooks, ShowTheBoxesTheOracleExpects) {
    const fs::path stats = fs::path(TALLOMER_SAMPLES_DIR) / "stats";
    QFile oracle(QString::fromStdString((stats / "expected_boxes.json").string()));
    if (!oracle.open(QIODevice::ReadOnly)) GTEST_SKIP() << "no samples at " << stats;
    const QJsonObject expected = QJsonDocument::fromJson(oracle.readAll()).object();
    ASSERT_FALSE(expected.isEmpty());

    for (auto file = expected.begin(); file != expected.end(); ++file) {
        SCOPED_TRACE(file.key().toStdString());
        const QJsonObject boxes = file.value().toObject();
        tallomer::Form1 window;
        for (int n = 1; n <= 26; ++n) window.setBoxText(n, "old");
        host::Application xl;
        xl.openWorkbook((stats / file.key().toStdString()).string());
        xl.selectSheet(1);
        const bool records = tallomer::ShowResults(xl, window);
        EXPECT_EQ(records, boxes["_outcome"].toString() == "records");
        const int entries = boxes["_entries"].toInt();
        EXPECT_EQ(xl.activeCell().address(), "$A$" + std::to_string(entries + 3));
        for (int n = 1; n <= 26; ++n) {
            const QString name = QStringLiteral("Text%1").arg(n);
            if (!boxes.contains(name)) continue;
            EXPECT_EQ(window.Text(n)->text(), boxes[name].toString()) << name.toStdString();
        }
    }
}
