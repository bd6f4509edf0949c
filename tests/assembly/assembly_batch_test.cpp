// When a batch of completed tasks starts, which tasks it holds, and how.

#include "assembly_fixture.h"

namespace zelkon {
namespace {

struct BatchCase {
    int servers, assembled, first_complete, last_complete;
    bool stopped;
    const char* command_rest;  // null: held back, nothing started
    const char* ierr;
    int hang_checks;
};

class BatchRule : public AssemblyTest, public ::testing::WithParamInterface<BatchCase> {};

TEST_P(BatchRule, StartsAtSixteenOrOnePerServerOrTheLastTasksOrAfterStop) {
    const BatchCase& c = GetParam();
    seed(100, c.servers);
    complete(c.first_complete, c.last_complete);
    tasks.last_assembled_task = c.assembled;
    run.run_terminated = c.stopped;
    EXPECT_EQ(assemble(), c.ierr);
    bool started = c.command_rest != nullptr;
    EXPECT_EQ(std::tuple(hang.calls, assembly_state.assembly_running, tasks.last_assembled_task),
              std::tuple(c.hang_checks, started, c.assembled + (started ? 1 : 0)));
    ASSERT_EQ(starts(), started ? 1 : 0);
    EXPECT_EQ(started ? last_command() : "", started ? command(c.command_rest) : "");
}

INSTANTIATE_TEST_SUITE_P(
    Assembly, BatchRule,
    ::testing::Values(BatchCase{4, 0, 1, 10, false, nullptr, "1", 1},  // ten of a hundred wait
                      BatchCase{4, 0, 1, 16, false, "1 node1/1 16", "0", 0},
                      BatchCase{40, 0, 1, 39, false, nullptr, "1", 1},  // one per server
                      BatchCase{40, 0, 1, 40, false, "1 node1/1 40", "0", 0},
                      BatchCase{4, 96, 97, 100, false, "97 node1/1 4", "0", 0},  // the last ones
                      BatchCase{4, 0, 1, 1, true, "1 node1/1", "0", 0},  // after Stop, no count
                      BatchCase{4, 0, 2, 40, false, nullptr, "0", 1},    // task 1 still runs
                      BatchCase{4, 100, 1, 100, false, nullptr, "0", 0}));

// A gap ends the batch; stale markers and an old error file go before it starts.
TEST_F(AssemblyTest, ABatchMarksItsTasksUpToAGap) {
    seed(100, 4);
    complete(3, 20);
    complete(22, 40);
    tasks.last_assembled_task = 2;
    for (const std::string& stale : {marker(3), marker(18), std::string(kErrorFile)}) {
        fake.files.add_file(stale, "");
    }
    assemble();
    ASSERT_EQ(starts(), 1);
    EXPECT_EQ(last_command(), command("3 node3/1 18"));
    EXPECT_FALSE(fake.files.file_exists(marker(3)) || fake.files.file_exists(marker(18)) ||
                 fake.files.file_exists(kErrorFile));
    for (int t = 3; t <= 22; ++t) {
        EXPECT_EQ(tasks.cluster_task[t].state, t <= 20   ? TaskState::in_assembly
                                               : t == 21 ? TaskState::waiting
                                                         : TaskState::complete);
        EXPECT_EQ(tasks.cluster_task[t].in_batch, t < 20 ? 1 : 0) << t;
    }
    EXPECT_EQ(assembly_state.assembly_process_id, fake.processes.started[0].process_id);
}

// A stale marker would count its task as merged too early: an error, no start.
TEST_F(AssemblyTest, AMarkerThatCannotBeDeletedStopsTheBatchWithAnError) {
    seed(100, 4);
    complete(1, 16);
    fake.files.add_file(marker(7), "");
    fake.files.set_read_only(marker(7));
    EXPECT_EQ(assemble(), "Path/File access error: " + marker(7));
    EXPECT_EQ(starts(), 0);
    EXPECT_FALSE(assembly_state.assembly_running);
}

// An assembly that never exits after its batch would hold back every later one.
TEST_F(AssemblyTest, AnAssemblyHungOnItsWayOutIsEndedAfterTheLimit) {
    seed(40, 4);
    complete(1, 16);
    assemble();
    int hung = fake.processes.started[0].process_id;
    for (int t = 1; t <= 16; ++t) {
        merge(t);
    }
    assemble();
    complete(17, 32);
    fake.clock.sleep_ms(kAssemblyExitLimitMs);
    EXPECT_EQ(std::tuple(assemble(), starts()), std::tuple("1", 1));  // still within the limit
    fake.clock.sleep_ms(1);
    assemble();
    EXPECT_EQ(std::tuple(fake.processes.ended, starts()), std::tuple(std::vector<int>{hung}, 2));
}

}  // namespace
}  // namespace zelkon
