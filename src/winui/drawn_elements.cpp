#include "winui/drawn_elements.h"

#include "link/text_win32.h"

namespace zz::winui {

using layout::Kind;

bool isDrawn(const layout::Element &element) {
    switch (element.kind) {
        case Kind::Label:
        case Kind::Rule:
        case Kind::Rectangle:
        case Kind::Picture:
            return true;
        default:
            return false;
    }
}

RECT toRect(const layout::PixelRect &box) {
    return {box.left, box.top, box.left + box.width, box.top + box.height};
}

COLORREF toColour(layout::Rgb rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

PictureSet::~PictureSet() {
    for (auto &[file, bitmap] : pictures_)
        if (bitmap.handle) DeleteObject(bitmap.handle);
}

const Bitmap &PictureSet::picture(std::string_view file) {
    auto found = pictures_.find(file);
    if (found == pictures_.end()) found = pictures_.emplace(file, loadPicture(file)).first;
    return found->second;
}

void paintLabelText(HDC dc, const layout::Element &element, const std::wstring &text,
                    const RECT &box, HFONT font) {
    if (element.fill) {
        HBRUSH fill = CreateSolidBrush(toColour(*element.fill));
        FillRect(dc, &box, fill);
        DeleteObject(fill);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, element.text ? toColour(*element.text) : GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ old = SelectObject(dc, font);
    RECT inside = box;
    DrawTextW(dc, text.c_str(), int(text.size()), &inside, DT_LEFT | DT_TOP | DT_WORDBREAK);
    SelectObject(dc, old);
}

namespace {

// A frame `width` pixels wide inside the box.
void frame(HDC dc, const RECT &box, COLORREF colour, int width) {
    HBRUSH brush = CreateSolidBrush(colour);
    for (int i = 0; i < width; ++i) {
        const RECT r{box.left + i, box.top + i, box.right - i, box.bottom - i};
        FrameRect(dc, &r, brush);
    }
    DeleteObject(brush);
}

}  // namespace

void paintElement(HDC dc, const layout::Element &element, Painter &painter) {
    const RECT box =
        painter.boxOf ? painter.boxOf(element) : toRect(layout::pixelBox(element, painter.dpi));
    switch (element.kind) {
        case Kind::Label:
            paintLabelText(dc, element, link::win32::widen(std::string(element.caption)), box,
                           painter.fonts.font(element.face, painter.dpi));
            break;
        case Kind::Rule: {
            HBRUSH brush =
                CreateSolidBrush(toColour(element.text.value_or(layout::colour::kBlack)));
            FillRect(dc, &box, brush);
            DeleteObject(brush);
            break;
        }
        case Kind::Rectangle:
            if (element.fill) {
                HBRUSH fill = CreateSolidBrush(toColour(*element.fill));
                FillRect(dc, &box, fill);
                DeleteObject(fill);
            }
            frame(dc, box, element.text ? toColour(*element.text) : GetSysColor(COLOR_WINDOWFRAME),
                  painter.lineWidth ? painter.lineWidth(element) : 1);
            break;
        case Kind::Picture:
            drawPicture(dc, painter.pictures.picture(element.caption), box);
            break;
        default:
            break;
    }
}

void paintElements(HDC dc, std::span<const layout::Element> table, Painter &painter) {
    for (const layout::Element &element : table)
        if (isDrawn(element) && !(painter.skip && painter.skip(element)))
            paintElement(dc, element, painter);
}

}  // namespace zz::winui
