#include "engine/hang_rule.h"
#include "engine/task_log.h"
#include "engine_fixture.h"

namespace zelkon {
namespace {

using Lines = std::vector<std::string>;
constexpr std::int64_t kMinute = 60000;
const std::string kNoServerLeft =
    "An error was encountered while running the calculation: No "
    "task server is left to run the remaining tasks";

TEST_F(EngineTest, ATaskIsCompleteOnlyWhenItsSemaphoreIsGoneAndItsLogExists) {
    seed_run({{"nodeA", 3, 0}}, 3);
    for (std::int32_t s = 1; s <= 3; ++s) {
        book_running(s, s, 1000);
    }
    fake.files.add_file(task_file(1, ".log"), "Clock time taken: 0.01\r\n");  // semaphore left
    fake.files.delete_files(task_file(2, ".sem"), true);                      // no log
    finish_task(3, "Clock time taken: 0.01\r\n");
    engine.check_for_completed_tasks();
    EXPECT_EQ(std::tuple(servers.task_servers[1].busy, servers.task_servers[2].busy,
                         servers.task_servers[3].busy),
              std::tuple(true, true, false));
}

// A task that left an .err file waits again; two in a row take its server out.
TEST_F(EngineTest, ATaskThatLeftAnErrFileIsOfferedAgainAndTwoFailuresInARowEndItsServer) {
    seed_run({{"nodeA", 1, 0}}, 3);
    const std::string reason = "exited with status 127: zelkon_cluster_task: not found";
    for (std::int32_t task : {1, 2, 3, 1}) {
        EXPECT_FALSE(servers.task_servers[1].failed) << "a completion came between the failures";
        book_running(1, task, 0);
        if (task == 2) {
            finish_task(task, "Clock time taken: 0.01\r\n");
        } else {
            fake.files.add_file(task_file(task, ".err"), reason + "\n");
        }
        engine.check_for_completed_tasks();
        EXPECT_EQ(tasks.cluster_task[task].state,
                  task == 2 ? TaskState::complete : TaskState::waiting);
        EXPECT_FALSE(fake.files.file_exists(task_file(task, ".err")));
    }
    EXPECT_EQ(std::tuple(servers.task_servers[1].failed, servers.task_servers[1].busy,
                         tasks.num_tasks_processing),
              std::tuple(true, false, 0));
    EXPECT_EQ(run.last_task_failure, "task 1 on nodeA/0: " + reason);
    EXPECT_EQ(process_log_lines().back(),
              " Server taken out of service, its tasks failed twice in a row: nodeA/0");
}

// Overhead is wall time less computation, never lowered by a negative difference.
TEST_F(EngineTest, ACompletionBooksTimesSpeedCountersAndGrid) {
    const std::tuple<const char*, int, int, int, const char*> cases[] = {
        {"Task 1\r\n  Clock time taken: 1.5 minutes\r\n", 95000, 90000, 5000,
         "CPU: 90.0 Overhead: 5.0 Clock time taken: 1.5 minutes"},
        {"clock time taken: 0.4\r\n", 30000, 0, 30000, "CPU: 0.0 Overhead: 30.0 "},
        {"Clock time taken: 1 .0\r\nClock time taken: 3\r\n", 50000, 60000, 0,
         "CPU: 60.0 Overhead: -10.0 Clock time taken: 1 .0"},
    };
    seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}}, 4);
    book_running(1, 2, 0);
    run.elapsed_seconds = 360;  // set by the tick: six minutes into the run
    TaskServer& server = servers.task_servers[2];
    for (const auto& [log, wall_ms, compute_ms, overhead_ms, line] : cases) {
        server.compute_ms = server.overhead_ms = FixedMs();
        book_running(2, 1, 0);
        fake.clock.sleep_ms(wall_ms);
        finish_task(1, log);
        engine.check_for_completed_tasks();
        EXPECT_EQ(std::tuple(server.compute_ms, server.overhead_ms, server.task_elapsed_ms),
                  std::tuple(FixedMs::from_ms(compute_ms), FixedMs::from_ms(overhead_ms),
                             FixedMs::from_ms(wall_ms)));
        EXPECT_EQ(process_log_lines().back(),
                  std::string(" Job 1 complete on server nodeB/0 ") + line);
    }
    EXPECT_EQ(server.tasks_completed, 3);
    EXPECT_FLOAT_EQ(server.data_per_min, 50.0f);  // 300 points in 6 minutes
    EXPECT_EQ(controls.Grid_server_stats.cell(2, 3).text, "50.0");
    EXPECT_EQ(std::tuple(tasks.num_tasks_processing, tasks.num_tasks_done, fake.events.yields,
                         controls.Text_tasks_remaining.text),
              std::tuple(1, 3, 3, "1"));
}

// Failed servers count; server 1 may have no speed yet.
TEST_F(EngineTest, TheSlowestSpeedIsTheSmallestPositiveSpeedOfAllServers) {
    const std::tuple<std::vector<float>, bool, float, std::int32_t> cases[] = {
        {{0, 70, 30}, true, 30, 2}, {{20, 40, 60}, false, 20, 3}, {{0, 0, 0}, false, 0, 0}};
    seed_run({{"nodeA", 3, 0}}, 1);
    for (const auto& [speeds, failed, slowest, reporting] : cases) {
        for (std::int32_t s = 1; s <= 3; ++s) {
            servers.task_servers[s].data_per_min = speeds[static_cast<std::size_t>(s - 1)];
            servers.task_servers[s].tasks_completed = speeds[static_cast<std::size_t>(s - 1)] > 0;
            servers.task_servers[s].failed = failed && s != 1;
        }
        servers.slowest_speed = 999.0f;  // recomputed from scratch
        servers.servers_reporting = 99;
        engine.update_speed_stats();
        EXPECT_EQ(std::tuple(servers.slowest_speed, servers.servers_reporting),
                  std::tuple(slowest, reporting));
    }
}

// 100 points at 50 points/min take the slowest server 2 minutes.
TEST(HangRule, TenTimesWithTwoReportingFiveTimesWithThreeNeverWithoutASpeed) {
    const std::tuple<std::int64_t, float, std::int32_t, bool> cases[] = {
        {20 * kMinute, 50, 2, false},       {20 * kMinute + 1, 50, 2, true},
        {10 * kMinute, 50, 3, false},       {10 * kMinute + 1, 50, 3, true},
        {1000 * kMinute, 50, 1, false},     {1000 * kMinute, 0, 3, false},
        {1000 * kMinute, 1e-30f, 3, false},
    };
    for (const auto& [running_ms, slowest, reporting, hung] : cases) {
        FixedMs running = FixedMs::from_scaled(running_ms * FixedMs::kScale);
        EXPECT_EQ(is_hung(running, 100, slowest, reporting), hung) << running_ms;
    }
}

// Server 1's first task runs too long, as servers 2 and 3 did theirs at 50 points/min.
TEST_F(EngineTest, AHungServerGoesRedItsTaskWaitsAgainAndItsReasonEndsTheRun) {
    seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}, {"nodeC", 1, 0}}, 6);
    for (std::int32_t server : {2, 3}) {
        servers.task_servers[server].tasks_completed = 1;
        servers.task_servers[server].data_per_min = 50.0f;
    }
    book_running(1, 1, 20 * kMinute + 1);
    const std::string reason = "zelkon_cluster_task: Error: cannot write: No space left on device";
    fake.files.add_file(task_file(1, ".err"), reason + "\r\n");
    engine.update_speed_stats();
    std::int32_t hung = -1;
    engine.check_for_hung_server(hung);
    EXPECT_EQ(std::tuple(hung, servers.task_servers[1].busy, fake.events.yields),
              std::tuple(1, false, 1));
    EXPECT_FALSE(fake.files.file_exists(task_file(1, ".err"))) << "the next reason is its own";
    fake.clock.sleep_ms(100 * kMinute);
    engine.check_for_hung_server(hung);
    EXPECT_EQ(hung, 0) << "a server taken out is never examined again";
    servers.task_servers[2].failed = servers.task_servers[3].failed = true;
    tick();
    EXPECT_EQ(fake.dialogs.messages, Lines{kNoServerLeft + "; task 1 on nodeA/0: " + reason});
}

// Tasks on a read-only or full job folder may not even manage to say why.
TEST_F(EngineTest, ATaskWithoutAReasonGaveNoResultInTimeAndAnUnwritableFolderIsNamed) {
    seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}, {"nodeC", 1, 0}}, 6);
    servers.slowest_speed = 50.0f;
    servers.servers_reporting = 3;
    servers.task_servers[1].failed = servers.task_servers[2].failed = true;
    book_running(3, 3, 10 * kMinute + 1);
    std::int32_t hung = -1;
    engine.check_for_hung_server(hung);
    EXPECT_EQ(process_log_lines(),
              Lines{" Server taken out of service, task 3 gave no result in time: nodeC/0"});
    fake.files.disk_full = true;
    tick();
    EXPECT_EQ(fake.dialogs.messages,
              Lines{kNoServerLeft + ": the job folder /data/Work/Job_12/ cannot be written"});
}

}  // namespace
}  // namespace zelkon
