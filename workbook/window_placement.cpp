#include "workbook/window_placement.h"

namespace tallomer {

namespace {
// Half the free space, not rounded; 0 when the window does not fit.
double centredStart(std::int32_t screen, std::int32_t size) {
    const double half = (static_cast<double>(screen) - size) / 2.0;
    return half > 0 ? half : 0;
}
}  // namespace

Placement centredPlacement(std::int32_t screenWidth, std::int32_t screenHeight, std::int32_t width,
                           std::int32_t height) {
    return {centredStart(screenWidth, width), centredStart(screenHeight, height), static_cast<double>(width),
            static_cast<double>(height)};
}

Placement fileDialogPlacement(std::int32_t screenWidth, std::int32_t screenHeight, std::int16_t height) {
    return centredPlacement(screenWidth, screenHeight, 6030, height);
}

}  // namespace tallomer
