#include "platform/ssh_starter.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/captured_run.h"
#include "platform/pending_stop.h"
#include "platform/spawn.h"
#include "platform/ssh_texts.h"
#include "platform/starter_protocol.h"

namespace zelkon {
namespace {

constexpr int kLostStatus = 255;  // as ssh exits when it cannot reach the machine
constexpr std::size_t kErrorTextKept = 4096;
constexpr int kStopLookMs = 100;

}  // namespace

SshStarter::SshStarter(std::vector<std::string> ssh_arguments, int answer_timeout_ms)
    : arguments_(std::move(ssh_arguments)), answer_timeout_ms_(answer_timeout_ms) {}

SshStarter::~SshStarter() {
    end_child();
}

int SshStarter::start(const std::string& command_line, const std::string& folder, int& process_id) {
    std::string request;
    if (!starter_request(command_line, folder, request)) {
        return 1;
    }
    if (!ready()) {
        return kLostStatus;
    }
    std::string answer;
    if (!send_all(request) || !next_line(answer)) {
        lose();
        return kLostStatus;
    }
    return read_starter_answer(answer, process_id);
}

void SshStarter::begin() {
    if (child_ < 0 && lost_reason_.empty()) {
        launch();
    }
}

bool SshStarter::ready() {
    begin();
    // Lines a chatty start-up file prints come first; they are no answer.
    std::string line;
    while (!greeted_ && lost_reason_.empty() && !stopped_) {
        if (next_line(line, true)) {
            greeted_ = line == kStarterGreeting;
        } else if (stopped_) {
            kill(child_, SIGTERM);  // a login that hangs would hold the end up
            end_child();
        } else {
            lose();
        }
    }
    return greeted_;
}

bool SshStarter::launch() {
    int pair[2];
    int error_pipe[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        lost_reason_ = "cannot start the starter shell";
        return false;
    }
    if (pipe2(error_pipe, O_CLOEXEC) != 0) {
        close(pair[0]);
        close(pair[1]);
        lost_reason_ = "cannot start the starter shell";
        return false;
    }
    SpawnRequest request;
    request.arguments = arguments_;
    request.streams[0] = pair[1];
    request.streams[1] = pair[1];
    request.streams[2] = error_pipe[1];
    request.end_with_parent = true;  // the starter never outlives the controller
    SpawnResult child = spawn_process(request);
    close(pair[1]);
    close(error_pipe[1]);
    io_ = pair[0];
    errors_ = error_pipe[0];
    fcntl(errors_, F_SETFL, O_NONBLOCK);
    if (child.process_id == 0) {
        end_child();
        lost_reason_ = "cannot run " + arguments_.front() + ": " + std::strerror(child.error);
        return false;
    }
    child_ = child.process_id;
    return true;
}

bool SshStarter::send_all(const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        // send(), not write(): a starter that is gone gives EPIPE, not SIGPIPE.
        ssize_t done = send(io_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(done);
    }
    return true;
}

bool SshStarter::next_line(std::string& line, bool until_stop_signal) {
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(answer_timeout_ms_);
    std::size_t end;
    while ((end = pending_.find('\n')) == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timed_out_ = true;
            return false;
        }
        if (until_stop_signal && stop_signal_pending()) {
            stopped_ = true;
            return false;
        }
        // A login may take ssh's whole time-out: a stop signal is looked for between slices.
        int slice = until_stop_signal ? std::min<int>(kStopLookMs, static_cast<int>(left.count()))
                                      : static_cast<int>(left.count());
        pollfd fds[2] = {{io_, POLLIN, 0}, {errors_, POLLIN, 0}};
        int ready = poll(fds, 2, slice);
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (ready > 0 && fds[1].revents != 0) {
            read_errors();
        }
        if (ready > 0 && fds[0].revents != 0) {
            char buffer[512];
            ssize_t got = recv(io_, buffer, sizeof buffer, 0);
            if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) {
                return false;
            }
            if (got > 0) {
                pending_.append(buffer, static_cast<std::size_t>(got));
            }
        }
    }
    line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    return true;
}

void SshStarter::read_errors() {
    char buffer[1024];
    ssize_t got;
    while ((got = read(errors_, buffer, sizeof buffer)) > 0) {
        error_text_.append(buffer, static_cast<std::size_t>(got));
    }
    if (error_text_.size() > kErrorTextKept) {
        error_text_.erase(0, error_text_.size() - kErrorTextKept);
    }
}

void SshStarter::lose() {
    end_child();
    CapturedRun run;
    run.errors = error_text_;
    run.exit_status = exit_status_;
    lost_reason_ = timed_out_ && error_text_.find_first_not_of(" \r\n") == std::string::npos
                       ? "the starter shell gave no answer in " +
                             std::to_string(answer_timeout_ms_ / 1000) + " s"
                       : ssh_failure_reason(run);
}

// Its end of the socket closed, the starter reads the end of its requests
// and ends, and so does ssh; one that does not is stopped.
void SshStarter::end_child() {
    if (io_ >= 0) {
        close(io_);
        io_ = -1;
    }
    if (child_ > 0) {
        int status = 0;
        pid_t done = 0;
        for (int waited = 0; waited < 2000 && done == 0; waited += 5) {
            done = waitpid(child_, &status, WNOHANG);
            if (done == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        if (done == 0) {
            kill(child_, SIGKILL);
            waitpid(child_, &status, 0);
        }
        exit_status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        child_ = -1;
    }
    if (errors_ >= 0) {
        read_errors();
        close(errors_);
        errors_ = -1;
    }
}

}  // namespace zelkon
