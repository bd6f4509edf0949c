#include "engine/hang_rule.h"
#include "engine/task_log.h"
#include "engine_fixture.h"

namespace zelkon {
namespace {

using Lines = std::vector<std::string>;
constexpr std::int64_t kMinute = 60000;

TEST_F(EngineTest, ATaskIsCompleteOnlyWhenItsSemaphoreIsGoneAndItsLogExists) {
    seed_run({{"nodeA", 3, 0}}, 3);
    for (std::int32_t s = 1; s <= 3; ++s) {
        book_running(s, s, 1000);
    }
    fake.files.add_file(task_file(1, ".log"), "Clock time taken: 0.01\r\n");  // semaphore left
    fake.files.delete_files(task_file(2, ".sem"), true);                      // no log
    finish_task(3, "Clock time taken: 0.01\r\n");
    engine.check_for_completed_tasks();
    for (std::int32_t s = 1; s <= 3; ++s) {
        EXPECT_EQ(tasks.cluster_task[s].state == TaskState::complete, s == 3) << s;
        EXPECT_EQ(servers.task_servers[s].busy, s != 3) << s;
    }
}

// A task that cannot run keeps its semaphore and leaves an .err file (its
// own, or its wrapper's): it is offered again at once, and a server whose
// tasks fail twice in a row, with no completion between, goes out of service.
TEST_F(EngineTest, ATaskThatLeftAnErrFileIsOfferedAgainAndTwoFailuresInARowEndItsServer) {
    seed_run({{"nodeA", 1, 0}}, 3);
    const std::string reason = "exited with status 127: zelkon_cluster_task: not found";
    auto fail = [&](std::int32_t task) {
        book_running(1, task, 0);
        fake.files.add_file(task_file(task, ".err"), reason + "\n");
        engine.check_for_completed_tasks();
        EXPECT_EQ(tasks.cluster_task[task].state, TaskState::waiting);
        EXPECT_FALSE(servers.task_servers[1].busy);
        EXPECT_FALSE(fake.files.file_exists(task_file(task, ".err")));
    };
    fail(1);
    book_running(1, 2, 0);
    finish_task(2, "Clock time taken: 0.01\r\n");
    engine.check_for_completed_tasks();
    fail(3);
    EXPECT_FALSE(servers.task_servers[1].failed) << "a completion came between the failures";
    fail(1);
    EXPECT_TRUE(servers.task_servers[1].failed);
    EXPECT_EQ(controls.Grid_server_stats.cell(1, 1).back_color, kColorRed);
    EXPECT_EQ(tasks.num_tasks_processing, 0);
    EXPECT_EQ(tasks.num_tasks_done, 1);
    EXPECT_EQ(run.last_task_failure, "task 1 on nodeA/0: " + reason);
    Lines log = process_log_lines();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0], " Task 1 failed on server nodeA/0: " + reason);
    EXPECT_EQ(log[4], " Server taken out of service, its tasks failed twice in a row: nodeA/0");
}

// Overhead is wall time less computation, never lowered by a computation
// longer than the wall time.
TEST_F(EngineTest, ACompletionBooksComputationAndOverheadFromTheClockLine) {
    struct Case {
        const char* log;
        std::int64_t wall_ms;
        std::int64_t compute_ms, overhead_ms;
        const char* line;
    };
    const Case cases[] = {
        {"Task 1\r\n  Clock time taken: 1.5 minutes\r\nEnd\r\n", 95000, 90000, 5000,
         " Job 1 complete on server nodeA/0 CPU: 90.0 Overhead: 5.0 Clock time taken: 1.5 minutes"},
        {"clock time taken: 0.4\r\n", 30000, 0, 30000,
         " Job 1 complete on server nodeA/0 CPU: 0.0 Overhead: 30.0 "},
        {"Clock time taken: 1\r\n", 50000, 60000, 0,
         " Job 1 complete on server nodeA/0 CPU: 60.0 Overhead: -10.0 Clock time taken: 1"},
    };
    seed_run({{"nodeA", 1, 0}}, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.log);
        servers.task_servers[1].compute_ms = FixedMs();
        servers.task_servers[1].overhead_ms = FixedMs();
        book_running(1, 1, 0);
        fake.clock.sleep_ms(static_cast<int>(c.wall_ms));
        finish_task(1, c.log);
        engine.check_for_completed_tasks();
        EXPECT_EQ(tasks.cluster_task[1].state, TaskState::complete);
        EXPECT_EQ(servers.task_servers[1].compute_ms, FixedMs::from_ms(c.compute_ms));
        EXPECT_EQ(servers.task_servers[1].overhead_ms, FixedMs::from_ms(c.overhead_ms));
        EXPECT_EQ(servers.task_servers[1].task_elapsed_ms, FixedMs::from_ms(c.wall_ms));
        EXPECT_EQ(process_log_lines().back(), c.line);
    }
}

TEST_F(EngineTest, ACompletionUpdatesCountersTextsSpeedAndGrid) {
    seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}}, 4);
    book_running(1, 1, 0);
    book_running(2, 2, 0);
    servers.task_servers[2].tasks_started = 3;
    servers.task_servers[2].data_started = 300;
    run.elapsed_seconds = 360;  // set by the tick: six minutes into the run
    finish_task(2, "Clock time taken: 2\r\n");
    engine.check_for_completed_tasks();

    EXPECT_EQ(servers.task_servers[2].tasks_completed, 1);
    EXPECT_FLOAT_EQ(servers.task_servers[2].data_per_min, 50.0f);
    EXPECT_EQ(controls.Grid_server_stats.cell(2, 2).text, "3");
    EXPECT_EQ(controls.Grid_server_stats.cell(2, 3).text, "50.0");
    EXPECT_EQ(tasks.num_tasks_processing, 1);
    EXPECT_EQ(tasks.num_tasks_done, 1);
    EXPECT_EQ(controls.Text_tasks_processing.text, "1");
    EXPECT_EQ(controls.Text_tasks_remaining.text, "3");
    EXPECT_EQ(controls.Text_tasks_done.text, "1");
    EXPECT_TRUE(servers.task_servers[1].busy);
    EXPECT_EQ(fake.events.yields, 1);
}

TEST_F(EngineTest, AnErrorLeavesTheCheckQuietlyAndTheLaterServersWaitForTheNextTick) {
    seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}}, 2);
    book_running(2, 2, 0);
    finish_task(2, "Clock time taken: 1\r\n");
    servers.task_servers[1].busy = true;  // its task number is not a task
    servers.task_servers[1].task = 0;
    engine.check_for_completed_tasks();
    EXPECT_TRUE(servers.task_servers[2].busy);
    EXPECT_TRUE(fake.dialogs.messages.empty());
    servers.task_servers[1].busy = false;
    engine.check_for_completed_tasks();
    EXPECT_FALSE(servers.task_servers[2].busy);
}

TEST(ClockLine, TheFirstTrimmedLineStartingWithTheWordsGivesTheMinutes) {
    struct Case {
        Lines lines;
        const char* line;
        float ms;
    };
    const Case cases[] = {
        {{"x", " \tClock time taken: 1.5 min "}, "Clock time taken: 1.5 min", 90000.0f},
        {{"Clock time taken: 2", "Clock time taken: 3"}, "Clock time taken: 2", 120000.0f},
        {{"Clock time taken: 1 .2 5"}, "Clock time taken: 1 .2 5", 75000.0f},
        {{"Clock time taken 4"}, "Clock time taken 4", 0.0f},
        {{"Clock time taken: n/a"}, "Clock time taken: n/a", 0.0f},
        {{"clock time taken: 4"}, "", 0.0f},
        {{}, "", 0.0f},
    };
    for (const Case& c : cases) {
        ClockTimeTaken found = read_clock_time_taken(c.lines);
        EXPECT_EQ(found.line, c.line);
        EXPECT_FLOAT_EQ(found.computation_ms, c.ms) << c.line;
    }
}

TEST_F(EngineTest, TheSlowestSpeedIsTheSmallestPositiveSpeedOfAllServers) {
    struct Case {
        std::vector<float> speeds;
        std::vector<std::int32_t> completed;
        std::vector<bool> failed;
        float slowest;
        std::int32_t reporting;
    };
    const Case cases[] = {
        {{0, 40, 60}, {0, 1, 2}, {false, false, false}, 40, 2},  // server 1 without speed
        {{0, 70, 30}, {0, 1, 1}, {true, false, false}, 30, 2},   // server 1 failed early
        {{20, 40, 60}, {1, 1, 1}, {false, false, false}, 20, 3},
        {{50, 10, 0}, {1, 4, 0}, {false, true, true}, 10, 2},  // failed servers still count
        {{0, 0, 0}, {0, 0, 0}, {false, false, false}, 0, 0},
    };
    seed_run({{"nodeA", 3, 0}}, 1);
    for (const Case& c : cases) {
        for (std::size_t i = 0; i < 3; ++i) {
            TaskServer& server = servers.task_servers[static_cast<std::int32_t>(i + 1)];
            server.data_per_min = c.speeds[i];
            server.tasks_completed = c.completed[i];
            server.failed = c.failed[i];
        }
        servers.slowest_speed = 999.0f;  // recomputed from scratch
        servers.servers_reporting = 99;
        engine.update_speed_stats();
        EXPECT_FLOAT_EQ(servers.slowest_speed, c.slowest);
        EXPECT_EQ(servers.servers_reporting, c.reporting);
    }
}

// 100 points at 50 points/min take the slowest server 2 minutes.
TEST(HangRule, TenTimesWithTwoReportingFiveTimesWithThreeNeverWithoutASpeed) {
    struct Case {
        std::int64_t running_ms;
        float slowest_speed;
        std::int32_t reporting;
        bool hung;
    };
    const Case cases[] = {
        {20 * kMinute, 50, 2, false},       {20 * kMinute + 1, 50, 2, true},
        {10 * kMinute, 50, 3, false},       {10 * kMinute + 1, 50, 3, true},
        {1000 * kMinute, 50, 1, false},     {1000 * kMinute, 0, 3, false},
        {1000 * kMinute, 1e-30f, 3, false},
    };
    for (const Case& c : cases) {
        FixedMs running = FixedMs::from_scaled(c.running_ms * FixedMs::kScale);
        EXPECT_EQ(is_hung(running, 100, c.slowest_speed, c.reporting), c.hung) << c.running_ms;
    }
}

// Three servers; servers 1 and 2 have each completed a task at 50 points/min;
// server 3's task has run just too long.
class HangCheckTest : public EngineTest {
  protected:
    void SetUp() override {
        seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}, {"nodeC", 1, 0}}, 6);
        for (std::int32_t server : {1, 2}) {
            tasks.cluster_task[server].state = TaskState::complete;
            servers.task_servers[server].tasks_completed = 1;
            servers.task_servers[server].data_per_min = 50.0f;
        }
        book_running(3, 3, 20 * kMinute + 1);
        tasks.num_tasks_done = 2;
        controls.Text_tasks_remaining.text = "4";
        engine.update_speed_stats();
    }
    std::int32_t check() {
        std::int32_t hung_count = -1;
        engine.check_for_hung_server(hung_count);
        return hung_count;
    }
    // With the other two servers gone too, the next tick ends the run.
    void leave_no_server() {
        servers.task_servers[1].failed = true;
        servers.task_servers[2].failed = true;
        tasks.last_assembled_task = 2;  // nothing is left to merge first
        arm_timer();
        tick();
    }
};

TEST_F(HangCheckTest, AHungServerGoesRedItsTaskWaitsAgainAndItIsNeverExaminedAgain) {
    EXPECT_EQ(check(), 1);
    EXPECT_TRUE(servers.task_servers[3].failed);
    EXPECT_FALSE(servers.task_servers[3].busy);
    EXPECT_EQ(controls.Grid_server_stats.cell(3, 1).back_color, kColorRed);
    EXPECT_EQ(tasks.cluster_task[3].state, TaskState::waiting);
    EXPECT_EQ(tasks.num_tasks_processing, 0);
    EXPECT_EQ(controls.Text_tasks_processing.text, "0");
    EXPECT_EQ(controls.Text_tasks_remaining.text, "4");
    EXPECT_EQ(fake.events.yields, 1);
    EXPECT_EQ(process_log_lines(), Lines{" Server taken out of service, task 3 gave no result in "
                                         "time: nodeC/0"});
    fake.clock.sleep_ms(100 * kMinute);
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(tasks.num_tasks_processing, 0);
}

TEST_F(HangCheckTest, AServerThatHangsOnItsFirstTaskIsFoundWhileServerOneHasNoSpeed) {
    servers.task_servers[3].busy = false;  // server 1 hangs; servers 2 and 3 report
    servers.task_servers[3].tasks_completed = 1;
    servers.task_servers[3].data_per_min = 60.0f;
    servers.task_servers[1].tasks_completed = 0;
    servers.task_servers[1].data_per_min = 0.0f;
    book_running(1, 1, 20 * kMinute + 1);
    engine.update_speed_stats();
    EXPECT_EQ(check(), 1);
    EXPECT_TRUE(servers.task_servers[1].failed);
}

// A task that cannot write its pieces keeps its semaphore and says why in its
// .err file; once no task server is left, that reason ends the run.
TEST_F(HangCheckTest, TheHungTasksOwnReasonIsLoggedAndEndsTheRunWhenNoServerIsLeft) {
    const std::string reason =
        "zelkon_cluster_task Zelkon_job_000012_task_000003: Error: cannot write "
        "Zelkon_job_000012_task_000003_gz.zpc.part7: No space left on device";
    fake.files.add_file(task_file(3, ".err"), reason + "\r\n");
    check();
    EXPECT_EQ(process_log_lines(),
              Lines{" Server taken out of service, task 3 on nodeC/0: " + reason});
    EXPECT_FALSE(fake.files.file_exists(task_file(3, ".err"))) << "the next reason is its own";
    leave_no_server();
    EXPECT_EQ(fake.dialogs.messages,
              Lines{"An error was encountered while running the calculation: No task server is "
                    "left to run the remaining tasks; task 3 on nodeC/0: " +
                    reason});
}

// Tasks on a read-only or full job folder may not even manage to say why.
TEST_F(HangCheckTest, AJobFolderThatCannotBeWrittenIsNamedWhenNoServerIsLeft) {
    check();
    fake.files.disk_full = true;
    leave_no_server();
    EXPECT_EQ(fake.dialogs.messages,
              Lines{"An error was encountered while running the calculation: No task server is "
                    "left to run the remaining tasks: the job folder /data/Work/Job_12/ cannot be "
                    "written"});
}

}  // namespace
}  // namespace zelkon
