#pragma once
// A private X server (Xvfb, no window manager) and a connection to it that
// watches the top-level windows the way an operator sees them: which are on
// screen, in which order they appeared, and what their pixels show. Input
// goes through xdotool, as real key presses and clicks.

#include "rig/child_process.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct _XDisplay;

namespace zz::rig {

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

struct TopWindow {
    unsigned long id = 0;
    std::string title;
    Rect geometry;  // on the screen; without a window manager the client area
};

// Pixels as 0xRRGGBB, row by row.
struct Image {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y * width + x)]; }
};

class XSession {
public:
    static constexpr int kScreenWidth = 1024;
    static constexpr int kScreenHeight = 768;

    XSession();  // starts the server and connects; check ok()
    ~XSession();
    XSession(const XSession &) = delete;
    XSession &operator=(const XSession &) = delete;

    bool ok() const { return display_ != nullptr; }
    const std::string &error() const { return error_; }
    const std::string &displayName() const { return name_; }  // ":N"
    // The environment a client of this server needs.
    EnvChanges clientEnvironment() const;

    // Takes in what the server has reported since the last call.
    void pump();
    int connectionFd() const;

    // The top-level windows on screen now.
    std::vector<TopWindow> shown();
    std::optional<TopWindow> find(const std::string &title);
    // Waits until a window with this exact title is on screen. `stop` ends the
    // wait early (for example when the program has ended).
    std::optional<TopWindow> waitFor(const std::string &title, std::chrono::milliseconds timeout,
                                     const std::function<bool()> &stop = {});
    // Waits until any window other than those titled in `known` is on screen.
    std::optional<TopWindow> waitForOther(const std::vector<std::string> &known,
                                          std::chrono::milliseconds timeout,
                                          const std::function<bool()> &stop = {});
    bool waitGone(unsigned long id, std::chrono::milliseconds timeout);
    // When the window left the screen (unmapped or destroyed) at or after
    // `since`: window ids of a program that has ended are given out again.
    std::optional<std::chrono::steady_clock::time_point> goneAt(
        unsigned long id, std::chrono::steady_clock::time_point since) const;

    // Titles of the top-level windows in the order they were mapped, since
    // the session began; a window mapped again appears again.
    std::vector<std::string> mapLog();
    bool everShown(const std::string &title);

    Image grab(const Rect &area);

    // Operator input through xdotool: focus the window, then real key
    // presses ("alt+e", "Return"), typing, or a click at a point of the window.
    bool keys(unsigned long window, const std::string &keys);
    bool type(unsigned long window, const std::string &text);
    bool click(unsigned long window, int x, int y);
    // What a window manager does for the close box: WM_DELETE_WINDOW.
    bool requestClose(unsigned long window);

private:
    void idle(std::chrono::milliseconds atMost);
    bool focus(unsigned long window);
    std::optional<std::string> titleOf(unsigned long window);

    ChildProcess server_;
    _XDisplay *display_ = nullptr;
    std::string name_;
    std::string error_;
    struct Mapping {
        unsigned long id;
        std::string title;
    };
    std::vector<Mapping> mapLog_;
    std::vector<std::pair<unsigned long, std::chrono::steady_clock::time_point>> gone_;
};

}  // namespace zz::rig
