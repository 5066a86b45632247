#include "program/stop_signals.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <initializer_list>
#include <mutex>
#include <thread>

namespace zz::program {

namespace {

std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);  // safe in a signal handler
int g_wakeFds[2] = {-1, -1};  // the handler writes [1], the watcher reads [0]

void onSignal(int number) {
    const int saved = errno;
    int none = 0;
    g_signal.compare_exchange_strong(none, number);
    const unsigned char byte = 1;
    if (g_wakeFds[1] >= 0) (void)!::write(g_wakeFds[1], &byte, 1);
    errno = saved;
}

// The callback runs here, outside the signal handler.
void watch(std::function<void()> onStop) {
    unsigned char byte = 0;
    while (::read(g_wakeFds[0], &byte, 1) < 0 && errno == EINTR) {
    }
    onStop();
}

}  // namespace

void watchStopSignals(std::function<void()> onStop) {
    static std::once_flag once;
    std::call_once(once, [&] {
        if (onStop && ::pipe(g_wakeFds) == 0) std::thread(watch, std::move(onStop)).detach();
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        for (int number : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(number, &action, nullptr);
        // Output piped into a reader that has gone ("| head -1"), or a
        // network peer that has gone, must not kill the program between
        // commands: the write fails instead.
        ::signal(SIGPIPE, SIG_IGN);
    });
}

int stopSignal() {
    return g_signal;
}

int stopStatus() {
    return g_signal ? 128 + g_signal : 0;
}

}  // namespace zz::program
