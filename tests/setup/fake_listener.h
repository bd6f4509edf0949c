#pragma once

#include <functional>
#include <string>
#include <vector>

#include "piperpc/pipe_rpc.h"
#include "piperpc/utf16.h"
#include "platform/fake/fake_platform.h"

namespace zelkon {

// Where a listing command (its last word) writes here: /net/CONTROL1 and /mnt/ctl reach /data.
inline std::string listing_written_by(const std::string& command) {
    std::string listing = command.substr(command.rfind(' ') + 1);
    if (listing.starts_with("/net/CONTROL1/")) {
        return listing.substr(13);
    }
    return listing.starts_with("/mnt/ctl/") ? "/data/Work" + listing.substr(8) : listing;
}

// One machine's listener on the fake pipes: answers "Num pipes:", runs any other request. An
// empty machine name is this computer; another's pipes are served under its own prefix.
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
            } else {
                run_(text);
            }
            response = ByteArray::of(to_utf16le(reply));
        };
        pipe_.Listen();
    }

    std::string num_pipes_reply;
    std::vector<std::string> requests;

  private:
    PipeRPC pipe_;
    std::function<void(const std::string&)> run_;
};

}  // namespace zelkon
