#include "platform/unix_pipe_client.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/owned_fd.h"
#include "platform/peer_closed.h"
#include "platform/pending_stop.h"
#include "platform/pipe_frames.h"
#include "platform/spawn.h"
#include "platform/ssh_texts.h"
#include "platform/unix_pipe_paths.h"

namespace zelkon {
namespace {

using Clock = std::chrono::steady_clock;

// Each remote attempt is a new ssh session, which is a whole login when no
// master connection to that machine is open yet: this long at least is
// allowed for it before the remote greeting, whatever the caller's wait. A
// local connection is bounded by the caller's wait alone.
constexpr int kRemoteLoginMs = 15000;
constexpr int kRetryPauseMs = 5;
// Each remote attempt is a new login, so a busy remote pipe is asked less often.
constexpr int kRemoteRetryPauseMs = 100;
// A login may take its whole time-out: a stop signal is looked for this often.
constexpr int kStopLookMs = 100;

struct Deadline {
    Clock::time_point end;
    bool unlimited = false;

    static Deadline after(int wait_ms) {
        int limit = wait_ms == 0 ? kDefaultPipeWaitMs : wait_ms;
        return Deadline{Clock::now() + std::chrono::milliseconds(std::max(limit, 0)), limit < 0};
    }
    bool passed() const { return !unlimited && Clock::now() >= end; }
    // Milliseconds left, but never less than floor_ms; -1 when unlimited.
    int left_at_least(int floor_ms) const {
        if (unlimited) {
            return -1;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        return std::max(static_cast<int>(left.count()), floor_ms);
    }
};

bool wait_readable(int fd, int timeout_ms) {
    pollfd entry{fd, POLLIN, 0};
    int ready;
    do {
        ready = poll(&entry, 1, timeout_ms);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

// Waits for the remote greeting in short slices, so that a stop signal held
// back for the set-up ends the wait at once: 0 once there is something to
// read, kPipeTimeout or kPipeStoppedBySignal.
int wait_for_greeting(int fd, int timeout_ms) {
    Deadline deadline = Deadline::after(timeout_ms);
    while (!stop_signal_pending()) {
        int slice =
            deadline.unlimited ? kStopLookMs : std::min(kStopLookMs, deadline.left_at_least(0));
        if (wait_readable(fd, slice)) {
            return 0;
        }
        if (deadline.passed()) {
            return kPipeTimeout;
        }
    }
    return kPipeStoppedBySignal;
}

// What ssh has written on its standard error so far, without waiting for more.
std::string take_written(int fd) {
    std::string text;
    char buffer[4096];
    while (true) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            return text;
        }
    }
}

// ssh's messages are read to learn why it failed, and still reach our
// standard error, as they did before anything read them.
std::string pass_on_messages(int fd) {
    std::string text = take_written(fd);
    write_exactly(STDERR_FILENO, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    return text;
}

class LocalConnection : public PipeConnection {
  public:
    explicit LocalConnection(OwnedFd fd) : fd_(std::move(fd)) {}

    PipeIo transact(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply) override {
        ssize_t put;
        do {
            put = send(fd_.get(), request.data(), request.size(), MSG_NOSIGNAL);
        } while (put < 0 && errno == EINTR);
        if (put < 0) {
            return {pipe_error_from_errno(errno), 0};
        }
        return receive(reply);
    }

  private:
    PipeIo receive(std::span<std::uint8_t> reply) {
        iovec part{reply.data(), reply.size()};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        ssize_t got;
        do {
            got = recvmsg(fd_.get(), &message, 0);
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            return {pipe_error_from_errno(errno), 0};
        }
        if ((message.msg_flags & MSG_TRUNC) != 0) {
            return {kPipeMoreData, reply.size()};
        }
        if (got == 0 && peer_has_closed(fd_.get())) {
            return {kPipeBrokenPipe, 0};
        }
        return {0, static_cast<std::size_t>(got)};
    }

    OwnedFd fd_;
};

// One attempt: 0 with a greeted socket, kPipeBusy, or another error.
int try_connect(const std::string& path, int greeting_ms, OwnedFd& connected) {
    OwnedFd socket_fd(socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    int fd = socket_fd.get();
    if (fd < 0) {
        return pipe_error_from_errno(errno);
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    int code = 0;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        code = errno == EAGAIN ? kPipeBusy : pipe_error_from_errno(errno);
    } else if (!wait_readable(fd, greeting_ms)) {
        code = kPipeTimeout;
    } else {
        char greeting[8] = {};
        ssize_t got = recv(fd, greeting, sizeof greeting, 0);
        code = got == 5 && std::memcmp(greeting, "READY", 5) == 0  ? 0
               : got == 4 && std::memcmp(greeting, "BUSY", 4) == 0 ? kPipeBusy
                                                                   : kPipeBrokenPipe;
    }
    if (code == 0) {
        connected = std::move(socket_fd);
    }
    return code;
}

// The child process of a remote pipe, joined to us by a stream socket.
class RemoteConnection : public PipeConnection {
  public:
    RemoteConnection(OwnedFd fd, pid_t child, OwnedFd messages)
        : fd_(std::move(fd)), child_(child), messages_(std::move(messages)) {}
    ~RemoteConnection() override {
        fd_.reset();  // before the wait: closing it is what lets ssh end
        end_child(child_);
        pass_on_messages(messages_.get());
    }

    PipeIo transact(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply) override {
        int code = write_frame(fd_.get(), request);
        std::size_t received = 0;
        if (code == 0) {
            code = read_frame_into(fd_.get(), reply, received);
        }
        pass_on_messages(messages_.get());
        return {code, received};
    }

    // Closing our end lets ssh finish; one that does not is stopped.
    static void end_child(pid_t child) {
        for (int waited = 0; waited < 3000; waited += 10) {
            if (waitpid(child, nullptr, WNOHANG) != 0) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }

  private:
    OwnedFd fd_;
    pid_t child_;
    OwnedFd messages_;  // ssh's standard error
};

// The reading end of a pipe for ssh's standard error; it never blocks.
int open_message_pipe(OwnedFd& ours, OwnedFd& theirs) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        return pipe_error_from_errno(errno);
    }
    ours.reset(ends[0]);
    theirs.reset(ends[1]);
    fcntl(ours.get(), F_SETFL, O_NONBLOCK);
    return 0;
}

// What the greeting (or its absence) says: 0, kPipeBusy or another error.
int read_greeting(int fd, int greeting_ms) {
    int code = wait_for_greeting(fd, greeting_ms);
    if (code != 0) {
        return code;
    }
    std::vector<std::uint8_t> greeting;
    return read_frame(fd, greeting, 16) != 0                                ? kPipeFileNotFound
           : greeting == std::vector<std::uint8_t>{'R', 'E', 'A', 'D', 'Y'} ? 0
           : greeting == std::vector<std::uint8_t>{'B', 'U', 'S', 'Y'}      ? kPipeBusy
                                                                            : kPipeBrokenPipe;
}

// Starts the dial's ssh: 0, or the code of a start that failed.
int spawn_dial(const std::vector<std::string>& arguments, RemoteDial& dial) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        return pipe_error_from_errno(errno);
    }
    dial.stream.reset(pair[0]);
    OwnedFd theirs(pair[1]);
    OwnedFd their_messages;
    if (int code = open_message_pipe(dial.messages, their_messages); code != 0) {
        return code;
    }
    SpawnRequest request;
    request.arguments = arguments;
    request.streams[0] = theirs.get();
    request.streams[1] = theirs.get();
    request.streams[2] = their_messages.get();
    request.end_with_parent = true;  // an ssh child never outlives us
    SpawnResult child = spawn_process(request);
    if (child.process_id == 0) {
        // As a dial that ended without a greeting: fork failing is ours, the rest is ssh's.
        return child.error == EAGAIN || child.error == ENOMEM ? pipe_error_from_errno(child.error)
                                                              : kPipeFileNotFound;
    }
    dial.child = child.process_id;
    return 0;
}

// A started dial's greeting: 0 with a greeted connection, kPipeBusy, or
// another error with ssh's last word in `reason`.
int finish_dial(RemoteDial& dial, int greeting_ms, std::unique_ptr<PipeConnection>& connection,
                std::string& reason) {
    // A dial that cannot reach the pipe, or an ssh that cannot log in, ends
    // without a greeting, having said why on standard error.
    int code = read_greeting(dial.stream.get(), greeting_ms);
    if (code != 0) {
        dial.stream.reset();
        kill(dial.child, SIGTERM);
        RemoteConnection::end_child(dial.child);
        dial.child = 0;
        reason = last_nonblank_line(pass_on_messages(dial.messages.get()));
        return code;
    }
    connection = std::make_unique<RemoteConnection>(std::move(dial.stream), dial.child,
                                                    std::move(dial.messages));
    dial.child = 0;
    return 0;
}

// One attempt through ssh, on `begun` when given.
int try_remote(const std::vector<std::string>& arguments, int greeting_ms,
               std::unique_ptr<RemoteDial> begun, std::unique_ptr<PipeConnection>& connection,
               std::string& reason) {
    if (!begun) {
        begun = std::make_unique<RemoteDial>();
        if (int code = spawn_dial(arguments, *begun); code != 0) {
            return code;
        }
    }
    return finish_dial(*begun, greeting_ms, connection, reason);
}

}  // namespace

std::unique_ptr<PipeConnection> open_unix_socket(const std::string& path, int wait_ms, int& error) {
    Deadline deadline = Deadline::after(wait_ms);
    while (true) {
        OwnedFd fd;
        error = try_connect(path, deadline.left_at_least(0), fd);
        if (error == 0) {
            return std::make_unique<LocalConnection>(std::move(fd));
        }
        if (error != kPipeBusy) {
            return nullptr;
        }
        if (deadline.passed()) {
            error = kPipeTimeout;
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kRetryPauseMs));
    }
}

RemoteDial::~RemoteDial() {
    if (child > 0) {
        stream.reset();
        kill(child, SIGTERM);
        RemoteConnection::end_child(child);
    }
}

std::unique_ptr<RemoteDial> begin_remote_dial(const SshOptions& ssh,
                                              const std::string& dial_command,
                                              const std::string& host, const std::string& name) {
    if (host.empty() || host[0] == '-' || name.empty()) {
        return nullptr;
    }
    auto dial = std::make_unique<RemoteDial>();
    dial->host = host;
    dial->name = name;
    if (spawn_dial(ssh.run_on(host, dial_command + " " + shell_quote(name)), *dial) != 0) {
        return nullptr;
    }
    return dial;
}

std::unique_ptr<PipeConnection> open_remote_pipe(const SshOptions& ssh,
                                                 const std::string& dial_command,
                                                 const std::string& host, const std::string& name,
                                                 int wait_ms, int& error, std::string& reason,
                                                 std::unique_ptr<RemoteDial> begun) {
    reason.clear();
    // A host name that ssh would read as an option is refused.
    if (host.empty() || host[0] == '-' || name.empty()) {
        error = kPipeInvalidName;
        return nullptr;
    }
    // Host and remote command reach ssh as arguments, never through our shell.
    std::vector<std::string> arguments = ssh.run_on(host, dial_command + " " + shell_quote(name));
    Deadline deadline = Deadline::after(wait_ms);
    std::unique_ptr<PipeConnection> connection;
    while (true) {
        error = try_remote(arguments, deadline.left_at_least(kRemoteLoginMs), std::move(begun),
                           connection, reason);
        if (error != kPipeBusy) {
            return connection;
        }
        if (deadline.passed()) {
            error = kPipeTimeout;
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kRemoteRetryPauseMs));
    }
}

}  // namespace zelkon
