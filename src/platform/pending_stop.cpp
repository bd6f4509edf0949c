#include "platform/pending_stop.h"

#include <signal.h>

namespace zelkon {

bool stop_signal_pending() {
    sigset_t held;
    sigset_t pending;
    pthread_sigmask(SIG_BLOCK, nullptr, &held);
    sigpending(&pending);
    auto waiting = [&](int number) {
        return sigismember(&held, number) == 1 && sigismember(&pending, number) == 1;
    };
    return waiting(SIGINT) || waiting(SIGTERM);
}

}  // namespace zelkon
