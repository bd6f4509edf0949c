#pragma once

#include <functional>
#include <string>
#include <vector>

#include "piperpc/pipe_rpc.h"
#include "piperpc/utf16.h"
#include "platform/fake/fake_platform.h"

namespace zelkon {

// Where the connection test's listing command (its last word names the
// listing) writes on this computer's disk, which the other machines reach
// under /net/CONTROL1 or through the share /mnt/ctl of /data/Work.
inline std::string listing_written_by(const std::string& command) {
    std::string listing = command.substr(command.rfind(' ') + 1);
    if (listing.starts_with("/net/CONTROL1/")) {
        return listing.substr(13);
    }
    return listing.starts_with("/mnt/ctl/") ? "/data/Work" + listing.substr(8) : listing;
}

// The listener of one machine on the fake pipes, as zelkon-listener answers:
// "Num pipes:" with its name and maximum, any other request by running it
// (through `run`, when runs_commands is set). An empty machine name is this
// computer; another machine's pipes are served under its own prefix.
class FakeListener {
  public:
    FakeListener(FakePlatform& fake, const std::string& machine, int max_clients,
                 std::function<void(const std::string&)> run)
        : pipe_(fake.pipes, fake.clock, fake.computer_name), run_(std::move(run)) {
        std::string prefix = machine.empty() ? "" : machine + "_";
        if (!machine.empty()) {
            fake.pipes.remote_pipes[machine] = prefix;
        }
        std::string name = machine.empty() ? fake.computer_name.name : machine;
        num_pipes_reply = "Server: " + name + " Max pipes: " + std::to_string(max_clients);
        pipe_.SetPipeName(prefix + "Zelkon_Server");
        pipe_.SetMaxClients(static_cast<std::int16_t>(max_clients));
        pipe_.Called = [this](int, ByteArray& request, ByteArray& response) {
            std::string text = from_utf16le(request.bytes);
            requests.push_back(text);
            std::string reply = "Started process 4242";
            if (text == "Num pipes:") {
                reply = num_pipes_reply;
            } else if (runs_commands) {
                run_(text);
            }
            response = ByteArray::of(to_utf16le(reply));
        };
        pipe_.Listen();
    }

    // The requests other than "Num pipes:".
    std::vector<std::string> commands() const {
        std::vector<std::string> found;
        for (const auto& request : requests) {
            if (request != "Num pipes:") {
                found.push_back(request);
            }
        }
        return found;
    }

    std::string num_pipes_reply;
    bool runs_commands = true;
    std::vector<std::string> requests;

  private:
    PipeRPC pipe_;
    std::function<void(const std::string&)> run_;
};

}  // namespace zelkon
