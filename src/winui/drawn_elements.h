#pragma once
// The lightweight elements of a layout table (labels, rules, rectangles,
// pictures) painted by their window itself, bottom to top as the table lists
// them; the windowed ones are child windows (child_controls.h).

#include "layout/element.h"
#include "winui/fonts.h"
#include "winui/pictures.h"

#include <windows.h>

#include <functional>
#include <map>
#include <span>
#include <string_view>

namespace zz::winui {

// Whether a row is painted by its window (not a child window of its own).
bool isDrawn(const layout::Element &element);

RECT toRect(const layout::PixelRect &box);
COLORREF toColour(layout::Rgb rgb);

// The pictures one window shows, decoded once.
class PictureSet {
public:
    PictureSet() = default;
    PictureSet(const PictureSet &) = delete;
    PictureSet &operator=(const PictureSet &) = delete;
    ~PictureSet();
    const Bitmap &picture(std::string_view file);

private:
    std::map<std::string_view, Bitmap> pictures_;
};

struct Painter {
    FontSet &fonts;
    PictureSet &pictures;
    int dpi;
    // Where an element lies; unset: its pixel box at the DPI.
    std::function<RECT(const layout::Element &)> boxOf = {};
    // Elements a window has made windowed although they are drawn kinds.
    std::function<bool(const layout::Element &)> skip = {};
    // A rectangle's frame in pixels; unset: 1.
    std::function<int(const layout::Element &)> lineWidth = {};
};

// One element; text in the element's face (a label's caption as stored).
void paintElement(HDC dc, const layout::Element &element, Painter &painter);
// Every drawn element of a table, bottom to top.
void paintElements(HDC dc, std::span<const layout::Element> table, Painter &painter);

// A label's text in its box (word-wrapped, from the top left) in its face
// and colour, on its fill when it has one.
void paintLabelText(HDC dc, const layout::Element &element, const std::wstring &text,
                    const RECT &box, HFONT font);

}  // namespace zz::winui
