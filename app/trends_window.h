#pragma once
#include <vector>

#include <QWidget>

#include "workbook/period_summary.h"

class QComboBox;
class QTableView;
QT_BEGIN_NAMESPACE
class QChartView;
QT_END_NAMESPACE

namespace host {
class Workbook;
}

class QDateEdit;

namespace tallomer {

class TrendsChart;
class PeriodTableModel;

// The Trends window: the chart of one series over a range of days, and beneath it the summary
// table by week, month or year with the change against the period before. Modeless, created
// once; refresh() makes it show the sheet as it now stands.
class TrendsWindow : public QWidget {
    Q_OBJECT
public:
    explicit TrendsWindow(QWidget* parent = nullptr);
    ~TrendsWindow() override;

    // Reads the workbook's statistics sheet again (none: an empty chart and table).
    void refresh(const host::Workbook* workbook);

    TrendsChart& chart() { return *chart_; }
    QTableView* table() const { return table_; }
    QComboBox* seriesChoice() const { return series_; }
    QComboBox* rangeChoice() const { return range_; }
    QComboBox* periodChoice() const { return period_; }
    // The first and last day shown when the range is "Between two dates".
    QDateEdit* fromDate() const { return from_; }
    QDateEdit* toDate() const { return to_; }

    // The table as tab-separated lines, as Ctrl+C puts it on the clipboard.
    QString tableText() const;
    void copyTable();
    void saveChart();

private:
    void redraw();
    void resummarise();
    void showDayAt(const QPointF& point, bool hovering);

    TrendsChart* chart_;
    QChartView* view_;
    QComboBox* series_;
    QComboBox* range_;
    QComboBox* period_;
    QDateEdit* from_;
    QDateEdit* to_;
    bool datesSet_ = false;  // the two dates were given the sheet's first and last days
    QTableView* table_;
    PeriodTableModel* model_;
    TradeDays days_;
    std::vector<DayFigures> daily_;
};

}  // namespace tallomer
