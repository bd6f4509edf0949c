// Answers and started commands are shown by the program tests; this is what they cannot do.
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

TEST_F(ListenerServiceTest, AFailedStartIsReportedInAReplyTheControllerCanHold) {
    processes.fail_starts = true;
    std::vector<std::uint8_t> reply = service.answer(0, to_utf16le(std::string(400, 'x')));
    EXPECT_EQ(from_utf16le(reply).rfind("Error: ", 0), 0u);
    EXPECT_LE(reply.size(), 256u);
}

// Nothing, an odd number of bytes, a lone surrogate, a tab (where the shell
// would split) or a delete character.
TEST_F(ListenerServiceTest, BytesThatAreNotTextNeverReachTheShell) {
    for (const std::vector<std::uint8_t>& request :
         std::vector<std::vector<std::uint8_t>>{{},
                                                {'l', 0, 's'},
                                                {0x00, 0xD8, 'x', 0},
                                                {'l', 0, 's', 0, '\t', 0, '/', 0},
                                                {'l', 0, 's', 0, 0x7f, 0}}) {
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
