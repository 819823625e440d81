#include "documents/dialog_font.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <algorithm>

namespace tallomer {

QFont dialogFont() {
    QFont font = QApplication::font();
    font.setPixelSize(10);
    return font;
}

void widenToText(QLabel& label, int rightEdge) {
    const int needed = QFontMetrics(label.font()).horizontalAdvance(label.text()) + 2;
    if (needed > label.width()) {
        label.resize(std::min(needed, rightEdge - label.x()), label.height());
    }
}

}  // namespace tallomer
