#include "platform/posix_process_starter.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zelkon {
namespace {

// In the child: standard streams on /dev/null, a session of its own, the
// folder, then the shell. Only async-signal-safe calls here.
[[noreturn]] void exec_child(const char* command, const char* folder, int error_pipe) {
    setsid();
    int null_fd = open("/dev/null", O_RDWR);
    if (null_fd >= 0) {
        dup2(null_fd, STDIN_FILENO);
        dup2(null_fd, STDOUT_FILENO);
        dup2(null_fd, STDERR_FILENO);
        if (null_fd > STDERR_FILENO) {
            close(null_fd);
        }
    }
    if (folder[0] != '\0' && chdir(folder) != 0) {
        int code = errno;
        (void)!write(error_pipe, &code, sizeof code);
        _exit(127);
    }
    // The child starts with default signal handling whatever the controller blocked.
    signal(SIGPIPE, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execl("/bin/sh", "sh", "-c", command, static_cast<char*>(nullptr));
    int code = errno;
    (void)!write(error_pipe, &code, sizeof code);
    _exit(127);
}

}  // namespace

StartResult PosixProcessStarter::start(const std::string& command_line, const std::string& folder) {
    reap_finished();
    // A close-on-exec pipe tells the parent whether the exec itself failed.
    int pipe_fds[2];
    if (pipe2(pipe_fds, O_CLOEXEC) != 0) {
        return {false, 0, std::strerror(errno)};
    }
    pid_t pid = fork();
    if (pid < 0) {
        int code = errno;
        close(pipe_fds[0]);
        close(pipe_fds[1]);
        return {false, 0, std::strerror(code)};
    }
    if (pid == 0) {
        close(pipe_fds[0]);
        exec_child(command_line.c_str(), folder.c_str(), pipe_fds[1]);
    }
    close(pipe_fds[1]);
    int child_error = 0;
    ssize_t got;
    do {
        got = read(pipe_fds[0], &child_error, sizeof child_error);
    } while (got < 0 && errno == EINTR);
    close(pipe_fds[0]);
    if (got == static_cast<ssize_t>(sizeof child_error)) {
        waitpid(pid, nullptr, 0);
        return {false, 0, std::strerror(child_error)};
    }
    ended_.erase(pid);  // a reused id must not report an old child's end
    children_.insert(pid);
    return {true, static_cast<int>(pid), ""};
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
