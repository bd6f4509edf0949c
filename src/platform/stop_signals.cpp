#include "platform/stop_signals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace zelkon {
namespace {

sigset_t stop_set() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

void block_stop_signals() {
    sigset_t set = stop_set();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

StopSignals::StopSignals(std::function<void(int)> on_signal) : on_signal_(std::move(on_signal)) {
    block_stop_signals();
    sigset_t set = stop_set();
    descriptor_.reset(signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK));
    if (!descriptor_.valid()) {
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(descriptor_.get(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        signalfd_siginfo info{};
        while (read(descriptor_.get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
            on_signal_(static_cast<int>(info.ssi_signo));
        }
    });
}

StopSignals::~StopSignals() = default;

}  // namespace zelkon
