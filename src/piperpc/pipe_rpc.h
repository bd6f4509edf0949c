#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "piperpc/byte_array.h"
#include "piperpc/property_bag.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/pipe_transport.h"
#include "platform/system_info.h"

namespace zelkon {

// Carries request/response byte messages over named pipes, as the client of
// one pipe or as a listener serving several clients, on the host's timer and
// event loop. Errors of misuse are raised as ZelkonError (source "PipeRPC");
// errors of the traffic are returned as system error codes.
class PipeRPC {
  public:
    static constexpr int pstFree = 0;
    static constexpr int pstListening = 1;
    static constexpr int pstOpen = 2;

    static constexpr int kErrInvalidCall = kErrorInvalidProcedureCall;
    static constexpr int kErrPipeSystem = -2147186176;  // hexadecimal 80048A00
    static constexpr int kErrConnected = -2147186172;   // hexadecimal 80048A04
    static constexpr int kPollIntervalMs = 16;

    // Reasons given to Disconnected.
    static constexpr int kReasonConnectFailed = 1;
    static constexpr int kReasonClientGone = 2;
    static constexpr int kReasonClosed = 3;
    static constexpr int kReasonRequestTooLong = 4;
    static constexpr int kReasonPartialWrite = 5;
    static constexpr int kReasonReadFailed = 6;
    static constexpr int kReasonWriteFailed = 7;

    PipeRPC(PipeTransport& transport, TimerFactory& timers, const ComputerName& computer_name);
    ~PipeRPC();
    PipeRPC(const PipeRPC&) = delete;
    PipeRPC& operator=(const PipeRPC&) = delete;

    // Properties.
    const std::string& ComputerName() const { return computer_name_; }
    std::string Copyright() const;
    std::int16_t MaxClients() const { return max_clients_; }
    void SetMaxClients(std::int16_t value);
    std::int32_t MaxRequest() const { return max_request_; }
    void SetMaxRequest(std::int32_t value);
    std::int32_t MaxResponse() const { return max_response_; }
    void SetMaxResponse(std::int32_t value);
    bool MultiPoll() const { return multi_poll_; }
    void SetMultiPoll(bool value);
    const std::string& PipeName() const { return pipe_name_; }
    void SetPipeName(const std::string& value);
    const std::string& Server() const { return server_; }
    void SetServer(const std::string& value);
    std::int32_t State() const { return state_; }
    std::int32_t Timeout() const { return timeout_; }
    void SetTimeout(std::int32_t value);
    double Version() const { return VersionMajor() + VersionMinor() / 10000.0; }
    std::int16_t VersionMajor() const { return 1; }
    std::int16_t VersionMinor() const { return 1; }

    // Methods.
    void ClosePipe();
    void Listen();
    std::int32_t OpenPipe();
    std::int32_t PipeCall(ByteArray& Request, ByteArray& Response);

    // Persistence through the host's property bag.
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // Events of the listening side, raised from inside the poll (and
    // Disconnected from ClosePipe).
    std::function<void(int Pipe, ByteArray& Request, ByteArray& Response)> Called;
    std::function<void(int Pipe)> Connected;
    std::function<void(int Pipe, int Reason, int SystemError)> Disconnected;
    // A writable property was changed through its setter.
    std::function<void(const std::string& name)> PropertyChanged;
    // A failure inside the poll, which has no caller to raise it to; the
    // listener has gone on serving.
    std::function<void(const ZelkonError& error)> PollError;

    // The listener's tables, for hosts that report on them.
    const std::string& ListenPath() const { return listen_path_; }
    int IdleInstances() const;
    int InstanceSlots() const { return static_cast<int>(instances_.size()); }
    bool InstanceOpen(int slot) const;
    bool InstanceConnected(int slot) const;

  private:
    // Property setters share this check.
    void require_free() const;
    void property_changed(const std::string& name);
    std::string transport_server() const;

    // Listening side.
    void CreateInstance();
    void ConnectInstance(int index);
    void CloseInstance(int index, int reason, int system_error);
    void poll_tick();
    void run_passes(std::uint64_t generation);
    bool serve_slot(int slot, std::uint64_t generation);
    void fail_slot(int slot, int reason, int code);
    void mark_connected(int slot);
    void write_reply(int slot, const ByteArray& response);
    void keep_one_waiting();
    void report(const ZelkonError& error);
    void close_listener();

    PipeTransport& transport_;
    std::unique_ptr<Timer> poll_timer_;
    std::string computer_name_;

    std::int16_t max_clients_ = 1;
    std::int32_t max_request_ = 1024;
    std::int32_t max_response_ = 1024;
    bool multi_poll_ = false;
    std::string pipe_name_;
    std::string server_ = ".";
    std::int32_t state_ = pstFree;
    std::int32_t timeout_ = 0;

    std::unique_ptr<PipeConnection> client_;
    std::string listen_path_;
    std::unique_ptr<PipeEndpoint> endpoint_;
    std::vector<std::unique_ptr<PipeInstance>> instances_;
    std::vector<bool> connected_;
    std::vector<std::uint8_t> read_buffer_;
    bool in_tick_ = false;
    bool closing_ = false;
    // Counts ClosePipe calls while listening, so that a tick notices when an
    // event handler has closed the listener under it.
    std::uint64_t generation_ = 0;
};

}  // namespace zelkon
