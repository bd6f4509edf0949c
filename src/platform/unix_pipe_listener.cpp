#include "platform/unix_pipe_listener.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>

#include "platform/owned_fd.h"
#include "platform/peer_closed.h"
#include "platform/unix_pipe_paths.h"

namespace zelkon {
namespace {

constexpr int kBacklog = 64;

sockaddr_un socket_address(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

bool someone_listens(const std::string& path) {
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_un address = socket_address(path);
    bool live =
        connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 || errno == EAGAIN;
    close(fd);
    return live;
}

void send_greeting(int fd, const char* text) {
    send(fd, text, std::strlen(text), MSG_DONTWAIT | MSG_NOSIGNAL);
}

// Asks the event loop to run the activity handler soon. Queued rather than
// direct, so that the handler may close the very socket being watched.
class ActivityWatch {
  public:
    ActivityWatch(int fd, std::shared_ptr<std::function<void()>> handler) {
        if (QCoreApplication::instance() == nullptr || !handler || !*handler) {
            return;  // nothing to wake: the poll's own timer serves alone
        }
        std::weak_ptr<std::function<void()>> weak = handler;
        notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [weak] {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [weak] {
                    if (auto live = weak.lock()) {
                        (*live)();
                    }
                },
                Qt::QueuedConnection);
        });
    }
    ~ActivityWatch() {
        if (notifier_) {
            notifier_->setEnabled(false);
        }
    }

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

class UnixEndpoint : public PipeEndpoint {
  public:
    UnixEndpoint(OwnedFd fd, std::string path, const PipeEndpointOptions& options)
        : fd_(std::move(fd)), path_(std::move(path)), max_reply_(options.max_reply) {
        struct stat info {};
        if (stat(path_.c_str(), &info) == 0) {
            inode_ = info.st_ino;
        }
    }
    ~UnixEndpoint() override {
        watch_.reset();
        fd_.reset();  // before the path goes, so no client is queued on a socket that ends
        // Remove the socket only if it is still ours, not a newer listener's.
        struct stat info {};
        if (stat(path_.c_str(), &info) == 0 && info.st_ino == inode_) {
            unlink(path_.c_str());
        }
    }

    std::unique_ptr<PipeInstance> create_instance(int& error) override;

    void refuse_unserved() override {
        if (waiting_ > 0) {
            return;
        }
        int client;
        while ((client = accept4(fd_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0) {
            send_greeting(client, "BUSY");
            close(client);
        }
    }

    void set_activity_handler(std::function<void()> handler) override {
        handler_ = std::make_shared<std::function<void()>>(std::move(handler));
        watch_ = std::make_unique<ActivityWatch>(fd_.get(), handler_);
    }

    // A waiting instance takes the next client, if one is there.
    int accept_client(int& error) {
        int client = accept4(fd_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0) {
            error = errno == EAGAIN || errno == EINTR || errno == ECONNABORTED
                        ? kPipeListening
                        : pipe_error_from_errno(errno);
            return -1;
        }
        send_greeting(client, "READY");
        return client;
    }

    std::size_t max_reply() const { return max_reply_; }
    std::shared_ptr<std::function<void()>> handler() const { return handler_; }
    int waiting_ = 0;

  private:
    OwnedFd fd_;
    std::string path_;
    std::size_t max_reply_;
    ino_t inode_ = 0;
    std::shared_ptr<std::function<void()>> handler_;
    std::unique_ptr<ActivityWatch> watch_;
};

class UnixInstance : public PipeInstance {
  public:
    explicit UnixInstance(UnixEndpoint& endpoint) : endpoint_(endpoint) { ++endpoint_.waiting_; }
    ~UnixInstance() override {
        watch_.reset();
        if (!fd_.valid()) {
            --endpoint_.waiting_;
        }
    }

    int connect() override { return fd_.valid() ? kPipeConnected : kPipeListening; }

    PipeIo read(std::span<std::uint8_t> buffer) override {
        if (!fd_.valid() && !take_client()) {
            return {accept_error_, 0};
        }
        iovec part{buffer.data(), buffer.size()};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        ssize_t got = recvmsg(fd_.get(), &message, MSG_DONTWAIT);
        if (got < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                return {kPipeNoData, 0};
            }
            return {pipe_error_from_errno(errno), 0};
        }
        if ((message.msg_flags & MSG_TRUNC) != 0) {
            return {kPipeMoreData, buffer.size()};
        }
        // Zero bytes is either an empty message or the end of the connection.
        if (got == 0 && peer_has_closed(fd_.get())) {
            return {kPipeBrokenPipe, 0};
        }
        return {0, static_cast<std::size_t>(got)};
    }

    PipeIo write(std::span<const std::uint8_t> message) override {
        if (!fd_.valid()) {
            return {kPipeBrokenPipe, 0};
        }
        if (message.size() > endpoint_.max_reply()) {
            return {0, 0};  // more than the output buffer takes
        }
        // Never blocks: a client that does not read its replies loses its pipe.
        ssize_t put = send(fd_.get(), message.data(), message.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (put < 0) {
            return {pipe_error_from_errno(errno), 0};
        }
        return {0, static_cast<std::size_t>(put)};
    }

    int flush() override { return 0; }  // a sent message is already the client's

    int disconnect() override {
        if (fd_.valid() && shutdown(fd_.get(), SHUT_RDWR) != 0 && errno != ENOTCONN) {
            return pipe_error_from_errno(errno);
        }
        return 0;
    }

  private:
    bool take_client() {
        fd_.reset(endpoint_.accept_client(accept_error_));
        if (!fd_.valid()) {
            return false;
        }
        --endpoint_.waiting_;
        watch_ = std::make_unique<ActivityWatch>(fd_.get(), endpoint_.handler());
        return true;
    }

    UnixEndpoint& endpoint_;
    OwnedFd fd_;
    int accept_error_ = kPipeListening;
    std::unique_ptr<ActivityWatch> watch_;
};

std::unique_ptr<PipeInstance> UnixEndpoint::create_instance(int&) {
    return std::make_unique<UnixInstance>(*this);
}

int bind_socket(int fd, const std::string& path) {
    sockaddr_un address = socket_address(path);
    auto* raw = reinterpret_cast<sockaddr*>(&address);
    if (bind(fd, raw, sizeof address) != 0) {
        if (errno != EADDRINUSE || someone_listens(path)) {
            return errno == EADDRINUSE ? kPipeBusy : pipe_error_from_errno(errno);
        }
        unlink(path.c_str());  // left behind by a listener that died
        if (bind(fd, raw, sizeof address) != 0) {
            return pipe_error_from_errno(errno);
        }
    }
    if (chmod(path.c_str(), 0600) != 0 || listen(fd, kBacklog) != 0) {
        int code = pipe_error_from_errno(errno);
        unlink(path.c_str());
        return code;
    }
    return 0;
}

}  // namespace

std::unique_ptr<PipeEndpoint> listen_on_unix_socket(const std::string& path,
                                                    const PipeEndpointOptions& options,
                                                    int& error) {
    OwnedFd fd(socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.valid()) {
        error = pipe_error_from_errno(errno);
        return nullptr;
    }
    error = bind_socket(fd.get(), path);
    if (error != 0) {
        return nullptr;
    }
    return std::make_unique<UnixEndpoint>(std::move(fd), path, options);
}

}  // namespace zelkon
