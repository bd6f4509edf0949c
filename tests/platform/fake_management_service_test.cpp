#include "platform/fake/fake_management_service.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace zelkon {
namespace {

TEST(FakeManagementService, UnreachableAndSlowMachinesBehaveAsTold) {
    FakeClock clock;
    FakeManagementService service(&clock);
    service.make_unreachable("nodeX", "ssh: Could not resolve hostname nodeX");
    service.make_slow("nodeS", 1500);
    try {
        service.connect("nodeX");
        FAIL() << "an unreachable machine was reached";
    } catch (const ZelkonError& error) {
        EXPECT_EQ(error.description(), "ssh: Could not resolve hostname nodeX");
    }
    EXPECT_NE(service.connect("nodeS"), nullptr);
    EXPECT_EQ(clock.tick_ms(), 1500);
    service.make_reachable("nodeX");
    EXPECT_NE(service.connect("nodeX"), nullptr);
    EXPECT_EQ(service.connects, (std::vector<std::string>{"nodeX", "nodeS", "nodeX"}));
}

TEST(FakeManagementService, RecordsEveryCreateAndRunsEachSuccessfulOneOnce) {
    FakeManagementService service;
    service.fail_creates("nodeB", 255);
    auto a = service.connect("nodeA");
    auto b = service.connect("nodeB");
    int first = 0;
    int second = 0;
    int failed = -1;
    EXPECT_EQ(a->Create("task 1", "/w/", first), 0);
    EXPECT_EQ(b->Create("task 2", "/w/", failed), 255);
    EXPECT_EQ(a->Create("task 3", "/v/", second), 0);
    EXPECT_GT(second, first);
    EXPECT_EQ(failed, -1);
    ASSERT_EQ(service.created.size(), 3u);
    EXPECT_EQ(service.created[1].host, "nodeB");
    EXPECT_EQ(service.created[1].code, 255);

    std::vector<std::string> ran;
    auto run = [&](const CreatedProcess& process) { ran.push_back(process.command_line); };
    EXPECT_EQ(service.run_pending(run), 2);
    EXPECT_EQ(service.run_pending(run), 0);
    EXPECT_EQ(ran, (std::vector<std::string>{"task 1", "task 3"}));
}

}  // namespace
}  // namespace zelkon
