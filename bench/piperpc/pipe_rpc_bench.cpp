// Round trips of the pipe component against the real zelkon-listener, on an
// open local pipe and through --dial, and the listener's CPU use when idle.
// PIPERPC_BENCH_SSH_COMMAND and PIPERPC_BENCH_HOST send --dial through a real
// ssh login instead of the local stand-in.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "piperpc/pipe_rpc.h"
#include "platform/fake/fake_clock.h"
#include "platform/posix_system_info.h"
#include "platform/unix_pipe_transport.h"

namespace zelkon {
namespace {

constexpr char kPipe[] = "Zelkon_Bench";

// A listener in a pipe folder of its own, for the length of one benchmark.
class BenchListener {
  public:
    BenchListener() {
        char pattern[] = "/tmp/zelkon-bench-XXXXXX";
        folder_ = mkdtemp(pattern);
        setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
        pid_ = fork();
        if (pid_ == 0) {
            int null_fd = open("/dev/null", O_RDWR);
            dup2(null_fd, STDOUT_FILENO);
            dup2(null_fd, STDERR_FILENO);
            execl(ZELKON_LISTENER_PATH, ZELKON_LISTENER_PATH, "--pipe", kPipe, "--max-clients", "4",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        std::string socket = folder_ + "/piperpc/" + kPipe;
        while (!std::filesystem::exists(socket)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~BenchListener() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        std::filesystem::remove_all(folder_);
    }
    UnixPipeConfig config(bool remote) const {
        UnixPipeConfig config = UnixPipeConfig::from_environment();
        if (remote) {
            // A real ssh may be named; by default a stand-in runs the bridge here.
            const char* ssh = std::getenv("PIPERPC_BENCH_SSH_COMMAND");
            config.ssh = SshOptions::from_command(ssh != nullptr ? ssh : LOCAL_SSH_PATH);
            config.dial_command =
                "env XDG_RUNTIME_DIR=" + folder_ + " " + ZELKON_LISTENER_PATH + " --dial";
        }
        return config;
    }
    // CPU seconds the listener has used so far.
    double cpu_seconds() const {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        std::string field;
        long ticks = 0;
        for (int i = 1; i <= 15 && stat >> field; ++i) {
            if (i == 14 || i == 15) {
                ticks += std::stol(field);
            }
        }
        return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

  private:
    std::string folder_;
    pid_t pid_ = -1;
};

// A 100-byte request that the listener answers without starting anything.
ByteArray hundred_byte_request() {
    ByteArray request = ByteArray::with_bounds(0, 99);
    request.bytes[0] = 1;  // a control character: refused, not run
    return request;
}

void round_trips(benchmark::State& state, bool remote) {
    BenchListener listener;
    UnixPipeTransport transport(listener.config(remote));
    FakeClock clock;
    HostComputerName name;
    PipeRPC client(transport, clock, name);
    client.SetPipeName(kPipe);
    const char* host = std::getenv("PIPERPC_BENCH_HOST");
    client.SetServer(!remote ? "." : host != nullptr ? host : "benchhost");
    if (client.OpenPipe() != 0) {
        state.SkipWithError("the listener could not be reached");
        return;
    }
    ByteArray request = hundred_byte_request();
    for (auto _ : state) {
        ByteArray response = ByteArray::with_bounds(0, 255);
        if (client.PipeCall(request, response) != 0) {
            state.SkipWithError("an exchange failed");
            break;
        }
        benchmark::DoNotOptimize(response.bytes.data());
    }
    state.counters["round_trips_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_LocalOpenPipeRoundTrip(benchmark::State& state) {
    round_trips(state, false);
}
BENCHMARK(BM_LocalOpenPipeRoundTrip)->UseRealTime()->MinTime(2.0);

void BM_DialRoundTrip(benchmark::State& state) {
    round_trips(state, true);
}
BENCHMARK(BM_DialRoundTrip)->UseRealTime()->MinTime(2.0);

void BM_LocalOpenAndClose(benchmark::State& state) {
    BenchListener listener;
    UnixPipeTransport transport(listener.config(false));
    FakeClock clock;
    HostComputerName name;
    PipeRPC client(transport, clock, name);
    client.SetPipeName(kPipe);
    for (auto _ : state) {
        if (client.OpenPipe() != 0) {
            state.SkipWithError("the listener could not be reached");
            break;
        }
        client.ClosePipe();
    }
    state.counters["opens_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LocalOpenAndClose)->UseRealTime()->MinTime(1.0);

// The listener's share of one processor while nobody calls, over 3 seconds.
void BM_ListenerIdleCpu(benchmark::State& state) {
    BenchListener listener;
    double used = 0;
    for (auto _ : state) {
        double before = listener.cpu_seconds();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        used = listener.cpu_seconds() - before;
    }
    state.counters["idle_cpu_percent"] = used / 3.0 * 100.0;
}
BENCHMARK(BM_ListenerIdleCpu)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelkon

BENCHMARK_MAIN();
