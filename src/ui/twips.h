#pragma once
// Window geometry is designed in twips; 15 twips make one pixel, and Qt's
// high-DPI scaling takes it from there.

#include <QPoint>
#include <QRect>

namespace zz::ui {

inline constexpr int kTwipsPerPixel = 15;

// The nearest pixel.
constexpr int twips(int t) {
    return (t + kTwipsPerPixel / 2) / kTwipsPerPixel;
}
QRect twipsRect(int left, int top, int width, int height);
QPoint twipsPoint(int x, int y);

}  // namespace zz::ui
