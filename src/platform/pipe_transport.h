#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace zelkon {

// System error codes of pipe traffic. The pipe component and its callers speak
// these numbers whatever carries the messages underneath.
inline constexpr int kPipeFileNotFound = 2;  // no such pipe
inline constexpr int kPipeAccessDenied = 5;
inline constexpr int kPipeNotEnoughMemory = 8;
inline constexpr int kPipeGeneralFailure = 31;
inline constexpr int kPipeBrokenPipe = 109;  // the other end has gone
inline constexpr int kPipeTimeout = 121;     // no free instance within the wait
inline constexpr int kPipeInvalidName = 123;
inline constexpr int kPipeBusy = 231;       // every instance is in use
inline constexpr int kPipeNoData = 232;     // a client is connected, nothing to read
inline constexpr int kPipeMoreData = 234;   // the message is longer than the buffer
inline constexpr int kPipeConnected = 535;  // a client is already connected
inline constexpr int kPipeListening = 536;  // no client yet

// SIGINT or SIGTERM, held back for the caller, came while a pipe was opened.
inline constexpr int kPipeStoppedBySignal = 995;

// The outcome of one read or write: 0 or an error code, and the bytes moved.
struct PipeIo {
    int error = 0;
    std::size_t bytes = 0;
};

// One listening instance: the server end of the pipe for one client at a time.
// Destroying it closes it.
class PipeInstance {
  public:
    virtual ~PipeInstance() = default;
    // Never blocks. 0, kPipeConnected and kPipeListening all mean ready.
    virtual int connect() = 0;
    // Never blocks: one whole message, or kPipeListening, kPipeNoData,
    // kPipeMoreData (the message is lost), kPipeBrokenPipe or another code.
    virtual PipeIo read(std::span<std::uint8_t> buffer) = 0;
    // Writes one message; bytes says how much of it was taken.
    virtual PipeIo write(std::span<const std::uint8_t> message) = 0;
    // Returns once the client can take the reply.
    virtual int flush() = 0;
    virtual int disconnect() = 0;
};

// A pipe name held by this process for listening; its instances share it.
// Destroying it gives the name up.
class PipeEndpoint {
  public:
    virtual ~PipeEndpoint() = default;
    virtual std::unique_ptr<PipeInstance> create_instance(int& error) = 0;
    // Tells clients for whom no instance waits that the pipe is busy, so that
    // they go on waiting or give up instead of hanging.
    virtual void refuse_unserved() = 0;
    // Called from the event loop when a client or a message may be waiting, so
    // that it is served before the next poll tick. Optional for a transport.
    virtual void set_activity_handler(std::function<void()> handler) = 0;
};

// The client end of an open pipe.
class PipeConnection {
  public:
    virtual ~PipeConnection() = default;
    // Sends one message and blocks until one reply message has arrived. A reply
    // longer than `reply` gives kPipeMoreData with its first bytes in `reply`.
    virtual PipeIo transact(std::span<const std::uint8_t> request,
                            std::span<std::uint8_t> reply) = 0;
};

// Replies longer than max_reply bytes are taken only in part (not at all).
struct PipeEndpointOptions {
    std::size_t max_reply = 1024;
};

class PipeTransport {
  public:
    virtual ~PipeTransport() = default;
    // Starts listening on the pipe `name` of this computer.
    virtual std::unique_ptr<PipeEndpoint> listen(const std::string& name,
                                                 const PipeEndpointOptions& options,
                                                 int& error) = 0;
    // Opens the pipe `name` on `server` ("." is this computer), waiting up to
    // wait_ms for a free instance (0: the pipe's default wait, -1: no limit).
    virtual std::unique_ptr<PipeConnection> open(const std::string& server, const std::string& name,
                                                 int wait_ms, int& error) = 0;
    // Why the last open() failed, in the words of what carried it (ssh's or
    // the dial's last line); empty when nothing said why.
    virtual std::string last_open_failure() const { return {}; }
    // Begins opening the pipe `name` on another computer without waiting, so
    // that the logins of several pipes overlap; the next open() of that pipe
    // takes it up.
    virtual void dial_ahead(const std::string& /*server*/, const std::string& /*name*/) {}
    // Ends the dials begun ahead that no open() took up.
    virtual void drop_dials_ahead() {}
};

}  // namespace zelkon
