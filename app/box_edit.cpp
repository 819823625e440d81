#include "app/box_edit.h"

#include <QFontMetrics>
#include <QKeyEvent>

namespace tallomer {

QFont boxFont(int pixelSize) { return boxFont(QStringLiteral("DejaVu Sans Condensed"), pixelSize); }

QFont narrowBoxFont(int pixelSize) { return boxFont(QStringLiteral("Nimbus Sans Narrow"), pixelSize); }

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

bool BoxEdit::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeyCombination combination = key->keyCombination();
        const bool undoKey = key->matches(QKeySequence::Undo);
        const bool redoKey = key->matches(QKeySequence::Redo) ||
                             combination == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z) ||
                             combination == QKeyCombination(Qt::ControlModifier, Qt::Key_Y);
        if ((undoKey && !isUndoAvailable()) || (redoKey && !isRedoAvailable())) {
            event->ignore();
            return false;
        }
    }
    return QLineEdit::event(event);
}

int BoxEdit::textRoom() const {
    // The frame and the line edit's own inner margin take about 4 pixels a side.
    return width() - 8;
}

void BoxEdit::fitText() {
    auto fits = [this](const QFont& font) { return QFontMetrics(font).horizontalAdvance(text()) <= textRoom(); };
    QFont font = boxFont();
    // A long figure first goes to the narrow face, then to smaller sizes of it.
    for (int size = kNormalPixelSize; !fits(font) && size >= kSmallestPixelSize; --size) {
        font = narrowBoxFont(size);
    }
    if (this->font() != font) setFont(font);
}

}  // namespace tallomer
