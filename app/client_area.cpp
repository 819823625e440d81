#include "app/client_area.h"

#include <QPainter>

#include "app/background_picture.h"

namespace tallomer {

ClientArea::ClientArea(QWidget* parent, QImage background) : QWidget(parent), background_(std::move(background)) {
    setObjectName(QStringLiteral("ClientArea"));
    setAccessibleName(QStringLiteral("Daily figures"));
    setAutoFillBackground(true);
}

void ClientArea::paintEvent(QPaintEvent*) {
    // Drawn again at the screen's pixel ratio, so that a high-DPI screen shows it sharp.
    if (!qFuzzyCompare(background_.devicePixelRatio(), devicePixelRatioF())) {
        background_ = drawBackgroundPicture(devicePixelRatioF());
    }
    QPainter painter(this);
    painter.drawImage(0, 0, background_);
}

}  // namespace tallomer
