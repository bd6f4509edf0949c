// Stage 26: unusable servers, the semaphore file and the connection test.
#include "controller/listing_command.h"
#include "server_setup_fixture.h"

namespace zelkon {
namespace {

TEST_F(ServerSetupTest, EachMachineListsTheControllersJobFolderWhereItReachesIt) {
    form.controls.Text_server.text = "nodeA/2\r\nCONTROL1";
    test_setup();
    ASSERT_EQ(fake.management.created.size(), 1u);
    EXPECT_EQ(fake.management.created[0].command_line,
              listing_command("/net/CONTROL1/data/Work/Job_12/", {"zelkon_cluster_task"}));
    EXPECT_EQ(fake.management.created[0].folder, "/net/CONTROL1/data/Work/Job_12/");
    ASSERT_EQ(fake.processes.started.size(), 2u);  // the init, then the listing here
    EXPECT_EQ(
        fake.processes.started[1].command_line,
        listing_command("/data/Work/Job_12/", {"zelkon_cluster_task", "zelkon_cluster_assemble"}));
    EXPECT_EQ(fake.processes.started[1].folder, "/data/Work/Job_12");
    EXPECT_EQ(form.channels.server_process_id[0], fake.management.created[0].process_id);
    EXPECT_FALSE(fake.files.file_exists(kListing));  // each listing is removed once seen
    EXPECT_EQ(only_message(), "Setup appears to be correct");
}

struct ListenerCase {
    const char* name;
    const char* reply;  // to "Num pipes:"; null: no listener at all
    bool passes;
};

// A listener that answers badly, or not at all, fails its machine before the
// listing is sent (how a reply is read is proven with the reply alone).
TEST(ListenerAnswer, DecidesWhetherTheMachineIsTested) {
    const ListenerCase cases[] = {
        {"correct", "Server: CONTROL1 Max pipes: 2", true},
        {"too few pipes", "Server: CONTROL1 Max pipes: 1", false},
        {"Error", "Error", false},
        {"not running", nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        Form_zelkon_cluster_controller form{fake.bundle()};
        prepare_valid_settings(fake, form, "CONTROL1/2", "100");
        fake.processes.on_start = [&fake](const FakeProcessStarter::Started& process) {
            if (process.command_line.starts_with("zelkon ")) {
                fake.files.add_file("/inv/demo/zelkon_cluster_init_12.log",
                                    "Number of observed data: 10\r\nNumber of Components: 1\r\n"
                                    "Data type, restart: 1\r\nData type: gz\r\n"
                                    "Cluster File: c.zcd\r\n");
                fake.files.add_file("/inv/demo/c.zcd", "");
            }
        };
        form.controls.Check_use_RPC.value = 1;
        std::unique_ptr<FakeListener> listener;
        if (c.reply) {
            listener = std::make_unique<FakeListener>(fake, "", 2, [&fake](const std::string&) {
                fake.files.add_file("/data/Work/Job_12/dir.lst", "listing");
            });
            listener->num_pipes_reply = c.reply;
        }
        form.Command_start_cluster_run_Click(0);
        ASSERT_FALSE(fake.dialogs.messages.empty());
        EXPECT_EQ(fake.dialogs.messages.back() == "Setup appears to be correct", c.passes)
            << fake.dialogs.messages.back();
        auto red = unusable_task_servers(form.controls.Grid_server_stats);
        EXPECT_EQ(red.size(), c.passes ? 0u : 2u);
        if (listener) {
            EXPECT_EQ(listener->commands().size(), c.passes ? 1u : 0u);
        }
    }
}

TEST_F(ServerSetupTest, AListingThatDoesNotAppearInTimeFailsTheMachine) {
    form.controls.Text_server.text = "nodeA/2\r\nCONTROL1";
    fake.management.on_create = nullptr;  // nodeA starts it, but nothing appears
    std::int64_t before = fake.clock.tick_ms();
    test_setup();
    EXPECT_EQ(red_rows(), (std::vector<std::string>{"nodeA/0/0", "nodeA/1/0"}));
    EXPECT_TRUE(form.servers.task_servers[1].failed);
    EXPECT_TRUE(form.servers.task_servers[2].failed);
    EXPECT_FALSE(form.servers.task_servers[3].failed);
    EXPECT_EQ(form.servers.machines[1].first_task_server, 1);  // its table stays whole
    // Per machine about 100 ms, up to 5 x 100 ms of looking, and 100 ms.
    EXPECT_GE(fake.clock.tick_ms() - before, 700 + 200);
    EXPECT_EQ(only_message(),
              "Setup appears to be correct, but not all of the requested task servers were "
              "opened\r\nCheck that the RPC listener program has enough clients enabled");
}

// A listing that an earlier run left behind must not pass a machine whose
// own listing never comes.
TEST_F(ServerSetupTest, AStaleListingIsRemovedBeforeAMachineIsTested) {
    fake.files.add_file(kListing, "left by an earlier run");
    fake.management.on_create = [this](const CreatedProcess& process) {
        if (process.host == "nodeB") {
            run_listing(process.command_line);
        }
    };
    test_setup();
    EXPECT_EQ(red_rows(), (std::vector<std::string>{"nodeA/0/0", "nodeA/1/0"}));
}

TEST_F(ServerSetupTest, AListingThatCannotBeRemovedEndsTheSetUpAtStage26) {
    fake.management.on_create = [this](const CreatedProcess& process) {
        run_listing(process.command_line);
        fake.files.set_read_only(kListing);
    };
    test_setup();
    EXPECT_EQ(only_message(),
              "An error occurred while setting up the cluster run: Path/File access error: "
              "/data/Work/Job_12/dir.lst at stage 26 while performing action: Test the server "
              "conections");
}

// A task that cannot start dies without a word; the test finds that first.
TEST_F(ServerSetupTest, AMachineWhoseShellCannotFindTheTaskProgramFailsAndSaysSo) {
    form.controls.Text_server.text = "nodeA/2\r\nCONTROL1";
    fake.management.on_create = [this](const CreatedProcess&) {
        fake.files.add_file(kListing, "/x/a.zcd\nprogram not found: zelkon_cluster_task\n");
    };
    test_setup();
    EXPECT_EQ(red_rows(), (std::vector<std::string>{"nodeA/0/0", "nodeA/1/0"}));
    EXPECT_NE(info().find("zelkon_cluster_task was not found on nodeA\r\n"), std::string::npos)
        << info();
}

TEST_F(ServerSetupTest, AMachineWhoseStartFailsIsNotWaitedFor) {
    fake.management.fail_creates("nodeA", 255);
    test_setup();
    EXPECT_EQ(red_rows(), (std::vector<std::string>{"nodeA/0/0", "nodeA/1/0"}));
    EXPECT_EQ(fake.management.created.size(), 2u);
}

// The test lets events run; a second click must not start a set-up inside it.
TEST_F(ServerSetupTest, TheStartButtonsAreHeldWhileTheTestLetsEventsRun) {
    std::vector<bool> enabled_at_yields;
    fake.events.on_yield = [&] {
        enabled_at_yields.push_back(form.controls.Command_start_cluster_run[0].enabled ||
                                    form.controls.Command_start_cluster_run[1].enabled);
    };
    test_setup();
    ASSERT_EQ(enabled_at_yields.size(), 4u);  // two per machine
    EXPECT_EQ(enabled_at_yields, std::vector<bool>(4, false));
    EXPECT_TRUE(form.controls.Command_start_cluster_run[0].enabled);
    EXPECT_TRUE(form.controls.Command_start_cluster_run[1].enabled);
}

}  // namespace
}  // namespace zelkon
