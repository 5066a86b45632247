// Drives the Win32 panel (6175ZIZ.exe) from outside, as a user would, through
// Win32 messages: finds its windows by class and their elements by control
// id (winui/control_ids.h), reads texts, clicks, types, turns the wheel,
// answers message boxes and reports rectangles. One command per line on
// stdin, one answer per line on stdout ("ok ..." or "fail ..."); texts come
// back with CR and LF written as \r and \n. Used by wine_panel_tests.py.
//
//   wait CLASS MS             a visible top-level window of that class -> ok CAPTION
//   gone CLASS MS             until none is left
//   text CLASS NAME           an element's text
//   settext CLASS NAME TEXT   sets it (the rest of the line)
//   click CLASS NAME          BM_CLICK, posted
//   items CLASS NAME          a combo box's list -> ok COUNT a,b,...
//   drop CLASS NAME 1|0       drops a combo box's list down, or closes it
//   devicechange CLASS        WM_DEVICECHANGE as Windows sends it when a device comes
//   key CLASS NAME|focus VK   key down and up, posted to it
//   alt CLASS LETTER          an access key (Alt+letter) at the focus
//   focus CLASS               the focused element's name
//   menu CLASS ID             a menu command
//   close CLASS               the close box (WM_CLOSE)
//   where CLASS               the window's outer rectangle on the screen -> ok L T W H
//   spot CLASS NAME           the middle of an element on the screen -> ok X Y
//   wheel CLASS NAME DELTA    WM_MOUSEWHEEL at the element's middle
//   press CLASS NAME MS       the acting arrow held down that long
//   lamp CLASS                -> ok COLOUR CAPTION
//   box TITLE MS              a message box -> ok TEXT|BUTTONS|DEFAULT-ID
//   answer TITLE ID           presses its button of that id
//   rects CLASS               every windowed element: NAME L T W H; ... (in its parent)
//   table CLASS               the same from the layout table at the window's DPI
//   font FACE                 whether the system has that face -> ok yes|no ACTUAL
//   quit

#include "layout/element.h"
#include "layout/panel_layout.h"
#include "layout/port_dialog_layout.h"
#include "layout/start_screen_layout.h"
#include "link/text_win32.h"
#include "winui/control_ids.h"
#include "winui/drawn_elements.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace zz;
using link::win32::narrow;
using link::win32::widen;

std::span<const layout::Element> tableOf(const std::wstring &windowClass) {
    if (windowClass == winui::kPanelClass) return layout::panel::elements();
    if (windowClass == winui::kStartScreenClass) return layout::start_screen::elements();
    return layout::port_dialog::elements();
}

std::string escaped(const std::wstring &text) {
    std::string out;
    for (const char c : narrow(text)) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::wstring textOf(HWND hwnd) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, nullptr);
    return text;
}

std::wstring classOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

template <class Test>
HWND waitFor(int ms, Test test) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        if (HWND found = test()) return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < end);
    return nullptr;
}

HWND topLevel(const std::wstring &windowClass) {
    HWND found = FindWindowW(windowClass.c_str(), nullptr);
    return found && IsWindowVisible(found) ? found : nullptr;
}

// A combo box's own edit field and list are parts of it, not elements.
std::vector<HWND> descendants(HWND root) {
    std::vector<HWND> all;
    EnumChildWindows(
        root,
        [](HWND hwnd, LPARAM list) {
            if (classOf(GetParent(hwnd)) != L"ComboBox")
                reinterpret_cast<std::vector<HWND> *>(list)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    return all;
}

const layout::Element *elementOf(const std::wstring &windowClass, HWND hwnd) {
    // The footer's switch stands outside the table and its numbering.
    if (windowClass == winui::kPanelClass && GetDlgCtrlID(hwnd) == winui::kTrueSwitchId)
        return &layout::panel::kTrueSwitch;
    return winui::elementOfId(tableOf(windowClass), GetDlgCtrlID(hwnd));
}

HWND element(const std::wstring &windowClass, const std::string &name) {
    HWND root = topLevel(windowClass);
    if (!root) return nullptr;
    for (HWND hwnd : descendants(root))
        if (const auto *e = elementOf(windowClass, hwnd); e && e->name == name)
            return IsWindowVisible(hwnd) ? hwnd : nullptr;  // a hidden one is not there
    return nullptr;
}

HWND focusOf(HWND root) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(root, nullptr), &info);
    return info.hwndFocus;
}

POINT middle(HWND hwnd, double down = 0.5) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return {(r.left + r.right) / 2, r.top + LONG((r.bottom - r.top) * down)};
}

HWND messageBox(const std::wstring &title) {
    HWND found = FindWindowW(L"#32770", title.c_str());
    return found && IsWindowVisible(found) && IsWindowEnabled(found) ? found : nullptr;
}

std::string rectLine(const std::wstring &windowClass, bool fromTable) {
    HWND root = topLevel(windowClass);
    if (!root) return "fail no window";
    std::ostringstream out;
    out << "ok";
    if (fromTable) {
        const int dpi = int(GetDpiForWindow(root));
        for (const layout::Element &e : tableOf(windowClass)) {
            if (!element(windowClass, std::string(e.name))) continue;  // drawn, or hidden
            const layout::PixelRect b = layout::pixelBox(e, dpi);
            out << ' ' << e.name << ' ' << b.left << ' ' << b.top << ' ' << b.width << ' '
                << b.height << ';';
        }
        return out.str();
    }
    for (HWND hwnd : descendants(root)) {
        const auto *e = elementOf(windowClass, hwnd);
        if (!e || !IsWindowVisible(hwnd)) continue;
        RECT r;
        GetWindowRect(hwnd, &r);
        MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT *>(&r), 2);
        out << ' ' << e->name << ' ' << r.left << ' ' << r.top << ' ' << r.right - r.left << ' '
            << r.bottom - r.top << ';';
    }
    return out.str();
}

std::string run(const std::string &line) {
    std::istringstream in(line);
    std::string verb, cls, name;
    in >> verb;
    if (verb == "box" || verb == "answer") {
        // The title is everything up to the last word.
        const std::string rest = line.substr(verb.size() + 1);
        const std::size_t last = rest.find_last_of(' ');
        const std::wstring title = widen(rest.substr(0, last));
        const int number = std::stoi(rest.substr(last + 1));
        if (verb == "answer") {
            HWND box = messageBox(title);
            if (!box) return "fail no box";
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(number, BN_CLICKED), 0);
            // Answered once it is gone, so that the next box asked for is a new one.
            waitFor(5000, [&]() -> HWND { return IsWindow(box) ? nullptr : GetDesktopWindow(); });
            return "ok";
        }
        HWND box = waitFor(number, [&] { return messageBox(title); });
        if (!box) return "fail no box";
        std::wstring text, buttons;
        for (HWND child : descendants(box)) {
            if (classOf(child) == L"Button")
                buttons += (buttons.empty() ? L"" : L",") + textOf(child);
            else if (classOf(child) == L"Static" && textOf(child).size() > text.size())
                text = textOf(child);
        }
        // The default button is the one that has the focus as the box opens.
        HWND focus = focusOf(box);
        return "ok " + escaped(text) + "|" + escaped(buttons) + "|" +
               std::to_string(focus && GetParent(focus) == box ? GetDlgCtrlID(focus) : 0);
    }
    if (verb == "font") {
        // The face a font of that name and its character set resolves to.
        const std::wstring face = widen(line.substr(verb.size() + 1));
        LOGFONTW f{};
        f.lfHeight = -16;
        f.lfCharSet = face == L"Symbol" ? SYMBOL_CHARSET : DEFAULT_CHARSET;
        wcsncpy(f.lfFaceName, face.c_str(), LF_FACESIZE - 1);
        HDC dc = GetDC(nullptr);
        HFONT font = CreateFontIndirectW(&f);
        HGDIOBJ old = SelectObject(dc, font);
        wchar_t actual[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, actual);
        SelectObject(dc, old);
        DeleteObject(font);
        ReleaseDC(nullptr, dc);
        return std::string("ok ") + (_wcsicmp(actual, face.c_str()) == 0 ? "yes " : "no ") +
               narrow(actual);
    }
    in >> cls;
    const std::wstring windowClass = widen(cls);
    if (verb == "wait" || verb == "gone") {
        int ms = 0;
        in >> ms;
        if (verb == "gone")
            return waitFor(ms,
                           [&]() -> HWND {
                               return topLevel(windowClass) ? nullptr : GetDesktopWindow();
                           })
                       ? "ok"
                       : "fail still there";
        HWND found = waitFor(ms, [&] { return topLevel(windowClass); });
        return found ? "ok " + escaped(textOf(found)) : "fail none";
    }
    if (verb == "rects" || verb == "table") return rectLine(windowClass, verb == "table");
    if (verb == "menu") {
        int id = 0;
        in >> id;
        HWND root = topLevel(windowClass);
        if (!root) return "fail no window";
        PostMessageW(root, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        return "ok";
    }
    if (verb == "devicechange") {
        HWND root = topLevel(windowClass);
        if (!root) return "fail no window";
        constexpr WPARAM kDevNodesChanged = 0x0007;  // DBT_DEVNODES_CHANGED
        SendMessageW(root, WM_DEVICECHANGE, kDevNodesChanged, 0);
        return "ok";
    }
    if (verb == "close" || verb == "where") {
        HWND root = topLevel(windowClass);
        if (!root) return "fail no window";
        if (verb == "close") {
            PostMessageW(root, WM_CLOSE, 0, 0);
            return "ok";
        }
        RECT r;
        GetWindowRect(root, &r);
        return "ok " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
               std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top);
    }
    if (verb == "focus") {
        HWND root = topLevel(windowClass);
        HWND focus = root ? focusOf(root) : nullptr;
        if (focus && !elementOf(windowClass, focus)) focus = GetParent(focus);  // a combo's edit
        const auto *e = focus ? elementOf(windowClass, focus) : nullptr;
        return e ? "ok " + std::string(e->name) : "fail no focus";
    }
    if (verb == "lamp") {
        HWND lamp = element(windowClass, "LinkLamp");
        if (!lamp) return "fail no lamp";
        static const char *kColours[] = {"none", "grey", "green", "red", "amber"};
        const auto colour = reinterpret_cast<INT_PTR>(GetPropW(lamp, winui::kLampColourProperty));
        return std::string("ok ") + kColours[colour >= 0 && colour <= 4 ? colour : 0] + " " +
               escaped(textOf(lamp));
    }
    if (verb == "alt") {
        std::string letter;
        in >> letter;
        HWND root = topLevel(windowClass);
        HWND focus = root ? focusOf(root) : nullptr;
        if (!focus) return "fail no focus";
        PostMessageW(focus, WM_SYSCHAR, WPARAM(std::tolower(letter[0])), LPARAM(1) | (1 << 29));
        return "ok";
    }
    in >> name;
    HWND target = name == "focus" ? focusOf(topLevel(windowClass)) : element(windowClass, name);
    if (!target) return "fail no element " + name;
    if (verb == "text") return "ok " + escaped(textOf(target));
    if (verb == "settext") {
        std::string text;
        std::getline(in, text);
        if (!text.empty() && text[0] == ' ') text.erase(0, 1);
        SendMessageW(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(widen(text).c_str()));
        return "ok";
    }
    if (verb == "click") {
        PostMessageW(target, BM_CLICK, 0, 0);
        return "ok";
    }
    if (verb == "checked")
        return SendMessageW(target, BM_GETCHECK, 0, 0) == BST_CHECKED ? "ok 1" : "ok 0";
    if (verb == "spot") {  // where a real click on the element lands
        RECT r;
        GetWindowRect(target, &r);
        return "ok " + std::to_string((r.left + r.right) / 2) + " " +
               std::to_string((r.top + r.bottom) / 2);
    }
    if (verb == "items") {
        const int count = int(SendMessageW(target, CB_GETCOUNT, 0, 0));
        std::string items;
        for (int i = 0; i < count; ++i) {
            const LRESULT length = SendMessageW(target, CB_GETLBTEXTLEN, WPARAM(i), 0);
            std::wstring item(std::size_t(std::max<LRESULT>(length, 0)) + 1, L'\0');
            SendMessageW(target, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(item.data()));
            items += (i ? "," : "") + narrow(item.c_str());
        }
        return "ok " + std::to_string(count) + " " + items;
    }
    if (verb == "drop") {
        int down = 0;
        in >> down;
        SendMessageW(target, CB_SHOWDROPDOWN, WPARAM(down != 0), 0);
        return "ok";
    }
    if (verb == "key") {
        int vk = 0;
        in >> vk;
        const UINT scan = MapVirtualKeyW(UINT(vk), MAPVK_VK_TO_VSC);
        PostMessageW(target, WM_KEYDOWN, WPARAM(vk), LPARAM(1) | (LPARAM(scan) << 16));
        PostMessageW(target, WM_KEYUP, WPARAM(vk),
                     LPARAM(1) | (LPARAM(scan) << 16) | (LPARAM(3) << 30));
        return "ok";
    }
    if (verb == "wheel") {
        int delta = 0;
        in >> delta;
        const POINT p = middle(target);
        PostMessageW(target, WM_MOUSEWHEEL, MAKEWPARAM(0, short(delta)), MAKELPARAM(p.x, p.y));
        return "ok";
    }
    if (verb == "press") {
        int ms = 0;
        in >> ms;
        // A point on the arrow that acts: the up arrow's top, the down arrow's bottom.
        const auto *e = elementOf(windowClass, target);
        RECT r;
        GetClientRect(target, &r);
        const bool up = e && e->kind == layout::Kind::UpArrow;
        const LPARAM at = MAKELPARAM(r.right / 2, up ? r.bottom / 8 : r.bottom * 7 / 8);
        PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, at);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        PostMessageW(target, WM_LBUTTONUP, 0, at);
        return "ok";
    }
    return "fail unknown " + verb;
}

}  // namespace

int main() {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "quit") break;
        std::string answer;
        try {
            answer = run(line);
        } catch (const std::exception &error) {
            answer = std::string("fail ") + error.what();
        }
        std::cout << answer << std::endl;
    }
    return 0;
}
