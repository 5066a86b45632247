#include "winui/child_controls.h"

#include "link/text_win32.h"
#include "winui/arrow_button.h"
#include "winui/control_ids.h"
#include "winui/drawn_elements.h"
#include "winui/lamp_control.h"
#include "winui/window_class.h"
#include "winui/windowed_label.h"

#include <commctrl.h>

namespace zz::winui {

namespace {

using layout::Kind;

// Enter in the entry box goes to the parent; the box keeps the focus and
// every other key.
LRESULT CALLBACK entryProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
    switch (message) {
        case WM_GETDLGCODE:
            if (lParam && reinterpret_cast<const MSG *>(lParam)->wParam == VK_RETURN)
                return DLGC_WANTALLKEYS | DefSubclassProc(hwnd, message, wParam, lParam);
            break;
        case WM_CHAR:
            if (wParam == '\r') {
                SendMessageW(GetParent(hwnd), WM_COMMAND,
                             MAKEWPARAM(WORD(GetDlgCtrlID(hwnd)), kEntryEnter),
                             reinterpret_cast<LPARAM>(hwnd));
                return 0;  // no beep
            }
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, entryProcedure, 1);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// The raised white panel behind the readout's labels.
LRESULT CALLBACK readoutProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        RECT box;
        GetClientRect(hwnd, &box);
        HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
        FillRect(reinterpret_cast<HDC>(wParam), &box, white);
        DeleteObject(white);
        DrawEdge(reinterpret_cast<HDC>(wParam), &box, BDR_RAISEDINNER, BF_RECT);
        return 1;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND make(const wchar_t *windowClass, DWORD style, DWORD exStyle, HWND parent,
          const layout::Element &element, int id) {
    const std::wstring caption = link::win32::widen(std::string(element.caption));
    return CreateWindowExW(
        exStyle, windowClass, caption.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0,
        0, 0, 0, parent, reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

HWND createChild(HWND parent, std::span<const layout::Element> table,
                 const layout::Element &element) {
    const int id = controlId(table, element);
    switch (element.kind) {
        case Kind::Button:
            return make(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, parent, element, id);
        case Kind::EntryBox: {
            HWND entry =
                make(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, parent, element, id);
            SetWindowSubclass(entry, entryProcedure, 1, 0);
            return entry;
        }
        case Kind::ComboBox:
            return make(L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0,
                        parent, element, id);
        case Kind::Readout:
            registerWindowClass(kReadoutClass, readoutProcedure);
            return make(kReadoutClass, WS_CLIPCHILDREN, 0, parent, element, id);
        case Kind::ReadoutLabel:
        case Kind::Label:
            return createWindowedLabel(parent, element, id);
        case Kind::UpArrow:
        case Kind::DownArrow:
            return createArrowButton(parent, element.kind == Kind::UpArrow, id);
        case Kind::LinkLamp:
            return createLampControl(parent, id);
        default:
            return nullptr;
    }
}

void placeChild(HWND child, const layout::Element &element, int dpi, HFONT font) {
    const layout::PixelRect box = layout::pixelBox(element, dpi);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (element.kind == Kind::ComboBox) {
        // A drop-down box is as high as its closed field; its list hangs below.
        SetWindowPos(child, nullptr, box.left, box.top, box.width, box.height * 6,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        // The field's height follows the font; made up by what it lacks.
        int field = int(SendMessageW(child, CB_GETITEMHEIGHT, WPARAM(-1), 0));
        for (int pass = 0; pass < 3; ++pass) {
            RECT closed;
            GetWindowRect(child, &closed);
            const int lacking = box.height - (closed.bottom - closed.top);
            if (!lacking) break;
            field += lacking;
            SendMessageW(child, CB_SETITEMHEIGHT, WPARAM(-1), LPARAM(field));
        }
    } else {
        SetWindowPos(child, nullptr, box.left, box.top, box.width, box.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(child, nullptr, TRUE);
}

}  // namespace zz::winui
