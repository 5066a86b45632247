#include "program/stop_signals.h"

#include <windows.h>

#include <atomic>
#include <csignal>
#include <mutex>

namespace zz::program {

namespace {

std::atomic<int> g_signal{0};
std::function<void()> g_onStop;

// Windows runs this on a thread of its own.
BOOL WINAPI consoleEvent(DWORD event) {
    const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    int none = 0;
    if (g_signal.compare_exchange_strong(none, interrupt ? SIGINT : SIGTERM) && g_onStop)
        g_onStop();
    if (interrupt) return TRUE;
    // For the others Windows ends the process once this handler returns;
    // holding it gives the program time to finish its command and send a
    // final value (Windows allows about five seconds). Its own exit ends the wait.
    Sleep(4500);
    return TRUE;
}

}  // namespace

void watchStopSignals(std::function<void()> onStop) {
    static std::once_flag once;
    std::call_once(once, [&] {
        g_onStop = std::move(onStop);
        SetConsoleCtrlHandler(consoleEvent, TRUE);
    });
}

int stopSignal() {
    return g_signal;
}

int stopStatus() {
    return g_signal ? 128 + g_signal : 0;
}

}  // namespace zz::program
