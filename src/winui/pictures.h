#pragma once
// The pictures under resources/ (JPEG backdrops, PNG logo and icons), stored
// in the program as resources named by their file name there
// ("pictures/panel_background.jpg") and decoded by the Windows Imaging
// Component. Kept as the very files the Linux face shows, so both faces draw
// the same pixels and the build needs no converter.

#include <windows.h>

#include <string_view>

namespace zz::winui {

// A decoded picture: a 32-bit top-down DIB section, alpha premultiplied.
struct Bitmap {
    HBITMAP handle = nullptr;
    int width = 0, height = 0;
};

// Null handle when the program holds no such picture or it cannot be read.
Bitmap loadPicture(std::string_view file);

// Drawn into `box` (stretched when sizes differ), blending its alpha.
void drawPicture(HDC dc, const Bitmap &picture, const RECT &box);

// An icon made from a picture (its alpha as the mask).
HICON iconFromPicture(std::string_view file);

}  // namespace zz::winui
