#include "engine_fixture.h"
#include "piperpc/utf16.h"

namespace zelkon {
namespace {

// Task servers started through their pipes, with a listener on the same
// fake clock that records what it is asked and answers briefly.
class PipeStartTest : public EngineTest {
  protected:
    void SetUp() override {
        seed_run({{"nodeA", 2, 0}}, 1);
        form.job.use_rpc = true;
        for (std::int32_t i = 1; i <= form.servers.num_task_servers(); ++i) {
            auto pipe = std::make_unique<PipeRPC>(fake.pipes, fake.clock, fake.computer_name);
            pipe->SetPipeName("Zelkon_Server");
            form.channels.PipeRPC_Zelkon.push_back(std::move(pipe));
        }
    }

    void listen() {
        listener.SetPipeName("Zelkon_Server");
        listener.SetMaxClients(4);
        listener.Called = [this](int, ByteArray& request, ByteArray& response) {
            requests.push_back(request.bytes);
            response = ByteArray::of(to_utf16le("Started"));
        };
        listener.Listen();
    }

    PipeRPC listener{fake.pipes, fake.clock, fake.computer_name};
    std::vector<std::vector<std::uint8_t>> requests;
};

TEST_F(PipeStartTest, TheCommandGoesToTheListenerAsUtf16WithoutTerminator) {
    listen();
    tick();
    ASSERT_EQ(requests.size(), 1u);
    std::string command =
        "zelkon_cluster_task /net/CONTROL1/data/Work/Job_12/zelkon_cluster_000012.zcd 1 1 100";
    EXPECT_EQ(requests[0], to_utf16le(command));
    EXPECT_EQ(requests[0].size(), 2 * command.size());
    EXPECT_TRUE(form.servers.task_servers[1].busy);
    EXPECT_TRUE(fake.management.created.empty());
}

TEST_F(PipeStartTest, ANonZeroPipeResultIsAFailedStartAndTheNextServerTries) {
    // Nobody listens: both servers fail, and the task still waits.
    tick();
    EXPECT_TRUE(form.servers.task_servers[1].failed);
    EXPECT_TRUE(form.servers.task_servers[2].failed);
    EXPECT_EQ(form.tasks.cluster_task[1].state, TaskState::waiting);
    EXPECT_TRUE(fake.dialogs.messages.empty());
}

TEST_F(PipeStartTest, AMissingPipeElementEndsTheRunInsteadOfReachingAnotherServer) {
    form.channels.PipeRPC_Zelkon.clear();
    tick();
    ASSERT_EQ(fake.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fake.dialogs.messages[0].starts_with(
        "An error was encountered while running the calculation: "));
    EXPECT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::error});
}

}  // namespace
}  // namespace zelkon
