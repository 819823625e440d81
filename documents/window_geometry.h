#pragma once
#include <QRect>

#include "workbook/window_placement.h"

class QWidget;

namespace tallomer {

// The program's small dialogs have a fixed single border with a caption: their outer size is
// 120 twips wider and 405 twips higher than their client area.
inline constexpr int kDialogFrameWidth = 120;
inline constexpr int kDialogFrameHeight = 405;

int twipsToPixels(double twips);
// A control's rectangle given in twips, in pixels.
QRect twipsRect(int left, int top, int width, int height);

// Moves a dialog to the placement's outer position and gives it the client area that the
// outer size leaves inside the frame.
void placeDialog(QWidget& dialog, const Placement& outer);
// Changes only the outer height of a dialog, keeping its position and width.
void setDialogOuterHeight(QWidget& dialog, int heightTwips);

}  // namespace tallomer
