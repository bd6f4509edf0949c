// An assembly that ends without merging the awaited task is started again.

#include "assembly_fixture.h"

namespace zelkon {
namespace {

class Restart : public AssemblyTest {
  protected:
    // A run of 100 tasks on four servers whose batch of tasks 1..16 has started.
    void SetUp() override {
        seed(100, 4);
        complete(1, 16);
        assemble();
    }
    // The first start and three restarts fail, each leaving this reason in the error file.
    void fail_every_start(const std::string& reason) {
        fake.processes.on_start = [this, reason](const FakeProcessStarter::Started& process) {
            if (!reason.empty()) {
                fake.files.add_file(kErrorFile, "14:05:09 " + reason + "\r\nmore\r\n");
            }
            fake.processes.finish(process.process_id, 1);
        };
        fake.processes.finish(assembly_state.assembly_process_id, 71);
        for (int restart = 1; restart <= 3; ++restart) {
            EXPECT_EQ(assemble(), "0") << "restart " << restart;
        }
        EXPECT_EQ(starts(), 4);
    }
};

TEST_F(Restart, AfterThreeRestartsTheRunEndsWithTheAssemblysReason) {
    fail_every_start("zelkon_cluster_assemble: Error: the piece P does not exist");
    EXPECT_EQ(assemble(),
              "The assembly of task 1 failed: 14:05:09 zelkon_cluster_assemble: Error: the piece "
              "P does not exist");
    EXPECT_EQ(starts(), 4);
}

// An error file left from before the batch is not this failure's reason.
TEST_F(Restart, WithoutAnErrorFileTheMessageSaysHowOftenItFailed) {
    fake.files.add_file(kErrorFile, "14:00:00 an earlier failure\r\n");
    fail_every_start("");
    EXPECT_EQ(assemble(),
              "The assembly of task 1 failed: the assembly ended 4 times without merging it");
}

TEST_F(Restart, EachAwaitedTaskHasItsOwnThreeRestarts) {
    fail_every_start("");
    merge(1);  // the fourth start merged task 1, then ended
    EXPECT_EQ(assemble(), "0");
    EXPECT_EQ(std::tuple(tasks.last_assembled_task, last_command()),
              std::tuple(2, command("2 node2/1 15")));
}

// A new run must not start an assembly while the last run's one still works.
TEST_F(Restart, ANewBatchWaitsForTheAssemblyOfAStoppedRun) {
    merge(1);
    run.run_terminated = true;
    assemble();
    EXPECT_FALSE(assembly_state.assembly_running);
    run.run_terminated = false;  // the next run, continuing the matrix
    tasks.last_assembled_task = 1;
    complete(2, 20);
    for (int t = 2; t <= 20; ++t) {
        tasks.cluster_task[t].in_batch = 0;
    }
    EXPECT_EQ(std::tuple(assemble(), starts()), std::tuple("1", 1));
    fake.processes.finish(fake.processes.started[0].process_id);
    EXPECT_EQ(assemble(), "0");
    EXPECT_EQ(last_command(), command("2 node2/1 19"));
}

}  // namespace
}  // namespace zelkon
