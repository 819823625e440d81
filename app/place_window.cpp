#include "app/place_window.h"

#include <cmath>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tallomer {

void placeWindow(QWidget& window, const Placement& placement) {
    window.move(static_cast<int>(std::lround(placement.left / kTwipsPerPixel)),
                static_cast<int>(std::lround(placement.top / kTwipsPerPixel)));
}

ScreenTwips measureScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {};
    const QRect all = screen->geometry();
    return {static_cast<std::int32_t>(std::lround(all.width() * kTwipsPerPixel)),
            static_cast<std::int32_t>(std::lround(all.height() * kTwipsPerPixel))};
}

}  // namespace tallomer
