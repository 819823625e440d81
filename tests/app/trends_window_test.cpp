// The Trends window driven offscreen through the real program: opened from View > Trends...,
// following Submit, Undo and a newly opened workbook, copying its table and saving its chart;
// and tallomer-cli chart drawing the same chart into files that are read back.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QXmlStreamReader>
#include <QtCharts/QLineSeries>

#include "app/form1.h"
#include "app/program.h"
#include "app/trends_window.h"
#include "chart/trends_chart.h"
#include "host/application.h"
#include "message_recorder.h"

using namespace tallomer;

namespace {

class TrendsWindowTest : public ::testing::Test {
protected:
    TrendsWindowTest() {
        wireDocumentCommands(program);
        EXPECT_TRUE(program.Form1_Form_Load());
        QApplication::setActiveWindow(&form());
    }
    Form1& form() { return program.form1(); }
    QAction* item(const QString& menuTitle, const QString& text) {
        for (QAction* action : form().menuBar()->actions()) {
            if (action->text() != menuTitle) continue;
            emit action->menu()->aboutToShow();
            for (QAction* entry : action->menu()->actions()) {
                if (entry->text().startsWith(text)) return entry;
            }
        }
        return nullptr;
    }
    void submit(const std::vector<QString>& figures) {
        for (int n = 1; n <= 6; ++n) form().Text(n)->setText(figures[n - 1]);
        QTest::mouseClick(form().Command(1), Qt::LeftButton);
    }
    int tableRows() { return program.trends().table()->model()->rowCount(); }
    QString cell(int row, int column) {
        QAbstractItemModel* model = program.trends().table()->model();
        return model->data(model->index(row, column)).toString();
    }

    MessageRecorder messages;
    Program program;
    QTemporaryDir dir;
};

bool isSvg(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    QXmlStreamReader xml(&file);
    bool svg = false, polyline = false;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("svg")) svg = true;
            if (xml.name() == QLatin1String("polyline") || xml.name() == QLatin1String("path")) polyline = true;
        }
    }
    return svg && polyline && !xml.hasError();
}

TEST_F(TrendsWindowTest, FollowsSubmitUndoAndAnOpenedWorkbook) {
    QAction* trends = item(QStringLiteral("&View"), QStringLiteral("&Trends..."));
    ASSERT_TRUE(trends);
    EXPECT_EQ(trends->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
    trends->trigger();
    TrendsWindow& window = program.trends();
    ASSERT_TRUE(window.isVisible());
    EXPECT_EQ(tableRows(), 0);

    submit({"31/1/2001", "10", "250", "2", "50", "100"});
    submit({"1/2/2001", "20", "500", "0", "0", "100"});
    ASSERT_EQ(tableRows(), 2);
    EXPECT_EQ(cell(0, 0), QStringLiteral("2001-01"));
    EXPECT_EQ(cell(1, 6), QStringLiteral("500"));
    EXPECT_EQ(cell(1, 12), QStringLiteral("150.0%"));  // net value 200 -> 500
    EXPECT_EQ(window.chart().dayLine()->count(), 2);

    window.periodChoice()->setCurrentIndex(0);  // by week: both days in the week of 29 January
    ASSERT_EQ(tableRows(), 1);
    EXPECT_EQ(cell(0, 1), QStringLiteral("2"));
    window.copyTable();
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith(QStringLiteral("Period\tEntries\t")));
    EXPECT_TRUE(QApplication::clipboard()->text().contains(QStringLiteral("\n2001-01-29\t2\t30\t750\t")));

    item(QStringLiteral("&Edit"), QStringLiteral("&Undo"))->trigger();
    EXPECT_EQ(cell(0, 1), QStringLiteral("1"));
    EXPECT_EQ(window.chart().dayLine()->count(), 1);

    // Another workbook in place of this one, as Open leaves it.
    const QString other = dir.filePath(QStringLiteral("other.xls"));
    host::Application writer;
    host::Worksheet& sheet = writer.addWorkbook().sheet(0);
    sheet.setTyped({2, 0}, "3/5/2002");
    for (int col : {1, 2, 3, 4, 5, 6, 7}) sheet.setTyped({2, col}, "7");
    writer.saveActiveWorkbookAs(other.toStdString());
    program.xlApp()->closeActiveWorkbook();
    program.xlApp()->openWorkbook(other.toStdString());
    program.sheetEvents().announceChange();
    ASSERT_EQ(tableRows(), 1);
    EXPECT_EQ(cell(0, 0), QStringLiteral("2002-03-04"));

    const QString png = dir.filePath(QStringLiteral("chart.png")), svg = dir.filePath(QStringLiteral("chart.svg"));
    QString error;
    ASSERT_TRUE(window.chart().save(png, QSize(640, 360), &error)) << error.toStdString();
    EXPECT_EQ(QImage(png).size(), QSize(640, 360));
    ASSERT_TRUE(window.chart().save(svg, QSize(640, 360), &error)) << error.toStdString();
    EXPECT_TRUE(isSvg(svg));
    EXPECT_FALSE(window.chart().save(dir.filePath(QStringLiteral("chart.gif")), QSize(640, 360), &error));
    EXPECT_TRUE(messages.texts.empty());
}

TEST(DateTicks, RoundDatesForAWeekAndForNinetyYears) {
    const std::int32_t monday = daysFromCivil(2001, 1, 29);
    const std::vector<DateTick> week = dateTicks(monday, monday + 6);
    ASSERT_EQ(week.size(), 7u);
    EXPECT_EQ(week.front().label, QStringLiteral("2001-01-29"));
    const std::vector<DateTick> years = dateTicks(daysFromCivil(2001, 1, 31), daysFromCivil(2090, 10, 15));
    ASSERT_EQ(years.size(), 9u);
    EXPECT_EQ(years.front().label, QStringLiteral("2010"));
    EXPECT_EQ(years.back().label, QStringLiteral("2090"));
    const std::vector<DateTick> months = dateTicks(daysFromCivil(2001, 2, 10), daysFromCivil(2002, 2, 9));
    EXPECT_EQ(months.front().label, QStringLiteral("2001-03"));
    EXPECT_LE(months.size(), 10u);
}

TEST(CliChart, WritesSvgAndPngThatReadBack) {
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("year.xls"));
    host::Application writer;
    host::Worksheet& sheet = writer.addWorkbook().sheet(0);
    for (int i = 0; i < 365; ++i) {
        const std::int32_t day = daysFromCivil(2001, 1, 1) + i;
        const CivilDate d = civilFromDays(day);
        const std::string r = std::to_string(i + 3);
        sheet.setTyped({i + 2, 0},
                       std::to_string(d.month) + "/" + std::to_string(d.day) + "/" + std::to_string(d.year));
        sheet.setTyped({i + 2, 1}, std::to_string(10 + i % 7));
        sheet.setTyped({i + 2, 2}, std::to_string(200 + (i * 37) % 90));
        sheet.setTyped({i + 2, 3}, "1");
        sheet.setTyped({i + 2, 4}, "5");
        sheet.setTyped({i + 2, 5}, "=C" + r + "-E" + r);
        sheet.setTyped({i + 2, 6}, "=B" + r + "-D" + r);
        sheet.setTyped({i + 2, 7}, std::to_string(90 + i % 20));
    }
    writer.saveActiveWorkbookAs(book.toStdString());
    const QString cli = QStringLiteral(TALLOMER_BINARY_DIR "/tools/tallomer-cli");
    const auto run = [&](const QStringList& args) {
        return QProcess::execute(cli, QStringList{QStringLiteral("chart"), book} + args);
    };
    const QString svg = dir.filePath(QStringLiteral("a.svg")), png = dir.filePath(QStringLiteral("a.png"));
    ASSERT_EQ(run({QStringLiteral("--out"), svg, QStringLiteral("--series"), QStringLiteral("net_value_per_visitor")}),
              0);
    EXPECT_TRUE(isSvg(svg));
    ASSERT_EQ(run({QStringLiteral("--out"), png, QStringLiteral("--from"), QStringLiteral("2001-03-01"),
                   QStringLiteral("--to"), QStringLiteral("2001-03-31")}),
              0);
    EXPECT_FALSE(QImage(png).isNull());
    EXPECT_EQ(run({QStringLiteral("--out"), png, QStringLiteral("--series"), QStringLiteral("profit")}), 1);
    EXPECT_EQ(run({QStringLiteral("--out"), png, QStringLiteral("--from"), QStringLiteral("2001-02-30")}), 1);
    EXPECT_EQ(QProcess::execute(cli, {QStringLiteral("chart"), dir.filePath(QStringLiteral("none.xls")),
                                      QStringLiteral("--out"), png}),
              2);
}

}  // namespace

namespace {

TEST_F(TrendsWindowTest, BetweenTwoDatesAndHoveringADay) {
    submit({"1/1/2001", "10", "250", "2", "50", "100"});
    submit({"15/1/2001", "20", "500", "0", "0", "100"});
    submit({"1/2/2001", "30", "600", "1", "10", "200"});
    program.showTrends();
    TrendsWindow& window = program.trends();
    ASSERT_EQ(window.chart().dayLine()->count(), 3);

    window.rangeChoice()->setCurrentIndex(window.rangeChoice()->findText(QStringLiteral("Between two dates")));
    ASSERT_TRUE(window.fromDate()->isVisible());
    EXPECT_EQ(window.fromDate()->date(), QDate(2001, 1, 1));  // the sheet's own first and last days
    EXPECT_EQ(window.toDate()->date(), QDate(2001, 2, 1));
    EXPECT_EQ(window.chart().dayLine()->count(), 3);
    window.fromDate()->setDate(QDate(2001, 1, 10));
    EXPECT_EQ(window.chart().dayLine()->count(), 2);
    window.toDate()->setDate(QDate(2001, 1, 20));
    EXPECT_EQ(window.chart().dayLine()->count(), 1);

    // The point of 15 January, hovered: its date and figures.
    const QPointF point = window.chart().dayLine()->at(0);
    emit window.chart().dayLine()->hovered(point, true);
    EXPECT_TRUE(QToolTip::text().startsWith(QStringLiteral("2001-01-15\nOrders 20, value 500")))
        << QToolTip::text().toStdString();

    window.rangeChoice()->setCurrentIndex(window.rangeChoice()->findText(QStringLiteral("All")));
    EXPECT_FALSE(window.fromDate()->isVisible());
    EXPECT_EQ(window.chart().dayLine()->count(), 3);
}

}  // namespace
