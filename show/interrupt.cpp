// The caught signal, kept in one flag the handler may write.
#include "show/interrupt.h"

#include <csignal>

static volatile sig_atomic_t caught = 0;

static void on_signal(int sig) {
    caught = sig;
}

void interrupt_catch() {
    struct sigaction sa = {};
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0; // no SA_RESTART: blocking calls return EINTR
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

int interrupt_signal() {
    return caught;
}

int interrupt_status() {
    return 128 + caught;
}
