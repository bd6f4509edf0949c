#include "platform/posix_process_starter.h"

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

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

// How long a group told to end with SIGTERM is given before SIGKILL.
constexpr int kGroupGraceMs = 1000;
constexpr int kGroupLookMs = 10;

// Ends the child's whole group (it leads its own session): SIGTERM, so that
// it may tidy up, then SIGKILL for whatever is left, such as a process that
// ignores SIGTERM. The leader is collected last: until then its id still
// names the group, so the SIGKILL cannot reach a stranger.
void end_group(pid_t process_id) {
    kill(-process_id, SIGTERM);
    for (int waited = 0; waited < kGroupGraceMs; waited += kGroupLookMs) {
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(process_id), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
            info.si_pid != 0) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kGroupLookMs));
    }
    kill(-process_id, SIGKILL);
    int status = 0;
    while (waitpid(process_id, &status, 0) < 0 && errno == EINTR) {
    }
}

// Waits for the child while watching for a held stop signal; on one, the
// child's whole group is ended.
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
            end_group(process_id);
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
