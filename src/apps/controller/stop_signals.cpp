#include "apps/controller/stop_signals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace zelkon {

StopSignals::StopSignals(std::function<void(int)> on_signal) : on_signal_(std::move(on_signal)) {
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    if (sigprocmask(SIG_BLOCK, &stops, nullptr) != 0) {
        return;
    }
    descriptor_ = signalfd(-1, &stops, SFD_CLOEXEC | SFD_NONBLOCK);
    if (descriptor_ < 0) {
        return;
    }
    notifier_ = new QSocketNotifier(descriptor_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { read_signal(); });
}

StopSignals::~StopSignals() {
    if (descriptor_ >= 0) {
        close(descriptor_);
    }
}

void StopSignals::read_signal() {
    signalfd_siginfo info{};
    while (read(descriptor_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        on_signal_(static_cast<int>(info.ssi_signo));
    }
}

}  // namespace zelkon
