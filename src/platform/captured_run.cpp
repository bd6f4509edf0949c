#include "platform/captured_run.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/owned_fd.h"
#include "platform/spawn.h"

namespace zelkon {
namespace {

// The two output pipes of one run; both ends close on exec, the child's
// copies on 1 and 2 do not.
struct RunPipes {
    OwnedFd output_read;
    OwnedFd output_write;
    OwnedFd errors_read;
    OwnedFd errors_write;

    bool open() {
        return open_pipe(output_read, output_write) && open_pipe(errors_read, errors_write);
    }
    // In the parent, once the child has its copies.
    void close_child_ends() {
        output_write.reset();
        errors_write.reset();
    }

  private:
    static bool open_pipe(OwnedFd& read_end, OwnedFd& write_end) {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) {
            return false;
        }
        read_end.reset(ends[0]);
        write_end.reset(ends[1]);
        return true;
    }
};

int exit_code(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class Collector {
  public:
    Collector(pid_t child, const RunPipes& pipes) : child_(child) {
        fds_[0] = {pipes.output_read.get(), POLLIN, 0};
        fds_[1] = {pipes.errors_read.get(), POLLIN, 0};
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

}  // namespace

CapturedRun run_captured(const std::vector<std::string>& arguments) {
    CapturedRun run;
    if (arguments.empty()) {
        run.errors = "no program to run";
        return run;
    }
    RunPipes pipes;
    if (!pipes.open()) {
        run.errors = "cannot run " + arguments[0] + ": " + std::strerror(errno);
        return run;
    }
    SpawnRequest request;
    request.arguments = arguments;
    request.streams[1] = pipes.output_write.get();
    request.streams[2] = pipes.errors_write.get();
    request.end_with_parent = true;
    SpawnResult child = spawn_process(request);
    pipes.close_child_ends();
    if (child.process_id == 0) {
        run.errors = "cannot run " + arguments[0] + ": " + std::strerror(child.error);
        return run;
    }
    run.started = true;
    run.exit_status = Collector(child.process_id, pipes).collect(run.output, run.errors);
    return run;
}

}  // namespace zelkon
