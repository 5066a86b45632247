#include "winui/message_loop.h"

#include "program/stop_signals.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>

namespace zz::winui {

namespace {

constexpr UINT kStopMessage = WM_APP + 0x7A;
constexpr const wchar_t *kFilterProperty = L"zzKeyboardFilter";

std::atomic<DWORD> g_thread{0};
bool g_stop = false;

bool isInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

// One message: the stop, then the keyboard filter and the dialog keys of its
// top-level window, then the window itself.
void handle(MSG &message) {
    if (!message.hwnd && message.message == kStopMessage) {
        g_stop = true;
        return;
    }
    if (HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr) {
        if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) {
            auto *filter = static_cast<KeyboardFilter *>(GetPropW(root, kFilterProperty));
            if (filter && filter->filterKey(message)) return;
        }
        if (GetPropW(root, kFilterProperty) && IsDialogMessageW(root, &message)) return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

struct Disabled {
    std::vector<HWND> windows;
};

BOOL CALLBACK disableOne(HWND hwnd, LPARAM context) {
    auto *disabled = reinterpret_cast<Disabled *>(context);
    if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
        disabled->windows.push_back(hwnd);
        EnableWindow(hwnd, FALSE);
    }
    return TRUE;
}

}  // namespace

void setKeyboardFilter(HWND topLevel, KeyboardFilter *filter) {
    if (filter)
        SetPropW(topLevel, kFilterProperty, filter);
    else
        RemovePropW(topLevel, kFilterProperty);
}

void initialiseMessageLoops() {
    g_thread = GetCurrentThreadId();
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // makes the queue
}

void requestStop() {
    if (const DWORD thread = g_thread) PostThreadMessageW(thread, kStopMessage, 0, 0);
}

bool stopAsked() {
    MSG message;
    // HWND -1: thread messages only, so that no window's message is taken.
    if (!g_stop &&
        PeekMessageW(&message, reinterpret_cast<HWND>(-1), kStopMessage, kStopMessage, PM_REMOVE))
        g_stop = true;
    return g_stop || program::stopSignal() != 0;
}

bool moveFocusByTab(const MSG &message, const std::vector<HWND> &order) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_TAB) return false;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    std::vector<HWND> usable;
    for (HWND hwnd : order)
        if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) usable.push_back(hwnd);
    if (usable.empty()) return true;
    HWND focus = GetFocus();
    // The combo box's own edit field stands for the box.
    if (focus && std::find(usable.begin(), usable.end(), focus) == usable.end())
        focus = GetParent(focus);
    const auto at = std::find(usable.begin(), usable.end(), focus);
    const bool back = GetKeyState(VK_SHIFT) < 0;
    std::size_t next = 0;
    if (at != usable.end()) {
        const std::size_t here = std::size_t(at - usable.begin());
        next = back ? (here + usable.size() - 1) % usable.size() : (here + 1) % usable.size();
    } else if (back) {
        next = usable.size() - 1;
    }
    SetFocus(usable[next]);
    return true;
}

std::vector<HWND> tabOrderWindows(std::span<const layout::Element> table,
                                  const std::function<HWND(const layout::Element &)> &windowOf) {
    std::vector<const layout::Element *> rows;
    for (const layout::Element &e : table)
        if (e.tab != layout::kNoTab && windowOf(e) &&
            (GetWindowLongW(windowOf(e), GWL_STYLE) & WS_TABSTOP))
            rows.push_back(&e);
    std::stable_sort(rows.begin(), rows.end(), [](auto *a, auto *b) { return a->tab < b->tab; });
    std::vector<HWND> order;
    for (const layout::Element *e : rows) order.push_back(windowOf(*e));
    return order;
}

void runModal(HWND window, const bool &done) {
    Disabled disabled;
    EnumThreadWindows(GetCurrentThreadId(), disableOne, reinterpret_cast<LPARAM>(&disabled));
    EnableWindow(window, TRUE);
    MSG message;
    while (!done && !stopAsked() && IsWindow(window)) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(int(message.wParam));
            break;
        }
        handle(message);
    }
    for (HWND hwnd : disabled.windows)
        if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
}

int runMainLoop(HANDLE changed, const std::function<void()> &onChange) {
    MSG message;
    while (!stopAsked()) {
        const DWORD count = changed ? 1 : 0;
        const DWORD woke = MsgWaitForMultipleObjectsEx(count, changed ? &changed : nullptr,
                                                       INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (changed && woke == WAIT_OBJECT_0) {
            if (onChange) onChange();
            FindNextChangeNotification(changed);
            continue;
        }
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return int(message.wParam);
            handle(message);
        }
    }
    return program::stopStatus();
}

void pauseFor(double seconds) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    MSG message;
    for (;;) {
        const auto now = Clock::now();
        if (now > end || stopAsked()) return;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - now).count() + 1;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(left), QS_ALLINPUT);
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(int(message.wParam));
                return;
            }
            if (isInput(message.message)) continue;  // the start screen takes none
            handle(message);
        }
    }
}

}  // namespace zz::winui
