#pragma once
#include <QImage>

namespace tallomer {

// The main window's background, 539 x 459 pixels, drawn at start-up: the blue-to-black
// gradient, the title band with its sphere and "Tallomer", the white rules, the group titles
// and every field label beside its box.
// pixelRatio: device pixels per logical pixel (2 on a high-DPI screen); the image carries it.
QImage drawBackgroundPicture(qreal pixelRatio = 1.0);

inline constexpr int kPictureWidth = 539;
inline constexpr int kPictureHeight = 459;

}  // namespace tallomer
