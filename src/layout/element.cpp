#include "layout/element.h"

#include <algorithm>
#include <cstdlib>

namespace zz::layout {

std::string readableCaption(const Element &element) {
    std::string text(element.caption);
    if (element.face.family != face::kSymbol) return text;
    std::string readable;
    for (const char c : text) readable += c == 'W' ? std::string("\u03A9") : std::string(1, c);
    return readable;
}

const Element &findElement(std::span<const Element> table, std::string_view name) {
    const auto found =
        std::find_if(table.begin(), table.end(), [&](const Element &e) { return e.name == name; });
    if (found == table.end()) std::abort();
    return *found;
}

PixelRect pixelBox(const Element &element, int dpi) {
    if (element.kind == Kind::Rule)
        return {pixels(element.left, dpi), pixels(element.top, dpi),
                pixels(element.left + element.width, dpi) - pixels(element.left, dpi), 1};
    return pixelRect(element.left, element.top, element.width, element.height, dpi);
}

}  // namespace zz::layout
