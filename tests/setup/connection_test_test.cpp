// Stage 26: each machine lists the job folder as it reaches it, or fails.
#include "server_setup_fixture.h"

namespace zelkon {
namespace {

// A machine fails when no listing comes (an old one does not count), its start fails, or its
// shell cannot find the task program.
TEST_F(ServerSetupTest, AMachineWhoseListingDoesNotComeFails) {
    const std::pair<std::function<void(ServerSetupTest&)>, std::string> cases[] = {
        {[](ServerSetupTest& t) { t.fake.management.on_create = nullptr; }, ""},
        {[](ServerSetupTest& t) {
             t.fake.files.add_file(kListing, "left by an earlier run");
             t.fake.management.on_create = nullptr;
         },
         ""},
        {[](ServerSetupTest& t) { t.fake.management.fail_creates("nodeB", 255); }, ""},
        {[](ServerSetupTest& t) {
             t.fake.management.on_create = [&t](const CreatedProcess& process) {
                 t.fake.files.add_file(kListing, process.host == "nodeB"
                                                     ? "a.zcd\nprogram not found: "
                                                       "zelkon_cluster_task\n"
                                                     : "a.zcd\n");
             };
         },
         "zelkon_cluster_task was not found on nodeB\r\n"},
    };
    for (const auto& [arrange, said] : cases) {
        ServerSetupTest fresh;
        arrange(fresh);
        fresh.controls.Text_server.text = "CONTROL1\r\nnodeB/2";
        std::int64_t before = fresh.fake.clock.tick_ms();
        fresh.run_stages();
        EXPECT_EQ(fresh.red_rows(), (std::vector<std::string>{"nodeB/0/0", "nodeB/1/0"})) << said;
        EXPECT_EQ(fresh.setup.failed_task_servers, 2);
        EXPECT_NE(fresh.info().find(said), std::string::npos) << fresh.info();
        if (fresh.fake.management.on_create == nullptr) {
            // The listing is awaited about 600 ms.
            EXPECT_GE(fresh.fake.clock.tick_ms() - before, 600);
        }
    }
}

// A listener that answers badly, or not at all, fails its machine before the listing.
TEST_F(ServerSetupTest, WithRpcTheListenersAnswerDecidesWhetherTheMachineIsTested) {
    const std::pair<const char*, bool> cases[] = {
        {"Server: CONTROL1 Max pipes: 2", true},
        {"Server: CONTROL1 Max pipes: 1", false},
        {nullptr, false},  // no listener at all
    };
    for (const auto& [reply, passes] : cases) {
        ServerSetupTest fresh;
        fresh.use_rpc();
        fresh.controls.Text_server.text = "CONTROL1/2";
        FakeListener* listener = reply ? &fresh.listen("", 2) : nullptr;
        if (listener) {
            listener->num_pipes_reply = reply;
        }
        fresh.run_stages();
        EXPECT_EQ(fresh.red_rows().size(), passes ? 0u : 2u) << (reply ? reply : "none");
        if (listener) {
            EXPECT_EQ(listener->requests.size(), passes ? 2u : 1u);
        }
    }
}

// The test lets events run; a second click must not start a set-up inside it.
TEST_F(ServerSetupTest, TheStartButtonsAreHeldWhileTheTestLetsEventsRun) {
    std::vector<bool> enabled_at_yields;
    fake.events.on_yield = [&] {
        enabled_at_yields.push_back(controls.Command_start_cluster_run[0].enabled ||
                                    controls.Command_start_cluster_run[1].enabled);
    };
    run_stages();
    EXPECT_EQ(enabled_at_yields, std::vector<bool>(4, false));  // two per machine
    EXPECT_TRUE(controls.Command_start_cluster_run[0].enabled);
}

}  // namespace
}  // namespace zelkon
