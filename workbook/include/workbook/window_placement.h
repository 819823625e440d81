#pragma once
#include <cstdint>

namespace tallomer {

// A window's outer geometry in twips. Positions may hold a half twip: the window system
// rounds them to a pixel.
struct Placement {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// Centres a window of outer size width x height on the screen; a window larger than the
// screen goes to 0, never to a negative position.
Placement centredPlacement(std::int32_t screenWidth, std::int32_t screenHeight, std::int32_t width,
                           std::int32_t height);

// PlaceFileDialog: the file dialog, 6030 twips wide, centred for the given height.
Placement fileDialogPlacement(std::int32_t screenWidth, std::int32_t screenHeight, std::int16_t height);

inline constexpr double kTwipsPerPixel = 15.0;

}  // namespace tallomer
