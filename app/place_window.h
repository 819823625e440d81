#pragma once
#include "workbook/window_placement.h"

class QWidget;

namespace tallomer {

// Puts a top-level window at a placement given in twips: the outer top-left corner at the
// position (a half twip rounds to the nearest pixel). The client size is the window's own.
void placeWindow(QWidget& window, const Placement& placement);

// The whole screen in twips (15 per pixel), rounded to a whole twip.
struct ScreenTwips {
    std::int32_t width = 0;
    std::int32_t height = 0;
};
ScreenTwips measureScreen();

}  // namespace tallomer
