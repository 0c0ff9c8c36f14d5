// SIGINT and SIGTERM become quit requests: the handler only sets a flag,
// which the Event Manager picks up on its next call.
#include <signal.h>
#include <unistd.h>

#include "platform/events/EventManager.h"

namespace platform::events {
namespace {

volatile sig_atomic_t g_pending_signal = 0;

extern "C" void on_quit_signal(int sig) {
    if (g_pending_signal) _exit(128 + sig);   // the first one was never picked up
    g_pending_signal = sig;
}

}  // namespace

void install_quit_signal_handlers() {
    struct sigaction sa {};
    sa.sa_handler = on_quit_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

bool take_quit_signal() {
    if (!g_pending_signal) return false;
    g_pending_signal = 0;
    return true;
}

}  // namespace platform::events
