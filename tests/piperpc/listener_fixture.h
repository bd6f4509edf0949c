#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "piperpc/pipe_rpc.h"
#include "piperpc/utf16.h"
#include "platform/fake/fake_clock.h"
#include "platform/posix_process_starter.h"
#include "platform/posix_system_info.h"
#include "platform/unix_pipe_transport.h"

namespace zelkon {

// Polls every 5 ms until the condition holds or timeout_ms have passed.
inline bool eventually(const std::function<bool()>& condition, int timeout_ms = 5000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline std::string read_text_file(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// A program started by a test, with its standard error appended to a file. It is
// killed when the object goes, if it has not ended by then.
class ChildProcess {
  public:
    ChildProcess(const std::vector<std::string>& arguments, const std::string& error_file) {
        std::string command = "exec";
        for (const std::string& argument : arguments) {
            command += " " + shell_quote(argument);
        }
        id_ = processes_.start(command + " 2>> " + shell_quote(error_file), "").process_id;
    }
    ~ChildProcess() {
        if (processes_.is_running(id_)) {
            signal(SIGKILL);
            processes_.wait(id_);
        }
    }

    void signal(int number) {
        if (id_ > 0) {
            kill(id_, number);
        }
    }
    // The exit status, or -1 when it has not ended within timeout_ms.
    int wait_for_exit(int timeout_ms) {
        bool ended = eventually([&] { return !processes_.is_running(id_); }, timeout_ms);
        return ended ? processes_.wait(id_) : -1;
    }
    int open_descriptors() const {
        std::error_code error;
        std::filesystem::directory_iterator fds("/proc/" + std::to_string(id_) + "/fd", error);
        return static_cast<int>(std::distance(begin(fds), end(fds)));
    }

  private:
    PosixProcessStarter processes_;
    int id_ = 0;
};

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
        std::filesystem::remove(log_path());
        listener = std::make_unique<ChildProcess>(
            std::vector<std::string>{ZELKON_LISTENER_PATH, "--pipe", "Zelkon_Test", "--max-clients",
                                     std::to_string(max_clients)},
            log_path());
        // Ready once it has logged that it listens (a dead one's socket may linger).
        ASSERT_TRUE(eventually([&] {
            return read_text_file(log_path()).find("listening on pipe") != std::string::npos;
        })) << read_text_file(log_path());
    }
    std::string log_path() const { return folder + "/listener.log"; }

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
        config.ssh = SshOptions::from_command(ssh_command);
        config.dial_command = "env XDG_RUNTIME_DIR=" + shell_quote(folder) + " " +
                              shell_quote(ZELKON_LISTENER_PATH) + " --dial";
        transport = std::make_unique<UnixPipeTransport>(config);
    }
    // One exchange of UTF-16LE text with a 256-byte reply buffer, expected to succeed.
    std::string call(PipeRPC& client, const std::string& text) {
        ByteArray request = ByteArray::of(to_utf16le(text));
        ByteArray response = ByteArray::with_bounds(0, 255);
        EXPECT_EQ(client.PipeCall(request, response), 0);
        return from_utf16le(response.bytes);
    }

    std::string folder;
    std::string socket_path;
    FakeClock clock;
    HostComputerName computer_name;
    std::unique_ptr<UnixPipeTransport> transport;
    std::unique_ptr<ChildProcess> listener;
};

}  // namespace zelkon
