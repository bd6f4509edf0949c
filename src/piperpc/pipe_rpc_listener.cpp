// The listening side of PipeRPC: instances in slots, the poll and its events.
#include <algorithm>

#include "piperpc/pipe_rpc.h"

namespace zelkon {
namespace {

constexpr char kSource[] = "PipeRPC";

ZelkonError system_error(const std::string& text) {
    return ZelkonError(PipeRPC::kErrPipeSystem, text, kSource);
}

// Stored sizes are read without checks; the ones in use stay within what the
// setters allow, so that a damaged setting cannot ask for gigabytes.
std::size_t in_range(std::int32_t size) {
    return static_cast<std::size_t>(std::clamp(size, 1, 65536));
}

}  // namespace

int PipeRPC::IdleInstances() const {
    int idle = 0;
    for (std::size_t slot = 0; slot < instances_.size(); ++slot) {
        if (instances_[slot] && !connected_[slot]) {
            ++idle;
        }
    }
    return idle;
}

bool PipeRPC::InstanceOpen(int slot) const {
    return slot >= 0 && slot < InstanceSlots() && instances_[slot] != nullptr;
}

bool PipeRPC::InstanceConnected(int slot) const {
    return slot >= 0 && slot < InstanceSlots() && connected_[slot];
}

void PipeRPC::Listen() {
    if (state_ != pstFree) {
        throw ZelkonError(kErrConnected, "Invalid call while connected", kSource);
    }
    if (timeout_ == 0 || timeout_ == 1 || timeout_ == -1) {
        timeout_ = 250;
    }
    listen_path_ = "\\\\.\\pipe\\" + pipe_name_;
    try {
        CreateInstance();
    } catch (...) {
        instances_.clear();
        instances_.resize(1);
        connected_.assign(1, false);
        endpoint_.reset();
        throw;
    }
    read_buffer_.assign(in_range(max_request_), 0);
    endpoint_->set_activity_handler([this] { poll_tick(); });
    poll_timer_->set_interval(kPollIntervalMs);
    poll_timer_->set_enabled(true);
    state_ = pstListening;
}

void PipeRPC::CreateInstance() {
    int slot = 0;
    while (slot < InstanceSlots() && instances_[slot]) {
        ++slot;
    }
    if (slot == InstanceSlots()) {
        if (slot + 1 > max_clients_ && max_clients_ != 255) {
            return;  // the cap is reached
        }
        instances_.emplace_back();
        connected_.push_back(false);
    }
    int error = 0;
    if (!endpoint_) {
        PipeEndpointOptions options;
        options.max_reply = in_range(max_response_);
        endpoint_ = transport_.listen(pipe_name_, options, error);
    }
    if (endpoint_) {
        instances_[slot] = endpoint_->create_instance(error);
    }
    if (!instances_[slot]) {
        throw system_error("Pipe #" + std::to_string(slot) + ", System error " +
                           std::to_string(error));
    }
    ConnectInstance(slot);
}

void PipeRPC::ConnectInstance(int index) {
    int code = instances_[index]->connect();
    if (code != 0 && code != kPipeConnected && code != kPipeListening) {
        CloseInstance(index, kReasonConnectFailed, code);
    }
}

void PipeRPC::CloseInstance(int index, int reason, int system_error_code) {
    if (!instances_[index]) {
        return;
    }
    if (!connected_[index]) {
        instances_[index].reset();
        if (system_error_code != 0) {
            throw system_error("System error " + std::to_string(system_error_code));
        }
        return;
    }
    int disconnect_error = instances_[index]->disconnect();
    connected_[index] = false;
    instances_[index].reset();
    if (!closing_) {
        keep_one_waiting();
    }
    if (Disconnected) {
        Disconnected(index, reason, disconnect_error != 0 ? disconnect_error : system_error_code);
    }
}

// Creates a waiting instance when none waits and the cap allows one. A
// failure is reported, and the next tick tries again, so that the listener
// never stops accepting clients.
void PipeRPC::keep_one_waiting() {
    if (IdleInstances() != 0) {
        return;
    }
    try {
        CreateInstance();
    } catch (const ZelkonError& error) {
        report(error);
    }
}

void PipeRPC::report(const ZelkonError& error) {
    if (PollError) {
        PollError(error);
    }
}

void PipeRPC::poll_tick() {
    if (in_tick_ || state_ != pstListening) {
        return;  // an event handler let the event loop run, or a late wake-up
    }
    in_tick_ = true;
    poll_timer_->set_enabled(false);
    std::uint64_t generation = generation_;
    keep_one_waiting();
    run_passes(generation);
    if (generation == generation_) {
        endpoint_->refuse_unserved();
        poll_timer_->set_enabled(true);
    }
    in_tick_ = false;
}

void PipeRPC::run_passes(std::uint64_t generation) {
    bool again = true;
    while (again) {
        again = false;
        for (int slot = 0; slot < InstanceSlots(); ++slot) {
            if (!instances_[slot]) {
                continue;
            }
            bool served = false;
            try {
                served = serve_slot(slot, generation);
            } catch (const ZelkonError& error) {
                report(error);
            } catch (const std::exception& error) {
                report(
                    ZelkonError(kErrPipeSystem, error.what(), kSource));  // from an event handler
            }
            if (generation != generation_) {
                return;  // a handler closed the listener: its tables are gone
            }
            if (served) {
                again = multi_poll_;
            }
        }
    }
}

// Reads one message from a slot and answers it; true when a request was served.
bool PipeRPC::serve_slot(int slot, std::uint64_t generation) {
    PipeIo io = instances_[slot]->read(read_buffer_);
    if (io.error == kPipeListening) {
        return false;
    }
    if (io.error == kPipeNoData) {
        if (!connected_[slot]) {
            ConnectInstance(slot);
            if (instances_[slot]) {
                mark_connected(slot);
            }
        }
        return false;
    }
    if (io.error != 0) {
        int reason = io.error == kPipeMoreData     ? kReasonRequestTooLong
                     : io.error == kPipeBrokenPipe ? kReasonClientGone
                                                   : kReasonReadFailed;
        fail_slot(slot, reason, io.error);
        return false;
    }
    if (!connected_[slot]) {
        mark_connected(slot);
        if (generation != generation_) {
            return false;
        }
    }
    // A zero-byte request is a request too: the handler sees an empty array.
    ByteArray request = ByteArray::of(
        std::vector<std::uint8_t>(read_buffer_.begin(), read_buffer_.begin() + io.bytes));
    ByteArray response;
    try {
        if (Called) {
            Called(slot, request, response);
        }
    } catch (const std::exception& error) {
        // No reply will come: the client learns so by losing its pipe.
        if (generation == generation_ && instances_[slot]) {
            CloseInstance(slot, kReasonPartialWrite, 0);
        }
        throw ZelkonError(
            kErrPipeSystem,
            "Pipe #" + std::to_string(slot) + ", the request handler failed: " + error.what(),
            kSource);
    }
    if (generation != generation_ || !instances_[slot]) {
        return false;
    }
    write_reply(slot, response);
    return true;
}

// A client the poll had not yet seen (it sent too much, or left at once) is
// dropped quietly and its instance replaced, so the listener keeps accepting.
void PipeRPC::fail_slot(int slot, int reason, int code) {
    if (connected_[slot]) {
        CloseInstance(slot, reason, code);
        return;
    }
    instances_[slot].reset();
    keep_one_waiting();
    throw system_error("System error " + std::to_string(code));
}

void PipeRPC::mark_connected(int slot) {
    connected_[slot] = true;
    keep_one_waiting();
    if (Connected) {
        Connected(slot);
    }
}

// An empty reply is written as an empty message, so the client is not left
// waiting for one.
void PipeRPC::write_reply(int slot, const ByteArray& response) {
    PipeIo io = instances_[slot]->write(response.bytes);
    if (io.error != 0) {
        CloseInstance(slot, kReasonWriteFailed, io.error);
        return;
    }
    instances_[slot]->flush();
    if (io.bytes < response.bytes.size()) {
        CloseInstance(slot, kReasonPartialWrite, 0);
    }
}

void PipeRPC::close_listener() {
    if (closing_) {
        return;  // a Disconnected handler called ClosePipe again
    }
    closing_ = true;
    ++generation_;
    int last = InstanceSlots() - 1;
    for (int slot = 0; slot <= last && slot < InstanceSlots(); ++slot) {
        CloseInstance(slot, kReasonClosed, 0);
    }
    poll_timer_->set_enabled(false);
    instances_.clear();
    instances_.resize(1);
    connected_.assign(1, false);
    endpoint_.reset();
    state_ = pstFree;
    closing_ = false;
}

}  // namespace zelkon
