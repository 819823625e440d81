#include "documents/window_geometry.h"

#include <QWidget>
#include <cmath>

namespace tallomer {

int twipsToPixels(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

void placeDialog(QWidget& dialog, const Placement& outer) {
    dialog.move(twipsToPixels(outer.left), twipsToPixels(outer.top));
    dialog.setFixedSize(twipsToPixels(outer.width - kDialogFrameWidth),
                        twipsToPixels(outer.height - kDialogFrameHeight));
}

void setDialogOuterHeight(QWidget& dialog, int heightTwips) {
    dialog.setFixedHeight(twipsToPixels(heightTwips - kDialogFrameHeight));
}

}  // namespace tallomer
