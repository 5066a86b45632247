#include "winui/fonts.h"

#include "link/text_win32.h"

#include <cmath>

namespace zz::winui {

int fontPixels(double points, int dpi) {
    return int(std::lround(points * dpi / 72.0));
}

FontSet::~FontSet() {
    clear();
}

void FontSet::clear() {
    for (auto &[key, font] : fonts_) DeleteObject(font);
    fonts_.clear();
}

HFONT FontSet::font(const layout::Face &face, int dpi) {
    const Key key{face.family, face.points, face.bold, face.italic, dpi};
    if (const auto found = fonts_.find(key); found != fonts_.end()) return found->second;
    LOGFONTW f{};
    f.lfHeight = -fontPixels(face.points, dpi);  // negative: the em, not the cell
    // Arial Black is its family's black weight: asking for it keeps a
    // stand-in (a font replacement) heavy too.
    f.lfWeight = face.family == layout::face::kArialBlack ? FW_BLACK
                 : face.bold                              ? FW_BOLD
                                                          : FW_NORMAL;
    f.lfItalic = face.italic;
    f.lfCharSet = face.family == layout::face::kSymbol ? SYMBOL_CHARSET : DEFAULT_CHARSET;
    f.lfOutPrecision = OUT_DEFAULT_PRECIS;
    f.lfQuality = DEFAULT_QUALITY;
    const std::wstring family = link::win32::widen(std::string(face.family));
    wcsncpy(f.lfFaceName, family.c_str(), LF_FACESIZE - 1);
    HFONT made = CreateFontIndirectW(&f);
    fonts_[key] = made;
    return made;
}

}  // namespace zz::winui
