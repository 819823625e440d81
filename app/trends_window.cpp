#include "app/trends_window.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>

#include "app/message_box.h"
#include "chart/trends_chart.h"
#include "host/locale.h"

namespace tallomer {

namespace {

QString number(double value) { return QString::fromStdString(host::generalNumber(value)); }
QString optionalNumber(const std::optional<double>& value) { return value ? number(*value) : QString(); }
QString percent(const std::optional<double>& value) {
    return value ? QString::number(*value, 'f', 1) + QLatin1Char('%') : QString();
}

const char* const kColumns[] = {"Period",
                                "Entries",
                                "Orders",
                                "Order value",
                                "Refunds",
                                "Refund value",
                                "Net value",
                                "Net orders",
                                "Visitors",
                                "Net orders / visitor",
                                "Net value / visitor",
                                "Orders change",
                                "Net value change",
                                "Visitors change"};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));

}  // namespace

// The summary's periods as table rows, read straight from the summary, so a sheet of ninety
// years costs the view only the rows it shows.
class PeriodTableModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setSummary(PeriodSummary summary) {
        beginResetModel();
        summary_ = std::move(summary);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(summary_.periods.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kColumnCount; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section >= kColumnCount) return {};
        return QString::fromUtf8(kColumns[section]);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::TextAlignmentRole)
            return int((index.column() == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
        if (role != Qt::DisplayRole) return {};
        return text(index.row(), index.column());
    }
    QString text(int row, int column) const {
        const PeriodRow& r = summary_.periods.at(static_cast<std::size_t>(row));
        const PeriodTotals& t = r.totals;
        switch (column) {
            case 0: return QString::fromStdString(periodLabel(summary_.kind, t.firstDay));
            case 1: return QString::number(t.entries);
            case 2: return number(t.orders);
            case 3: return number(t.orderValue);
            case 4: return number(t.refunds);
            case 5: return number(t.refundValue);
            case 6: return number(t.netValue);
            case 7: return number(t.netOrders);
            case 8: return number(t.visitors);
            case 9: return optionalNumber(t.netOrdersPerVisitor());
            case 10: return optionalNumber(t.netValuePerVisitor());
            case 11: return r.sincePrevious ? percent(r.sincePrevious->orders) : QString();
            case 12: return r.sincePrevious ? percent(r.sincePrevious->netValue) : QString();
            case 13: return r.sincePrevious ? percent(r.sincePrevious->visitors) : QString();
        }
        return {};
    }
    const PeriodSummary& summary() const { return summary_; }

private:
    PeriodSummary summary_;
};

namespace {
constexpr int kBetweenDates = -1;  // the range choice's data for "Between two dates"

QDate qDate(std::int32_t day) {
    const CivilDate d = civilFromDays(day);
    return QDate(d.year, d.month, d.day);
}
std::int32_t dayOf(const QDate& date) { return daysFromCivil(date.year(), date.month(), date.day()); }
}  // namespace

TrendsWindow::TrendsWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      chart_(new TrendsChart),
      view_(new QChartView(chart_)),
      series_(new QComboBox),
      range_(new QComboBox),
      period_(new QComboBox),
      from_(new QDateEdit),
      to_(new QDateEdit),
      table_(new QTableView),
      model_(new PeriodTableModel(this)) {
    setObjectName(QStringLiteral("TrendsWindow"));
    setWindowTitle(QStringLiteral("Trends"));
    resize(900, 640);
    for (SeriesKind kind : kAllSeries) series_->addItem(QString::fromUtf8(seriesTitle(kind)), int(kind));
    range_->addItem(QStringLiteral("Last 30 days"), 30);
    range_->addItem(QStringLiteral("Last 12 months"), 365);
    range_->addItem(QStringLiteral("All"), 0);
    range_->addItem(QStringLiteral("Between two dates"), kBetweenDates);
    range_->setCurrentIndex(2);
    for (QDateEdit* edit : {from_, to_}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
        edit->setDateRange(QDate(1900, 1, 1), QDate(9999, 12, 31));
        edit->setVisible(false);
    }
    from_->setAccessibleName(QStringLiteral("First day shown"));
    to_->setAccessibleName(QStringLiteral("Last day shown"));
    period_->addItem(QStringLiteral("By week"), int(PeriodKind::Week));
    period_->addItem(QStringLiteral("By month"), int(PeriodKind::Month));
    period_->addItem(QStringLiteral("By year"), int(PeriodKind::Year));
    period_->setCurrentIndex(1);
    view_->setRenderHint(QPainter::Antialiasing);
    table_->setModel(model_);
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);

    auto* save = new QPushButton(QStringLiteral("Save Chart..."));
    auto* copy = new QPushButton(QStringLiteral("Copy Table"));
    auto* choices = new QHBoxLayout;
    choices->addWidget(new QLabel(QStringLiteral("Series:")));
    choices->addWidget(series_);
    choices->addWidget(new QLabel(QStringLiteral("Days:")));
    choices->addWidget(range_);
    choices->addWidget(from_);
    choices->addWidget(to_);
    choices->addStretch();
    choices->addWidget(save);
    auto* tableChoices = new QHBoxLayout;
    tableChoices->addWidget(period_);
    tableChoices->addStretch();
    tableChoices->addWidget(copy);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(view_, 3);
    layout->addLayout(tableChoices);
    layout->addWidget(table_, 2);

    connect(series_, &QComboBox::currentIndexChanged, this, &TrendsWindow::redraw);
    connect(range_, &QComboBox::currentIndexChanged, this, [this] {
        const bool between = range_->currentData().toInt() == kBetweenDates;
        if (between && !daily_.empty() && !datesSet_) {
            // Start from the sheet's own first and last days.
            datesSet_ = true;
            const QSignalBlocker quietFrom(from_), quietTo(to_);
            from_->setDate(qDate(daily_.front().day));
            to_->setDate(qDate(daily_.back().day));
        }
        from_->setVisible(between);
        to_->setVisible(between);
        redraw();
    });
    connect(from_, &QDateEdit::dateChanged, this, &TrendsWindow::redraw);
    connect(to_, &QDateEdit::dateChanged, this, &TrendsWindow::redraw);
    connect(period_, &QComboBox::currentIndexChanged, this, &TrendsWindow::resummarise);
    connect(save, &QPushButton::clicked, this, &TrendsWindow::saveChart);
    connect(copy, &QPushButton::clicked, this, &TrendsWindow::copyTable);
    connect(new QShortcut(QKeySequence::Copy, this), &QShortcut::activated, this, &TrendsWindow::copyTable);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::hide);
    connect(chart_->dayLine(), &QLineSeries::hovered, this, &TrendsWindow::showDayAt);
}

TrendsWindow::~TrendsWindow() = default;

void TrendsWindow::refresh(const host::Workbook* workbook) {
    days_ = workbook ? readTradeDays(*workbook) : TradeDays{};
    daily_ = dailyTotals(days_);
    redraw();
    resummarise();
}

void TrendsWindow::redraw() {
    const auto kind = static_cast<SeriesKind>(series_->currentData().toInt());
    const int lastDays = range_->currentData().toInt();
    if (lastDays == kBetweenDates) {
        chart_->draw(daily_, kind, dayOf(from_->date()), dayOf(to_->date()));
        return;
    }
    std::int32_t to = daily_.empty() ? 0 : daily_.back().day;
    std::int32_t from = lastDays == 0 ? INT32_MIN / 2 : to - lastDays + 1;
    if (lastDays == 0) to = INT32_MAX / 2;
    chart_->draw(daily_, kind, from, to);
}

void TrendsWindow::resummarise() {
    model_->setSummary(summarise(days_, static_cast<PeriodKind>(period_->currentData().toInt())));
}

QString TrendsWindow::tableText() const {
    QString out;
    for (int c = 0; c < kColumnCount; ++c)
        out += (c ? QStringLiteral("\t") : QString()) + QString::fromUtf8(kColumns[c]);
    out += QLatin1Char('\n');
    for (int r = 0; r < model_->rowCount(); ++r) {
        for (int c = 0; c < kColumnCount; ++c) out += (c ? QStringLiteral("\t") : QString()) + model_->text(r, c);
        out += QLatin1Char('\n');
    }
    const PeriodSummary& s = model_->summary();
    if (s.undated) out += QStringLiteral("undated\t%1\n").arg(s.undated);
    if (s.notNumbers) out += QStringLiteral("not numbers\t%1\n").arg(s.notNumbers);
    return out;
}

void TrendsWindow::copyTable() { QApplication::clipboard()->setText(tableText()); }

void TrendsWindow::saveChart() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Chart"), QString(),
                                                      QStringLiteral("PNG picture (*.png);;SVG picture (*.svg)"));
    if (path.isEmpty()) return;
    QString error;
    if (!chart_->save(path, view_->size(), &error)) showMessageBox(this, error);
}

void TrendsWindow::showDayAt(const QPointF& point, bool hovering) {
    if (!hovering || daily_.empty()) {
        QToolTip::hideText();
        return;
    }
    const auto day = static_cast<std::int32_t>(std::lround(point.x()));
    const auto at = std::lower_bound(daily_.begin(), daily_.end(), day,
                                     [](const DayFigures& d, std::int32_t x) { return d.day < x; });
    if (at == daily_.end() || at->day != day) return;
    const QString text = QStringLiteral(
                             "%1\nOrders %2, value %3\nRefunds %4, value %5\nNet value %6, net orders %7\n"
                             "Visitors %8")
                             .arg(QString::fromStdString(isoText(at->day)), number(at->orders), number(at->orderValue),
                                  number(at->refunds), number(at->refundValue), number(at->netValue),
                                  number(at->netOrders), number(at->visitors));
    QToolTip::showText(QCursor::pos(), text, view_);
}

}  // namespace tallomer
