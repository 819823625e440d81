#include "app/box_edit.h"

#include <QFontMetrics>

namespace tallomer {

QFont boxFont(int pixelSize) {
    return boxFont(QStringLiteral("DejaVu Sans Condensed"), pixelSize);
}

QFont narrowBoxFont(int pixelSize) {
    return boxFont(QStringLiteral("Nimbus Sans Narrow"), pixelSize);
}

QFont boxFont(const QString& family, int pixelSize) {
    QFont font(family);
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
    auto fits = [this](const QFont& font) {
        return QFontMetrics(font).horizontalAdvance(text()) <= textRoom();
    };
    QFont font = boxFont();
    // A long figure first goes to the narrow face, then to smaller sizes of it.
    for (int size = kNormalPixelSize; !fits(font) && size >= kSmallestPixelSize; --size) {
        font = narrowBoxFont(size);
    }
    if (this->font() != font) setFont(font);
}

}  // namespace tallomer
