#include "platform/captured_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zelkon {
namespace {

// Both ends close on exec; the child's copies on 1 and 2 do not.
struct Pipe {
    int read_end = -1;
    int write_end = -1;

    bool open() {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) {
            return false;
        }
        read_end = ends[0];
        write_end = ends[1];
        return true;
    }
    void close_read() { close_end(read_end); }
    void close_write() { close_end(write_end); }

  private:
    static void close_end(int& end) {
        if (end >= 0) {
            close(end);
            end = -1;
        }
    }
};

// The pipes of one run; whatever is still open is closed at the end.
struct RunPipes {
    Pipe output;
    Pipe errors;
    Pipe failure;  // carries the errno of a failed exec

    RunPipes() = default;
    RunPipes(const RunPipes&) = delete;
    RunPipes& operator=(const RunPipes&) = delete;
    ~RunPipes() {
        for (Pipe* pipe : {&output, &errors, &failure}) {
            pipe->close_read();
            pipe->close_write();
        }
    }
    bool open() { return output.open() && errors.open() && failure.open(); }
    // In the parent, once the child has its copies.
    void close_child_ends() {
        output.close_write();
        errors.close_write();
        failure.close_write();
    }
};

// In the child: only async-signal-safe calls.
[[noreturn]] void exec_child(char* const* argv, const RunPipes& pipes, pid_t parent) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) {
        _exit(127);  // the parent ended before the line above took effect
    }
    int null_fd = open("/dev/null", O_RDONLY);
    dup2(null_fd, STDIN_FILENO);
    dup2(pipes.output.write_end, STDOUT_FILENO);
    dup2(pipes.errors.write_end, STDERR_FILENO);
    // Whatever the controller blocked, the child must still end on SIGTERM.
    signal(SIGPIPE, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execvp(argv[0], argv);
    int code = errno;
    (void)!write(pipes.failure.write_end, &code, sizeof code);
    _exit(127);
}

// The errno of a failed exec, or 0 once the program runs.
int exec_error(const Pipe& failure) {
    int code = 0;
    ssize_t got;
    do {
        got = read(failure.read_end, &code, sizeof code);
    } while (got < 0 && errno == EINTR);
    return got == static_cast<ssize_t>(sizeof code) ? code : 0;
}

int exit_code(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class Collector {
  public:
    Collector(pid_t child, const RunPipes& pipes) : child_(child) {
        fds_[0] = {pipes.output.read_end, POLLIN, 0};
        fds_[1] = {pipes.errors.read_end, POLLIN, 0};
    }

    // Reads until both streams end. A process that the program left behind
    // (an ssh master going to the background) may hold them open, so once
    // the program itself has ended, what is there is read and no more.
    int collect(std::string& output, std::string& errors) {
        std::string* into[2] = {&output, &errors};
        while (fds_[0].fd >= 0 || fds_[1].fd >= 0) {
            int ready = poll(fds_, 2, kPollMs);
            if (ready < 0 && errno != EINTR) {
                break;
            }
            if (ready > 0) {
                read_ready(into);
            } else if (ready == 0 && has_ended()) {
                drain(into);
                break;
            }
        }
        return wait_for_end();
    }

  private:
    static constexpr int kPollMs = 100;

    void read_ready(std::string* into[2]) {
        for (int i = 0; i < 2; ++i) {
            if (fds_[i].fd >= 0 && fds_[i].revents != 0 && !read_some(fds_[i].fd, *into[i])) {
                fds_[i].fd = -1;  // a negative descriptor is left out of poll
            }
        }
    }
    void drain(std::string* into[2]) {
        while ((fds_[0].fd >= 0 || fds_[1].fd >= 0) && poll(fds_, 2, 0) > 0) {
            read_ready(into);
        }
    }
    static bool read_some(int fd, std::string& into) {
        char buffer[4096];
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got > 0) {
            into.append(buffer, static_cast<std::size_t>(got));
        }
        return got > 0 || (got < 0 && errno == EINTR);
    }
    bool has_ended() {
        if (!ended_) {
            ended_ = waitpid(child_, &status_, WNOHANG) == child_;
        }
        return ended_;
    }
    int wait_for_end() {
        while (!ended_ && waitpid(child_, &status_, 0) < 0 && errno == EINTR) {
        }
        return exit_code(status_);
    }

    pid_t child_;
    pollfd fds_[2];
    bool ended_ = false;
    int status_ = 0;
};

std::vector<char*> argument_pointers(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    return argv;
}

}  // namespace

CapturedRun run_captured(const std::vector<std::string>& arguments) {
    CapturedRun run;
    if (arguments.empty()) {
        run.errors = "no program to run";
        return run;
    }
    std::vector<char*> argv = argument_pointers(arguments);
    RunPipes pipes;
    pid_t parent = getpid();
    pid_t child = pipes.open() ? fork() : -1;
    int code = errno;
    if (child == 0) {
        exec_child(argv.data(), pipes, parent);
    }
    pipes.close_child_ends();
    if (child > 0) {
        code = exec_error(pipes.failure);
        run.started = code == 0;
    }
    if (!run.started) {
        if (child > 0) {
            waitpid(child, nullptr, 0);
        }
        run.errors = "cannot run " + arguments[0] + ": " + std::strerror(code);
        return run;
    }
    run.exit_status = Collector(child, pipes).collect(run.output, run.errors);
    return run;
}

}  // namespace zelkon
