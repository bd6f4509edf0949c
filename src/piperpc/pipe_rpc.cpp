#include "piperpc/pipe_rpc.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <optional>

namespace zelkon {
namespace {

constexpr char kSource[] = "PipeRPC";

[[noreturn]] void raise(int number, const std::string& text) {
    throw ZelkonError(number, text, kSource);
}

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::optional<long long> parse_whole(const std::string& text) {
    long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Stored values are read without range checks, but a value that does not fit
// its type falls back to the default rather than wrapping round.
template <typename Int>
Int read_whole(const PropertyBag& bag, const std::string& key, Int fallback) {
    auto value = parse_whole(bag.read(key, std::to_string(fallback)));
    if (!value || *value < std::numeric_limits<Int>::min() ||
        *value > std::numeric_limits<Int>::max()) {
        return fallback;
    }
    return static_cast<Int>(*value);
}

bool read_flag(const PropertyBag& bag, const std::string& key, bool fallback) {
    std::string text = upper(bag.read(key, fallback ? "-1" : "0"));
    if (text == "TRUE") {
        return true;
    }
    if (text == "FALSE") {
        return false;
    }
    auto value = parse_whole(text);
    return value ? *value != 0 : fallback;
}

}  // namespace

PipeRPC::PipeRPC(PipeTransport& transport, TimerFactory& timers,
                 const zelkon::ComputerName& computer_name)
    : transport_(transport),
      poll_timer_(timers.create_timer()),
      computer_name_(computer_name.get().substr(0, 31)) {
    instances_.resize(1);
    connected_.assign(1, false);
    poll_timer_->set_interval(kPollIntervalMs);
    poll_timer_->set_handler([this] { poll_tick(); });
}

PipeRPC::~PipeRPC() {
    client_.reset();
    if (state_ == pstListening) {
        ClosePipe();
    }
    poll_timer_->set_enabled(false);
}

std::string PipeRPC::Copyright() const {
    return "PipeRPC, part of the Zelkon Cluster Controller. Copyright (c) Halvorn.";
}

void PipeRPC::require_free() const {
    if (state_ != pstFree) {
        raise(kErrInvalidCall, "Can only be changed while State = pstFree");
    }
}

void PipeRPC::property_changed(const std::string& name) {
    if (PropertyChanged) {
        PropertyChanged(name);
    }
}

void PipeRPC::SetMaxClients(std::int16_t value) {
    require_free();
    if (value < 1 || value > 255) {
        raise(kErrInvalidCall, "MaxClients must be from 1 to 255 (unlimited)");
    }
    max_clients_ = value;
    property_changed("MaxClients");
}

void PipeRPC::SetMaxRequest(std::int32_t value) {
    require_free();
    if (value < 1 || value > 65536) {
        raise(kErrInvalidCall, "MaxRequest must be from 1 to 65536");
    }
    max_request_ = value;
    property_changed("MaxRequest");
}

void PipeRPC::SetMaxResponse(std::int32_t value) {
    require_free();
    if (value < 1 || value > 65536) {
        raise(kErrInvalidCall, "MaxResponse must be from 1 to 65536");
    }
    max_response_ = value;
    property_changed("MaxResponse");
}

void PipeRPC::SetMultiPoll(bool value) {
    require_free();
    multi_poll_ = value;
    property_changed("MultiPoll");
}

void PipeRPC::SetPipeName(const std::string& value) {
    require_free();
    if (value.find('\\') != std::string::npos || value.find('\0') != std::string::npos) {
        raise(kErrInvalidCall, "Cannot contain \"\\\" or NUL characters");
    }
    pipe_name_ = value;
    property_changed("PipeName");
}

void PipeRPC::SetServer(const std::string& value) {
    require_free();
    server_ = value;
    property_changed("Server");
}

void PipeRPC::SetTimeout(std::int32_t value) {
    require_free();
    timeout_ = value;
    property_changed("Timeout");
}

void PipeRPC::ReadProperties(const PropertyBag& bag) {
    max_clients_ = read_whole<std::int16_t>(bag, "MaxClients", 1);
    max_request_ = read_whole<std::int32_t>(bag, "MaxRequest", 1024);
    max_response_ = read_whole<std::int32_t>(bag, "MaxResponse", 1024);
    multi_poll_ = read_flag(bag, "MultiPoll", false);
    pipe_name_ = bag.read("PipeName", "");
    server_ = bag.read("Server", ".");
    timeout_ = read_whole<std::int32_t>(bag, "Timeout", 0);
}

void PipeRPC::WriteProperties(PropertyBag& bag) const {
    bag.write("MaxClients", std::to_string(max_clients_), "1");
    bag.write("MaxRequest", std::to_string(max_request_), "1024");
    bag.write("MaxResponse", std::to_string(max_response_), "1024");
    bag.write("MultiPoll", multi_poll_ ? "-1" : "0", "0");
    bag.write("PipeName", pipe_name_, "");
    bag.write("Server", server_, ".");
    bag.write("Timeout", std::to_string(timeout_), "0");
}

// This computer is reached directly, under "." or its own name.
std::string PipeRPC::transport_server() const {
    if (server_ == "." || (!computer_name_.empty() && upper(server_) == upper(computer_name_))) {
        return ".";
    }
    return server_;
}

std::int32_t PipeRPC::OpenPipe() {
    if (state_ != pstFree) {
        raise(kErrInvalidCall, "Pipe can only be opened while State = pstFree");
    }
    int error = 0;
    auto connection = transport_.open(transport_server(), pipe_name_, timeout_, error);
    if (!connection) {
        // The transport's own code says why (5 access refused, 121 no free
        // instance in time...).
        return error != 0 ? error : kPipeTimeout;
    }
    client_ = std::move(connection);
    state_ = pstOpen;
    return 0;
}

std::int32_t PipeRPC::PipeCall(ByteArray& Request, ByteArray& Response) {
    if (state_ == pstListening) {
        raise(kErrInvalidCall, "Cannot make calls while listening");
    }
    if (state_ == pstFree && pipe_name_.empty()) {
        raise(kErrInvalidCall,
              "PipeName is required (cannot be empty) to make calls while State = pstFree");
    }
    PipeIo io;
    if (state_ == pstOpen) {
        io = client_->transact(Request.bytes, Response.bytes);
    } else {
        int error = 0;
        auto connection = transport_.open(transport_server(), pipe_name_, timeout_, error);
        if (!connection) {
            return error;
        }
        io = connection->transact(Request.bytes, Response.bytes);
    }
    if (io.error != 0) {
        return io.error;
    }
    if (io.bytes < Response.bytes.size()) {
        Response.bytes.resize(io.bytes);
    }
    return 0;
}

void PipeRPC::ClosePipe() {
    if (state_ == pstOpen) {
        client_.reset();
        state_ = pstFree;
    } else if (state_ == pstListening) {
        close_listener();
    }
}

}  // namespace zelkon
