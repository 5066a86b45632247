#pragma once
// Twips (1/1440 inch) to pixels at a screen's dots per inch: 15 twips make
// one pixel at 96 dpi. Both faces convert every table row through here, so
// their rectangles agree to the pixel.

namespace zz::layout {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kStandardDpi = 96;

// The nearest pixel (halves away from the origin).
constexpr int pixels(int twips, int dpi = kStandardDpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                        : -((-scaled + half) / kTwipsPerInch));
}

struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
    friend constexpr bool operator==(PixelRect, PixelRect) = default;
};

// The box's corner and its size, each converted on its own.
constexpr PixelRect pixelRect(int left, int top, int width, int height, int dpi = kStandardDpi) {
    return {pixels(left, dpi), pixels(top, dpi), pixels(width, dpi), pixels(height, dpi)};
}

}  // namespace zz::layout
