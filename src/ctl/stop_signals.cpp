#include "ctl/stop_signals.h"

#include <signal.h>

#include <csignal>
#include <initializer_list>

namespace zz::ctl {

namespace {

volatile std::sig_atomic_t g_signal = 0;

void record(int sig) {
    if (g_signal == 0) g_signal = sig;
}

}  // namespace

void watchStopSignals() {
    struct sigaction action {};
    action.sa_handler = record;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(sig, &action, nullptr);
    // Output piped into a reader that has gone ("| head -1") must not kill
    // the run between commands, which would skip --final: the lines are lost,
    // the run goes on.
    ::signal(SIGPIPE, SIG_IGN);
}

int stopSignal() {
    return g_signal;
}

}  // namespace zz::ctl
