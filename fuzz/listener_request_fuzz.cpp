// A request that reaches a task server's listener: any bytes a client sends.
// A fake process starter records what would be started; nothing runs.
#include <sstream>

#include "apps/listener/listener_service.h"
#include "fuzz_support.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_process_starter.h"
#include "platform/fake/fake_services.h"

using namespace zelkon;

namespace {

// The controller offers 256 bytes for a reply.
constexpr std::size_t kLongestReply = 256;

bool fit_for_a_shell(const std::string& command) {
    for (unsigned char c : command) {
        if (c < 0x20 || c == 0x7f) {
            return false;
        }
    }
    return !command.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FakeProcessStarter processes;
    FakeComputerName name;
    FakeClock clock;
    std::ostringstream log;
    ListenerService service(processes, name, clock, log, 6);

    std::vector<std::uint8_t> request(data, data + size);
    std::vector<std::uint8_t> reply = service.answer(1, request);
    fuzz::require(reply.size() <= kLongestReply && reply.size() % 2 == 0,
                  "a reply is whole UTF-16 units the controller can hold");
    fuzz::require(processes.started.size() <= 1, "one request starts one command at most");
    for (const auto& started : processes.started) {
        fuzz::require(fit_for_a_shell(started.command_line),
                      "a started command line holds no control character");
    }
    std::string logged = log.str();
    fuzz::require(logged.find('\n') == logged.size() - 1, "a request is one line of the log");
    return 0;
}
