#include "app/client_area.h"

#include <QPainter>

namespace tallomer {

ClientArea::ClientArea(QWidget* parent, QImage background)
    : QWidget(parent), background_(std::move(background)) {
    setObjectName(QStringLiteral("ClientArea"));
    setAutoFillBackground(true);
}

void ClientArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, background_);
}

}  // namespace tallomer
