#include "apps/listener/stop_signals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QCoreApplication>

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

// The signals are read from a descriptor, so no handler and no global is needed.
StopSignals::StopSignals() {
    sigset_t set = stop_set();
    fd_ = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd_ < 0) {
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        signalfd_siginfo info{};
        while (read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        }
        QCoreApplication::quit();
    });
}

StopSignals::~StopSignals() {
    notifier_.reset();
    if (fd_ >= 0) {
        close(fd_);
    }
}

}  // namespace zelkon
