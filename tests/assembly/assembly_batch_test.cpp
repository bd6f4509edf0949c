// When a batch of completed tasks starts, which tasks it holds, and how the
// assembly program is started on this computer.

#include "assembly_fixture.h"

namespace zelkon {
namespace {

struct BatchCase {
    const char* what;
    int servers, assembled, first_complete, last_complete;
    bool stopped;
    const char* command_rest;  // null: held back, nothing started
    const char* ierr;
    int hang_checks;
};

const BatchCase kBatchCases[] = {
    {"ten of a hundred on four servers wait", 4, 0, 1, 10, false, nullptr, "1", 1},
    {"sixteen start", 4, 0, 1, 16, false, "1 node1/1 16", "0", 0},
    {"thirty-nine wait for forty servers", 40, 0, 1, 39, false, nullptr, "1", 1},
    {"forty start on forty servers", 40, 0, 1, 40, false, "1 node1/1 40", "0", 0},
    {"the last four start at once", 4, 96, 97, 100, false, "97 node1/1 4", "0", 0},
    {"after Stop a single task starts, without a count", 4, 0, 1, 1, true, "1 node1/1", "0", 0},
    {"the next task still running holds everything", 4, 0, 2, 40, false, nullptr, "0", 1},
    {"all assembled starts nothing", 4, 100, 1, 100, false, nullptr, "0", 0},
};

class BatchRule : public AssemblyTest, public ::testing::WithParamInterface<BatchCase> {};

TEST_P(BatchRule, StartsAtSixteenOrOnePerServerOrTheLastTasksOrAfterStop) {
    const BatchCase& c = GetParam();
    seed(100, c.servers);
    complete(c.first_complete, c.last_complete);
    tasks.last_assembled_task = c.assembled;
    run.run_terminated = c.stopped;
    EXPECT_EQ(assemble(), c.ierr);
    EXPECT_EQ(hang.calls, c.hang_checks);
    EXPECT_EQ(assembly_state.assembly_running, c.command_rest != nullptr);
    EXPECT_EQ(tasks.last_assembled_task, c.assembled + (c.command_rest != nullptr ? 1 : 0));
    ASSERT_EQ(starts(), c.command_rest != nullptr ? 1 : 0);
    if (c.command_rest != nullptr) {
        EXPECT_EQ(last_start().command_line, command(c.command_rest));
    }
}

INSTANTIATE_TEST_SUITE_P(Assembly, BatchRule, ::testing::ValuesIn(kBatchCases));

// A gap ends the batch; stale markers and an old error file go before it starts.
TEST_F(AssemblyTest, ABatchMarksItsTasksUpToAGapAndWritesTheStartToTheProcessLog) {
    seed(100, 4);
    complete(3, 20);
    complete(22, 40);
    tasks.cluster_task[21].state = TaskState::running;
    tasks.last_assembled_task = 2;
    fake.files.add_file(marker(3), "");  // left from an earlier run
    fake.files.add_file(marker(18), "");
    fake.files.add_file(kErrorFile, "an earlier failure\r\n");
    assemble();
    ASSERT_EQ(starts(), 1);
    EXPECT_EQ(last_start().folder, kInversion);
    EXPECT_EQ(last_start().command_line, command("3 node3/1 18"));
    EXPECT_FALSE(fake.files.file_exists(marker(3)));
    EXPECT_FALSE(fake.files.file_exists(marker(18)));
    EXPECT_FALSE(fake.files.file_exists(kErrorFile));
    for (int t = 3; t <= 22; ++t) {
        EXPECT_EQ(tasks.cluster_task[t].state, t <= 20   ? TaskState::in_assembly
                                               : t == 21 ? TaskState::running
                                                         : TaskState::complete);
        EXPECT_EQ(tasks.cluster_task[t].in_batch, t < 20 ? 1 : 0) << t;
    }
    EXPECT_EQ(assembly_state.assembly_process_id, last_start().process_id);
    EXPECT_EQ(process_log_lines(),
              (std::vector<std::string>{
                  " Start cluster assembly 3 node3/1 18",
                  " " + std::to_string(last_start().process_id) + " " + command("3 node3/1 18")}));
}

// A marker that stays would count its task as merged before the assembly
// reaches it: the batch does not start, and the run ends with the error.
TEST_F(AssemblyTest, AMarkerThatCannotBeDeletedStopsTheBatchWithAnError) {
    seed(100, 4);
    complete(1, 16);
    fake.files.add_file(marker(7), "");
    fake.files.set_read_only(marker(7));
    EXPECT_EQ(assemble(), "Path/File access error: " + marker(7));
    EXPECT_EQ(starts(), 0);
    EXPECT_FALSE(assembly_state.assembly_running);
}

// An assembly that merged its batch but never exits would hold back every
// later batch: past the limit it is ended, and the next batch starts.
TEST_F(AssemblyTest, AnAssemblyHungOnItsWayOutIsEndedAfterTheLimit) {
    seed(40, 4);
    complete(1, 16);
    assemble();
    int hung = last_start().process_id;
    for (int t = 1; t <= 16; ++t) {
        merge(t);
    }
    assemble();
    ASSERT_FALSE(assembly_state.assembly_running);
    complete(17, 32);
    fake.clock.sleep_ms(kAssemblyExitLimitMs);
    EXPECT_EQ(assemble(), "1");
    EXPECT_EQ(starts(), 1) << "still within the limit";
    fake.clock.sleep_ms(1);
    assemble();
    EXPECT_EQ(fake.processes.ended, std::vector<int>{hung});
    EXPECT_EQ(starts(), 2);
    EXPECT_TRUE(process_log_has(" Cluster assembly process " + std::to_string(hung) +
                                " still running 60 s after its batch was merged, ended"));
}

}  // namespace
}  // namespace zelkon
