#include "rig/x_session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace zz::rig {

using namespace std::chrono;

namespace {

// A window may vanish between being listed and being asked about; that is
// not an error for a watcher.
int ignoreErrors(Display *, XErrorEvent *) {
    return 0;
}

// Reads the display number Xvfb writes to -displayfd once it accepts clients.
std::optional<std::string> readDisplayNumber(int fd, milliseconds timeout) {
    std::string text;
    const auto deadline = steady_clock::now() + timeout;
    while (text.find('\n') == std::string::npos) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now());
        if (left <= 0ms) return std::nullopt;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, int(left.count())) <= 0) continue;
        char buffer[32];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) return std::nullopt;  // the server ended
        text.append(buffer, std::size_t(n));
    }
    text.erase(text.find('\n'));
    return text;
}

// One colour channel of a pixel scaled to 0..255, whatever the visual's masks.
std::uint32_t channel(unsigned long pixel, unsigned long mask) {
    if (!mask) return 0;
    const int shift = __builtin_ctzl(mask);
    return std::uint32_t(((pixel & mask) >> shift) * 255 / (mask >> shift));
}

std::string hex(unsigned long id) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%lx", id);
    return buffer;
}

}  // namespace

XSession::XSession() {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        error_ = "pipe failed";
        return;
    }
    const bool started =
        server_.start({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0",
                       std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24",
                       "-nolisten", "tcp", "-br", "-noreset"},
                      {}, {}, "/dev/null", pipeFds[1]);
    ::close(pipeFds[1]);
    const auto number = started ? readDisplayNumber(pipeFds[0], 15s) : std::nullopt;
    ::close(pipeFds[0]);
    if (!number) {
        error_ = "Xvfb did not start (is the package xvfb installed?)";
        return;
    }
    name_ = ":" + *number;
    XSetErrorHandler(ignoreErrors);
    display_ = XOpenDisplay(name_.c_str());
    if (!display_) {
        error_ = "cannot connect to Xvfb on " + name_;
        return;
    }
    XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
    XSync(display_, False);
}

XSession::~XSession() {
    if (display_) XCloseDisplay(display_);
    server_.signal(SIGTERM);
    if (!server_.waitForExit(5s)) server_.kill();
}

EnvChanges XSession::clientEnvironment() const {
    return {{"DISPLAY", name_}, {"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", std::nullopt}};
}

int XSession::connectionFd() const {
    return display_ ? ConnectionNumber(display_) : -1;
}

void XSession::pump() {
    if (!display_) return;
    XSync(display_, False);
    while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        switch (event.type) {
            case MapNotify:
                mapLog_.push_back({event.xmap.window, titleOf(event.xmap.window).value_or("")});
                break;
            case UnmapNotify:
                gone_.emplace_back(event.xunmap.window, steady_clock::now());
                break;
            case DestroyNotify:
                gone_.emplace_back(event.xdestroywindow.window, steady_clock::now());
                break;
            default:
                break;
        }
    }
}

void XSession::idle(milliseconds atMost) {
    // Wakes at once when the server reports something (a window mapped or gone).
    pollfd p{connectionFd(), POLLIN, 0};
    ::poll(&p, 1, int(atMost.count()));
}

std::optional<std::string> XSession::titleOf(unsigned long window) {
    Atom netName = XInternAtom(display_, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(display_, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data && type == utf8) {
        std::string title(reinterpret_cast<char *>(data), count);
        XFree(data);
        return title;
    }
    if (data) XFree(data);
    char *name = nullptr;
    if (XFetchName(display_, window, &name) && name) {
        std::string title = name;
        XFree(name);
        return title;
    }
    return std::nullopt;
}

std::vector<TopWindow> XSession::shown() {
    std::vector<TopWindow> windows;
    if (!display_) return windows;
    pump();
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count))
        return windows;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(display_, children[i], &a) || a.map_state != IsViewable) continue;
        windows.push_back(
            {children[i], titleOf(children[i]).value_or(""), {a.x, a.y, a.width, a.height}});
    }
    if (children) XFree(children);
    return windows;
}

std::optional<TopWindow> XSession::find(const std::string &title) {
    for (const auto &w : shown())
        if (w.title == title) return w;
    return std::nullopt;
}

std::optional<TopWindow> XSession::waitFor(const std::string &title, milliseconds timeout,
                                           const std::function<bool()> &stop) {
    const auto deadline = steady_clock::now() + timeout;
    for (;;) {
        if (auto w = find(title)) return w;
        if (steady_clock::now() >= deadline || (stop && stop())) return std::nullopt;
        idle(10ms);
    }
}

std::optional<TopWindow> XSession::waitForOther(const std::vector<std::string> &known,
                                                milliseconds timeout,
                                                const std::function<bool()> &stop) {
    const auto deadline = steady_clock::now() + timeout;
    for (;;) {
        for (const auto &w : shown())
            if (std::find(known.begin(), known.end(), w.title) == known.end()) return w;
        if (steady_clock::now() >= deadline || (stop && stop())) return std::nullopt;
        idle(10ms);
    }
}

bool XSession::waitGone(unsigned long id, milliseconds timeout) {
    const auto deadline = steady_clock::now() + timeout;
    for (;;) {
        const auto now = shown();
        if (std::none_of(now.begin(), now.end(), [&](const TopWindow &w) { return w.id == id; }))
            return true;
        if (steady_clock::now() >= deadline) return false;
        idle(10ms);
    }
}

std::optional<steady_clock::time_point> XSession::goneAt(unsigned long id,
                                                         steady_clock::time_point since) const {
    for (const auto &[window, when] : gone_)
        if (window == id && when >= since) return when;
    return std::nullopt;
}

std::vector<std::string> XSession::mapLog() {
    pump();
    std::vector<std::string> titles;
    for (const auto &m : mapLog_) titles.push_back(m.title);
    return titles;
}

bool XSession::everShown(const std::string &title) {
    const auto log = mapLog();
    return std::find(log.begin(), log.end(), title) != log.end();
}

Image XSession::grab(const Rect &area) {
    Image image;
    if (!display_) return image;
    const int x0 = std::max(area.x, 0), y0 = std::max(area.y, 0);
    const int x1 = std::min(area.x + area.width, kScreenWidth);
    const int y1 = std::min(area.y + area.height, kScreenHeight);
    if (x1 <= x0 || y1 <= y0) return image;
    XImage *xi = XGetImage(display_, DefaultRootWindow(display_), x0, y0, unsigned(x1 - x0),
                           unsigned(y1 - y0), AllPlanes, ZPixmap);
    if (!xi) return image;
    image.width = x1 - x0;
    image.height = y1 - y0;
    image.pixels.resize(std::size_t(image.width) * std::size_t(image.height));
    const bool plain = xi->bits_per_pixel == 32 && xi->red_mask == 0xff0000 &&
                       xi->green_mask == 0xff00 && xi->blue_mask == 0xff &&
                       xi->byte_order == LSBFirst;
    for (int y = 0; y < image.height; ++y) {
        if (plain) {
            const auto *row =
                reinterpret_cast<const std::uint32_t *>(xi->data + y * xi->bytes_per_line);
            for (int x = 0; x < image.width; ++x)
                image.pixels[std::size_t(y * image.width + x)] = row[x] & 0xffffff;
        } else {
            for (int x = 0; x < image.width; ++x) {
                const unsigned long p = XGetPixel(xi, x, y);
                image.pixels[std::size_t(y * image.width + x)] = channel(p, xi->red_mask) << 16 |
                                                                 channel(p, xi->green_mask) << 8 |
                                                                 channel(p, xi->blue_mask);
            }
        }
    }
    XDestroyImage(xi);
    return image;
}

bool XSession::focus(unsigned long window) {
    if (!display_) return false;
    XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
    XSync(display_, False);
    Window focused;
    int revert;
    XGetInputFocus(display_, &focused, &revert);
    return focused == window;
}

bool XSession::keys(unsigned long window, const std::string &keys) {
    return focus(window) &&
           runTool({"xdotool", "key", "--clearmodifiers", keys}, clientEnvironment());
}

bool XSession::type(unsigned long window, const std::string &text) {
    return focus(window) &&
           runTool({"xdotool", "type", "--delay", "20", text}, clientEnvironment());
}

bool XSession::click(unsigned long window, int x, int y) {
    return runTool({"xdotool", "mousemove", "--window", hex(window), "--sync", std::to_string(x),
                    std::to_string(y), "click", "1"},
                   clientEnvironment());
}

bool XSession::requestClose(unsigned long window) {
    if (!display_) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display_, window, False, NoEventMask, &event);
    XFlush(display_);
    return sent;
}

}  // namespace zz::rig
