#pragma once
#include <QImage>
#include <QWidget>

namespace tallomer {

// The main window's client area under its menu bar: the fixed-size surface that holds every box,
// button and label at its place, with the background picture painted behind them.
class ClientArea : public QWidget {
    Q_OBJECT
public:
    ClientArea(QWidget* parent, QImage background);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage background_;
};

}  // namespace tallomer
