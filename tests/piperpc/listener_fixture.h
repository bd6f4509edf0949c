#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "child_process.h"
#include "piperpc/pipe_rpc.h"
#include "piperpc/utf16.h"
#include "platform/fake/fake_clock.h"
#include "platform/posix_system_info.h"
#include "platform/unix_pipe_transport.h"

namespace zelkon {

// A zelkon-listener started by the test on a pipe folder of its own, and the
// component's client to reach it.
class ListenerProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/zelkon-listener-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        // The listener and this test find the pipe folder here.
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
        transport = std::make_unique<UnixPipeTransport>(UnixPipeConfig::from_environment());
        socket_path = folder + "/piperpc/Zelkon_Test";
    }
    void TearDown() override {
        if (listener) {
            listener->signal(SIGTERM);
            listener->wait_for_exit(5000);
        }
        std::filesystem::remove_all(folder);
    }

    void start(int max_clients) {
        listener = std::make_unique<ChildProcess>(
            std::vector<std::string>{ZELKON_LISTENER_PATH, "--pipe", "Zelkon_Test", "--max-clients",
                                     std::to_string(max_clients)},
            log_path());
        // Ready once it has logged that it listens (a dead one's socket may linger).
        ++starts;
        ASSERT_TRUE(eventually([&] { return times_logged("listening on pipe") == starts; }))
            << read_text_file(log_path());
    }
    std::string log_path() const { return folder + "/listener.log"; }
    int times_logged(const std::string& text) const {
        std::string log = read_text_file(log_path());
        int count = 0;
        for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
            ++count;
        }
        return count;
    }

    std::unique_ptr<PipeRPC> make_client(int timeout_ms = 0, const std::string& server = ".") {
        auto client = std::make_unique<PipeRPC>(*transport, clock, computer_name);
        client->SetPipeName("Zelkon_Test");
        client->SetTimeout(timeout_ms);
        client->SetServer(server);
        return client;
    }
    // Remote pipes go through ssh_command; on the far side the listener's
    // --dial finds this test's pipe folder.
    void reach_remote_pipes_through(const std::string& ssh_command) {
        UnixPipeConfig config = UnixPipeConfig::from_environment();
        config.ssh_command = ssh_command;
        config.dial_command = "env XDG_RUNTIME_DIR=" + shell_quote(folder) + " " +
                              shell_quote(ZELKON_LISTENER_PATH) + " --dial";
        transport = std::make_unique<UnixPipeTransport>(config);
    }
    // One exchange of UTF-16LE text with a 256-byte reply buffer.
    std::string call(PipeRPC& client, const std::string& text, int* code = nullptr) {
        ByteArray request = ByteArray::of(to_utf16le(text));
        ByteArray response = ByteArray::with_bounds(0, 255);
        int result = client.PipeCall(request, response);
        if (code != nullptr) {
            *code = result;
        } else {
            EXPECT_EQ(result, 0);
        }
        return from_utf16le(response.bytes);
    }

    std::string folder;
    std::string socket_path;
    FakeClock clock;
    HostComputerName computer_name;
    std::unique_ptr<UnixPipeTransport> transport;
    std::unique_ptr<ChildProcess> listener;
    int starts = 0;
};

}  // namespace zelkon
