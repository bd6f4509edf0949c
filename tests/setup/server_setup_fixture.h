#pragma once

#include <memory>

#include "setup/server_grid.h"
#include "fake_listener.h"
#include "run_setup_fixture.h"

namespace zelkon {

// The set-up of RunSetupTest (nodeA with 2 task servers, nodeB with 1, job
// 12 in /data/Work) with listeners a test starts on the fake pipes.
class ServerSetupTest : public RunSetupTest {
  protected:
    ServerSetupTest() {
        form.hooks.on_run_log_appended = [this](const std::string& text) { logged += text; };
    }

    static constexpr const char* kJobFolder = "/data/Work/Job_12/";
    static constexpr const char* kListing = "/data/Work/Job_12/dir.lst";

    void use_rpc() { form.controls.Check_use_RPC.value = 1; }
    // A listener on machine ("" for this computer).
    FakeListener& listen(const std::string& machine, int max_clients) {
        listeners.push_back(std::make_unique<FakeListener>(
            fake, machine, max_clients,
            [this](const std::string& command) { run_listing(command); }));
        return *listeners.back();
    }
    std::vector<std::string> red_rows() const {
        return unusable_task_servers(form.controls.Grid_server_stats);
    }
    std::string info() const { return fake.files.content(kInfoFile); }
    // Everything appended to the run log, also what a start then replaced.
    const std::string& run_log() const { return logged; }
    static int count_of(const std::string& text, const std::string& part) {
        int count = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
            ++count;
        }
        return count;
    }

    std::vector<std::unique_ptr<FakeListener>> listeners;
    std::string logged;
};

}  // namespace zelkon
