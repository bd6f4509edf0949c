#include "platform/posix_process_starter.h"

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

#include "platform/spawn.h"

namespace zelkon {

StartResult PosixProcessStarter::start(const std::string& command_line, const std::string& folder) {
    reap_finished();
    // Standard streams on /dev/null, a session of its own, the folder, then the shell.
    SpawnRequest request;
    request.arguments = {"sh", "-c", command_line};
    request.program = "/bin/sh";
    request.folder = folder;
    request.new_session = true;
    SpawnResult child = spawn_process(request);
    if (child.process_id == 0) {
        return {false, 0, std::strerror(child.error)};
    }
    ended_.erase(child.process_id);  // a reused id must not report an old child's end
    children_.insert(child.process_id);
    return {true, child.process_id, ""};
}

namespace {
int exit_code(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Whether SIGINT and SIGTERM are held back for this thread, so that one that
// arrives stays pending for us to notice.
bool stop_signals_held() {
    sigset_t held;
    pthread_sigmask(SIG_BLOCK, nullptr, &held);
    return sigismember(&held, SIGINT) == 1 && sigismember(&held, SIGTERM) == 1;
}

// Waits for the child while watching for a held stop signal; on one, the
// child's whole group (it leads its own session) is ended.
int wait_unless_stopped(int process_id) {
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    while (true) {
        int status = 0;
        pid_t result = waitpid(process_id, &status, WNOHANG);
        if (result == process_id) {
            return exit_code(status);
        }
        if (result < 0 && errno != EINTR) {
            return -1;
        }
        timespec pause{0, 100'000'000};
        if (sigtimedwait(&stops, nullptr, &pause) > 0) {
            kill(-process_id, SIGTERM);
            waitpid(process_id, &status, 0);
            return kWaitStoppedBySignal;
        }
    }
}

}  // namespace

int PosixProcessStarter::wait(int process_id) {
    if (auto done = ended_.find(process_id); done != ended_.end()) {
        int code = done->second;
        ended_.erase(done);
        return code;
    }
    if (children_.erase(process_id) == 0) {
        return -1;
    }
    if (stop_signals_held()) {
        return wait_unless_stopped(process_id);
    }
    int status = 0;
    pid_t result;
    do {
        result = waitpid(process_id, &status, 0);
    } while (result < 0 && errno == EINTR);
    return result < 0 ? -1 : exit_code(status);
}

bool PosixProcessStarter::is_running(int process_id) {
    if (children_.count(process_id) == 0) {
        return process_id > 0 && kill(process_id, 0) == 0;
    }
    int status = 0;
    pid_t result = waitpid(process_id, &status, WNOHANG);
    if (result == 0) {
        return true;
    }
    children_.erase(process_id);
    ended_[process_id] = result < 0 ? -1 : exit_code(status);
    return false;
}

void PosixProcessStarter::end(int process_id) {
    if (process_id > 0 && children_.count(process_id) != 0) {
        kill(-process_id, SIGKILL);
    }
}

void PosixProcessStarter::reap_finished() {
    for (auto it = children_.begin(); it != children_.end();) {
        int status = 0;
        pid_t result = waitpid(*it, &status, WNOHANG);
        if (result != 0) {
            ended_[*it] = result < 0 ? -1 : exit_code(status);
            it = children_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace zelkon
