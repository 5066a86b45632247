#include "winui/port_box.h"

#include "link/text_win32.h"
#include "startup/port_listing.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace zz::winui {

namespace {

using link::win32::narrow;
using link::win32::widen;

// Windows sends several messages for one device plugged in.
constexpr UINT kSettleMs = 100;

// The box and its edit field, where the mouse rests.
std::vector<HWND> tipWindows(HWND box) {
    std::vector<HWND> windows{box};
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(box, &info) && info.hwndItem) windows.push_back(info.hwndItem);
    return windows;
}

std::wstring itemText(HWND box, int index) {
    const LRESULT length = SendMessageW(box, CB_GETLBTEXTLEN, WPARAM(index), 0);
    if (length == CB_ERR) return {};
    std::wstring text(std::size_t(length) + 1, L'\0');
    SendMessageW(box, CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::size_t(length));
    return text;
}

// A tooltip breaks its lines at CR LF.
std::wstring tipLines(const std::string &text) {
    std::wstring lines;
    for (const wchar_t c : widen(text)) {
        if (c == L'\n') lines += L'\r';
        lines += c;
    }
    return lines;
}

}  // namespace

PortBox::PortBox(HWND box, startup::PortListing &ports) : box_(box), ports_(ports) {
    HWND dialog = GetParent(box_);
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
    for (HWND window : tipWindows(box_)) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = dialog;
        tool.uId = reinterpret_cast<UINT_PTR>(window);
        tool.lpszText = const_cast<wchar_t *>(L"");
        SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, 500);
    for (const startup::PortEntry &entry : ports_.entries())
        SendMessageW(box_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(entry.text).c_str()));
    ports_.onRefresh([this] { showEntries(); });
}

PortBox::~PortBox() {
    ports_.onRefresh({});
}

void PortBox::preset(const std::string &text) {
    SetWindowTextW(box_, widen(text).c_str());
    updateTip();
}

std::wstring PortBox::text() const {
    const int length = GetWindowTextLengthW(box_);
    std::wstring text(std::size_t(length) + 1, L'\0');
    GetWindowTextW(box_, text.data(), length + 1);
    text.resize(std::size_t(length));
    return text;
}

void PortBox::notified(WORD code) {
    switch (code) {
        case CBN_DROPDOWN:  // before the list is laid out
            beforeDrop_ = text();
            ports_.refresh();
            PostMessageW(GetParent(box_), kKeepText, 0, 0);
            break;
        case CBN_SELCHANGE:
            PostMessageW(GetParent(box_), kShowNumber,
                         WPARAM(SendMessageW(box_, CB_GETCURSEL, 0, 0)), 0);
            break;
        case CBN_EDITCHANGE:
            updateTip();
            break;
        default:
            break;
    }
}

void PortBox::showNumber(int index) {
    const startup::PortEntry *entry = ports_.entry(index + 1);
    if (!entry || SendMessageW(box_, CB_GETCURSEL, 0, 0) != index) return;
    SetWindowTextW(box_, std::to_wstring(entry->number).c_str());
    updateTip();
}

void PortBox::keepText() {
    SetWindowTextW(box_, beforeDrop_.c_str());
    updateTip();
}

void PortBox::devicesChanged() {
    SetTimer(GetParent(box_), kSettleTimer, kSettleMs, nullptr);
}

void PortBox::settled() {
    KillTimer(GetParent(box_), kSettleTimer);
    ports_.refresh();
}

void PortBox::showEntries() {
    // Replacing the chosen entry would put its text in the box.
    const std::wstring typed = text();
    const LRESULT selection = SendMessageW(box_, CB_GETEDITSEL, 0, 0);
    const LRESULT current = SendMessageW(box_, CB_GETCURSEL, 0, 0);
    HDC dc = GetDC(box_);
    HGDIOBJ font =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(box_, WM_GETFONT, 0, 0)));
    RECT closed;
    GetWindowRect(box_, &closed);
    int widest = closed.right - closed.left;
    const auto &entries = ports_.entries();
    for (int i = 0; i < int(entries.size()); ++i) {
        const std::wstring item = widen(entries[std::size_t(i)].text);
        if (itemText(box_, i) != item) {
            SendMessageW(box_, CB_DELETESTRING, WPARAM(i), 0);
            SendMessageW(box_, CB_INSERTSTRING, WPARAM(i), reinterpret_cast<LPARAM>(item.c_str()));
        }
        SIZE size{};
        GetTextExtentPoint32W(dc, item.c_str(), int(item.size()), &size);
        widest = std::max(widest, int(size.cx) + GetSystemMetrics(SM_CXVSCROLL) + 8);
    }
    SelectObject(dc, font);
    ReleaseDC(box_, dc);
    // The list may be wider than the box: it shows whole entries.
    SendMessageW(box_, CB_SETDROPPEDWIDTH, WPARAM(widest), 0);
    if (current != CB_ERR) SendMessageW(box_, CB_SETCURSEL, WPARAM(current), 0);
    SetWindowTextW(box_, typed.c_str());
    SendMessageW(box_, CB_SETEDITSEL, 0, LPARAM(selection));
    updateTip();
}

void PortBox::updateTip() {
    std::wstring tip = tipLines(startup::portTip(ports_, narrow(text())));
    for (HWND window : tipWindows(box_)) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = GetParent(box_);
        tool.uId = reinterpret_cast<UINT_PTR>(window);
        tool.lpszText = tip.data();
        SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

}  // namespace zz::winui
