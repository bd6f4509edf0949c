#include "engine/task_log.h"
#include "engine_fixture.h"

namespace zelkon {
namespace {

struct FilesCase {
    const char* what;
    bool semaphore_left;
    bool log_written;
    bool complete;
};

class CompletionFilesTest : public EngineTest, public ::testing::WithParamInterface<FilesCase> {};

TEST_P(CompletionFilesTest, ATaskIsCompleteOnlyWhenItsSemaphoreIsGoneAndItsLogExists) {
    const FilesCase& c = GetParam();
    seed_run({{"nodeA", 1, 0}}, 1);
    book_running(1, 1, 1000);
    if (c.log_written) {
        fake.files.add_file(task_file(1, ".log"), "Clock time taken: 0.01\r\n");
    }
    if (!c.semaphore_left) {
        fake.files.delete_files(task_file(1, ".sem"), true);
    }
    form.task_engine.check_for_completed_tasks();
    EXPECT_EQ(form.tasks.cluster_task[1].state == TaskState::complete, c.complete);
    EXPECT_EQ(form.servers.task_servers[1].busy, !c.complete);
}

INSTANTIATE_TEST_SUITE_P(Files, CompletionFilesTest,
                         ::testing::Values(FilesCase{"both_there", true, true, false},
                                           FilesCase{"semaphore_gone_no_log", false, false, false},
                                           FilesCase{"log_and_no_semaphore", false, true, true}),

                         [](const auto& info) { return std::string(info.param.what); });

// A task that cannot run keeps its semaphore and leaves an .err file (its
// own, or its wrapper's): it is offered again at once, and a server whose
// tasks fail twice in a row, with no completion between, goes out of service.
TEST_F(EngineTest, ATaskThatLeftAnErrFileIsOfferedAgainAndTwoFailuresInARowEndItsServer) {
    seed_run({{"nodeA", 1, 0}}, 3);
    const std::string reason = "exited with status 127: zelkon_cluster_task: not found";
    auto fail = [&](std::int32_t task) {
        book_running(1, task, 0);
        fake.files.add_file(task_file(task, ".err"), reason + "\n");
        form.task_engine.check_for_completed_tasks();
        EXPECT_EQ(state.cluster_task[task].state, TaskState::waiting);
        EXPECT_FALSE(state.task_servers[1].busy);
        EXPECT_FALSE(fake.files.file_exists(task_file(task, ".err")));
    };
    fail(1);
    book_running(1, 2, 0);
    finish_task(2, "Clock time taken: 0.01\r\n");
    form.task_engine.check_for_completed_tasks();
    fail(3);
    EXPECT_FALSE(state.task_servers[1].failed) << "a completion came between the failures";
    fail(1);
    EXPECT_TRUE(state.task_servers[1].failed);
    EXPECT_EQ(controls.Grid_server_stats.cell(1, 1).back_color, kColorRed);
    EXPECT_EQ(state.num_tasks_processing, 0);
    EXPECT_EQ(state.num_tasks_done, 1);
    EXPECT_EQ(state.last_task_failure, "task 1 on nodeA/0: " + reason);
    std::vector<std::string> log = process_log_lines();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0], " Task 1 failed on server nodeA/0: " + reason);
    EXPECT_EQ(log[4], " Server taken out of service, its tasks failed twice in a row: nodeA/0");
}

TEST_F(EngineTest, OneAndAHalfMinutesInNinetyFiveSecondsBooksFiveSecondsOfOverhead) {
    seed_run({{"nodeA", 1, 0}}, 1);
    book_running(1, 1, 0);
    fake.clock.sleep_ms(95000);
    finish_task(1, "Task 1\r\n  Clock time taken: 1.5 minutes\r\nEnd\r\n");
    form.task_engine.check_for_completed_tasks();

    const TaskServer& server = form.servers.task_servers[1];
    EXPECT_EQ(server.compute_ms, FixedMs::from_ms(90000));
    EXPECT_EQ(server.overhead_ms, FixedMs::from_ms(5000));
    EXPECT_EQ(server.task_elapsed_ms, FixedMs::from_ms(95000));
    EXPECT_EQ(process_log_lines(),
              std::vector<std::string>{" Job 1 complete on server nodeA/0 CPU: 90.0 Overhead: 5.0 "
                                       "Clock time taken: 1.5 minutes"});
}

TEST_F(EngineTest, ALogWithoutTheClockLineStillCompletesWithItsWallTimeAsOverhead) {
    seed_run({{"nodeA", 1, 0}}, 1);
    book_running(1, 1, 0);
    fake.clock.sleep_ms(30000);
    finish_task(1, "clock time taken: 0.4\r\n");  // lower case is not the line
    form.task_engine.check_for_completed_tasks();
    EXPECT_EQ(form.tasks.cluster_task[1].state, TaskState::complete);
    EXPECT_EQ(form.servers.task_servers[1].compute_ms, FixedMs());
    EXPECT_EQ(form.servers.task_servers[1].overhead_ms, FixedMs::from_ms(30000));
    EXPECT_EQ(process_log_lines(), std::vector<std::string>{" Job 1 complete on server nodeA/0 "
                                                            "CPU: 0.0 Overhead: 30.0 "});
}

TEST_F(EngineTest, AComputationLongerThanTheWallTimeNeverLowersTheOverhead) {
    seed_run({{"nodeA", 1, 0}}, 1);
    book_running(1, 1, 0);
    form.servers.task_servers[1].overhead_ms = FixedMs::from_ms(700);
    fake.clock.sleep_ms(50000);
    finish_task(1, "Clock time taken: 1\r\n");
    form.task_engine.check_for_completed_tasks();
    EXPECT_EQ(form.servers.task_servers[1].overhead_ms, FixedMs::from_ms(700));
    EXPECT_EQ(process_log_lines().at(0),
              " Job 1 complete on server nodeA/0 CPU: 60.0 Overhead: -10.0 Clock time taken: 1");
}

TEST_F(EngineTest, ACompletionUpdatesCountersTextsSpeedAndGrid) {
    seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}}, 4);
    book_running(1, 1, 0);
    book_running(2, 2, 0);
    form.servers.task_servers[2].tasks_started = 3;
    form.servers.task_servers[2].data_started = 300;
    form.run.elapsed_seconds = 360;  // set by the tick: six minutes into the run
    finish_task(2, "Clock time taken: 2\r\n");
    form.task_engine.check_for_completed_tasks();

    EXPECT_EQ(form.servers.task_servers[2].tasks_completed, 1);
    EXPECT_FLOAT_EQ(form.servers.task_servers[2].data_per_min, 50.0f);
    EXPECT_EQ(controls.Grid_server_stats.cell(2, 2).text, "3");
    EXPECT_EQ(controls.Grid_server_stats.cell(2, 3).text, "50.0");
    EXPECT_EQ(form.tasks.num_tasks_processing, 1);
    EXPECT_EQ(form.tasks.num_tasks_done, 1);
    EXPECT_EQ(controls.Text_tasks_processing.text, "1");
    EXPECT_EQ(controls.Text_tasks_remaining.text, "3");
    EXPECT_EQ(controls.Text_tasks_done.text, "1");
    EXPECT_TRUE(form.servers.task_servers[1].busy);
    EXPECT_EQ(fake.events.yields, 1);
}

TEST_F(EngineTest, AnErrorLeavesTheCheckQuietlyAndTheLaterServersWaitForTheNextTick) {
    seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}}, 2);
    book_running(2, 2, 0);
    finish_task(2, "Clock time taken: 1\r\n");
    form.servers.task_servers[1].busy = true;  // its task number is not a task
    form.servers.task_servers[1].task = 0;
    form.task_engine.check_for_completed_tasks();
    EXPECT_TRUE(form.servers.task_servers[2].busy);
    EXPECT_TRUE(fake.dialogs.messages.empty());

    form.servers.task_servers[1].busy = false;
    form.task_engine.check_for_completed_tasks();
    EXPECT_FALSE(form.servers.task_servers[2].busy);
}

struct ClockLineCase {
    const char* what;
    std::vector<std::string> lines;
    const char* line;
    float ms;
};

class ClockLineTest : public ::testing::TestWithParam<ClockLineCase> {};

TEST_P(ClockLineTest, TheFirstTrimmedLineStartingWithTheWordsGivesTheMinutes) {
    const ClockLineCase& c = GetParam();
    ClockTimeTaken found = read_clock_time_taken(c.lines);
    EXPECT_EQ(found.line, c.line);
    EXPECT_FLOAT_EQ(found.computation_ms, c.ms);
}

INSTANTIATE_TEST_SUITE_P(
    Logs, ClockLineTest,
    ::testing::Values(ClockLineCase{"trimmed",
                                    {"x", " \tClock time taken: 1.5 min "},
                                    "Clock time taken: 1.5 min",
                                    90000.0f},
                      ClockLineCase{"first_of_two",
                                    {"Clock time taken: 2", "Clock time taken: 3"},
                                    "Clock time taken: 2",
                                    120000.0f},
                      ClockLineCase{"blanks_inside_the_number",
                                    {"Clock time taken: 1 .2 5"},
                                    "Clock time taken: 1 .2 5",
                                    75000.0f},
                      ClockLineCase{"no_colon", {"Clock time taken 4"}, "Clock time taken 4", 0.0f},
                      ClockLineCase{
                          "no_number", {"Clock time taken: n/a"}, "Clock time taken: n/a", 0.0f},
                      ClockLineCase{"lower_case", {"clock time taken: 4"}, "", 0.0f},
                      ClockLineCase{"none", {}, "", 0.0f}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace zelkon
