#include "apps/listener/listener_service.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "piperpc/utf16.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_process_starter.h"
#include "platform/fake/fake_services.h"

namespace zelkon {
namespace {

class ListenerServiceTest : public ::testing::Test {
  protected:
    std::string ask(const std::vector<std::uint8_t>& request) {
        return from_utf16le(service.answer(2, request));
    }

    FakeProcessStarter processes;
    FakeComputerName name;
    FakeClock clock;
    std::ostringstream log;
    ListenerService service{processes, name, clock, log, 6};
};

// Answers and started commands are shown by the program tests; this is what they cannot do.
TEST_F(ListenerServiceTest, AFailedStartIsReportedInAReplyTheControllerCanHold) {
    processes.fail_starts = true;
    std::vector<std::uint8_t> reply = service.answer(0, to_utf16le(std::string(400, 'x')));
    EXPECT_EQ(from_utf16le(reply).rfind("Error: ", 0), 0u);
    EXPECT_LE(reply.size(), 256u);
}

TEST_F(ListenerServiceTest, BytesThatAreNotTextNeverReachTheShell) {
    std::vector<std::vector<std::uint8_t>> bad = {
        {},                                         // nothing
        {'l', 0, 's'},                              // an odd number of bytes
        {0x00, 0xD8, 'x', 0},                       // a lone surrogate
        {'l', 0, 's', 0, '\n', 0, 'r', 0, 'm', 0},  // a second line
        {'a', 0, 0, 0, 'b', 0},                     // a NUL character
        {'l', 0, 's', 0, '\t', 0, '/', 0},          // a tab, where the shell would split
        {'l', 0, 's', 0, 0x7f, 0}};                 // a delete character
    for (const auto& request : bad) {
        EXPECT_EQ(ask(request).rfind("Error: ", 0), 0u);
    }
    EXPECT_TRUE(processes.started.empty());
}

TEST_F(ListenerServiceTest, EachRequestIsOneLogLineWithItsTimeAndReply) {
    ask(to_utf16le("Num pipes:"));
    ask(to_utf16le("x\n2026-12-06 00:00:00 forged"));
    std::string text = log.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
    EXPECT_EQ(text.rfind("2026-12-0", 0), 0u) << text;
    EXPECT_NE(text.find("pipe 2: Num pipes: -> Server: CONTROL1 Max pipes: 6\n"), std::string::npos)
        << text;
}

}  // namespace
}  // namespace zelkon
