#include "ctl/stop_signals.h"

#include <atomic>
#include <csignal>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>

#include <initializer_list>
#endif

namespace zz::ctl {

namespace {

// Set by a signal handler, or on Windows by the console's handler thread.
std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);  // safe in a signal handler

void record(int sig) {
    int none = 0;
    g_signal.compare_exchange_strong(none, sig);
}

#ifdef _WIN32
// The console's events, as the signals they stand for: Ctrl+C and Ctrl+Break
// interrupt, closing the window or ending the session terminates.
BOOL WINAPI consoleEvent(DWORD event) {
    record(event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? SIGINT : SIGTERM);
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
    // For the others Windows ends the process once this handler returns;
    // holding it gives the run time to finish its command and send --final
    // (Windows allows about five seconds). The run's own exit ends the wait.
    Sleep(4500);
    return TRUE;
}
#endif

}  // namespace

void watchStopSignals() {
#ifdef _WIN32
    SetConsoleCtrlHandler(consoleEvent, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = record;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(sig, &action, nullptr);
    // Output piped into a reader that has gone ("| head -1") must not kill
    // the run between commands, which would skip --final: the lines are lost,
    // the run goes on.
    ::signal(SIGPIPE, SIG_IGN);
#endif
}

int stopSignal() {
    return g_signal;
}

}  // namespace zz::ctl
