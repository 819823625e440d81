#pragma once
#include <QRect>

namespace tallomer {

// Twips to pixels at 15 twips a pixel: every position and size of the windows is given in twips.
constexpr int px(int twips) { return (twips + 7) / 15; }
inline QRect pxRect(int left, int top, int width, int height) { return {px(left), px(top), px(width), px(height)}; }

}  // namespace tallomer
