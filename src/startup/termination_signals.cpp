#include "startup/termination_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#ifndef _WIN32
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <atomic>
#include <cerrno>

namespace zz {

namespace {

std::atomic<int> g_signal{0};

#ifndef _WIN32
int g_wakeFds[2] = {-1, -1};  // the handler writes to [0], the event loop reads [1]

// Async-signal-safe: one byte down the socket wakes the event loop.
void onSignal(int number) {
    const unsigned char byte = static_cast<unsigned char>(number);
    const int saved = errno;
    (void)!::write(g_wakeFds[0], &byte, 1);
    errno = saved;
}
#endif

}  // namespace

void watchTerminationSignals() {
#ifndef _WIN32
    if (g_wakeFds[0] >= 0) return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_wakeFds) != 0)
        return;
    auto *notifier =
        new QSocketNotifier(g_wakeFds[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        unsigned char byte = 0;
        while (::read(g_wakeFds[1], &byte, 1) == 1)
            if (g_signal == 0) g_signal = byte;
        // Ends the main loop and every nested one (dialogs, message boxes,
        // the start screen's pause); the start-up looks at the signal after each.
        if (g_signal) QCoreApplication::exit(terminationStatus());
    });

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(number, &action, nullptr);
#endif
}

int terminationSignal() {
    return g_signal;
}

int terminationStatus() {
    return g_signal ? 128 + g_signal : 0;
}

}  // namespace zz
