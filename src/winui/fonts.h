#pragma once
// The layout's typefaces as GDI fonts at a window's DPI. "Symbol" is asked for
// in the symbol character set, so a stored caption "kW" draws as kΩ.

#include "layout/element.h"

#include <windows.h>

#include <map>
#include <tuple>

namespace zz::winui {

// The height in pixels of a face's em at that DPI (points are 1/72 inch).
int fontPixels(double points, int dpi);

// The fonts one window uses, made once per face and DPI, freed with it.
class FontSet {
public:
    FontSet() = default;
    FontSet(const FontSet &) = delete;
    FontSet &operator=(const FontSet &) = delete;
    ~FontSet();

    HFONT font(const layout::Face &face, int dpi);
    // After WM_DPICHANGED: the old fonts go once nothing uses them.
    void clear();

private:
    using Key = std::tuple<std::string_view, double, bool, bool, int>;
    std::map<Key, HFONT> fonts_;
};

}  // namespace zz::winui
