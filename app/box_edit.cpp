#include "app/box_edit.h"

#include <QFontMetrics>

namespace tallomer {

QFont boxFont(int pixelSize) {
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}

BoxEdit::BoxEdit(QWidget* parent) : QLineEdit(parent) {
    setFont(boxFont());
    setTextMargins(0, 0, 0, 0);
    connect(this, &QLineEdit::textChanged, this, &BoxEdit::fitText);
}

int BoxEdit::textRoom() const {
    // The frame and the line edit's own inner margin take about 4 pixels a side.
    return width() - 8;
}

void BoxEdit::fitText() {
    int size = kNormalPixelSize;
    while (size > kSmallestPixelSize &&
           QFontMetrics(boxFont(size)).horizontalAdvance(text()) > textRoom()) {
        --size;
    }
    if (font().pixelSize() != size) setFont(boxFont(size));
}

}  // namespace tallomer
