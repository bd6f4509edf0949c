#include "engine/hang_rule.h"
#include "engine_fixture.h"

namespace zelkon {
namespace {

constexpr std::int64_t kMinute = 60000;

struct HangCase {
    const char* what;
    std::int64_t running_ms;
    float slowest_speed;
    std::int32_t servers_reporting;
    bool hung;
};

class HangRuleTest : public ::testing::TestWithParam<HangCase> {};

// 100 points at 50 points/min take the slowest server 2 minutes.
TEST_P(HangRuleTest, TheWorkedExample) {
    const HangCase& c = GetParam();
    FixedMs running = FixedMs::from_scaled(c.running_ms * FixedMs::kScale);
    EXPECT_EQ(is_hung(running, 100, c.slowest_speed, c.servers_reporting), c.hung);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, HangRuleTest,
    ::testing::Values(HangCase{"two_reporting_at_twenty_minutes", 20 * kMinute, 50, 2, false},
                      HangCase{"two_reporting_just_after", 20 * kMinute + 1, 50, 2, true},
                      HangCase{"three_reporting_at_ten_minutes", 10 * kMinute, 50, 3, false},
                      HangCase{"three_reporting_just_after", 10 * kMinute + 1, 50, 3, true},
                      HangCase{"one_reporting_never", 1000 * kMinute, 50, 1, false},
                      HangCase{"no_speed_never", 1000 * kMinute, 0, 3, false},
                      HangCase{"a_speed_too_small_to_judge", 1000 * kMinute, 1e-30f, 3, false}),
    [](const auto& info) { return std::string(info.param.what); });

// Three servers; servers 1 and 2 have each completed a task at 50 points/min.
class HangCheckTest : public EngineTest {
  protected:
    void SetUp() override {
        seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}, {"nodeC", 1, 0}}, 6);
        for (std::int32_t server : {1, 2}) {
            form.tasks.cluster_task[server].state = TaskState::complete;
            form.servers.task_servers[server].tasks_completed = 1;
            form.servers.task_servers[server].data_per_min = 50.0f;
        }
        book_running(3, 3, 20 * kMinute + 1);
        form.tasks.num_tasks_done = 2;
        controls.Text_tasks_remaining.text = "4";
        controls.Text_tasks_done.text = "2";
        form.task_engine.update_speed_stats();
    }

    std::int32_t check() {
        std::int32_t hung_count = -1;
        form.task_engine.check_for_hung_server(hung_count);
        return hung_count;
    }
};

TEST_F(HangCheckTest, AHungServerGoesRedAndItsTaskWaitsAgain) {
    EXPECT_EQ(check(), 1);
    EXPECT_TRUE(form.servers.task_servers[3].failed);
    EXPECT_FALSE(form.servers.task_servers[3].busy);
    EXPECT_EQ(controls.Grid_server_stats.cell(3, 1).back_color, kColorRed);
    EXPECT_EQ(form.tasks.cluster_task[3].state, TaskState::waiting);
    EXPECT_EQ(form.tasks.num_tasks_processing, 0);
    EXPECT_EQ(controls.Text_tasks_processing.text, "0");
    EXPECT_EQ(controls.Text_tasks_remaining.text, "4");
    EXPECT_EQ(controls.Text_tasks_done.text, "2");
    EXPECT_EQ(fake.events.yields, 1);
}

TEST_F(HangCheckTest, AServerTakenOutIsNeverExaminedAgain) {
    check();
    fake.clock.sleep_ms(100 * kMinute);
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(form.tasks.num_tasks_processing, 0);
}

TEST_F(HangCheckTest, AServerThatHangsOnItsFirstTaskIsFoundWhileServerOneHasNoSpeed) {
    // Server 1 is the one that hangs; servers 2 and 3 report.
    form.servers.task_servers[3].busy = false;
    form.servers.task_servers[3].tasks_completed = 1;
    form.servers.task_servers[3].data_per_min = 60.0f;
    form.servers.task_servers[1].tasks_completed = 0;
    form.servers.task_servers[1].data_per_min = 0.0f;
    book_running(1, 1, 20 * kMinute + 1);
    form.task_engine.update_speed_stats();
    EXPECT_EQ(check(), 1);
    EXPECT_TRUE(form.servers.task_servers[1].failed);
}

TEST_F(HangCheckTest, WithoutAReasonFromTheTaskTheLogSaysItGaveNoResultInTime) {
    check();
    EXPECT_EQ(process_log_lines(), std::vector<std::string>{" Server taken out of service, task 3 "
                                                            "gave no result in time: nodeC/0"});
}

// A task that cannot write its pieces (a full disk) keeps its semaphore and
// says why in its .err file; once no task server is left, that reason ends
// the run.
TEST_F(HangCheckTest, TheHungTasksOwnReasonIsLoggedAndEndsTheRunWhenNoServerIsLeft) {
    const std::string reason =
        "zelkon_cluster_task Zelkon_job_000012_task_000003: Error: cannot write "
        "Zelkon_job_000012_task_000003_gz.zpc.part7: No space left on device";
    fake.files.add_file(task_file(3, ".err"), reason + "\r\n");
    check();
    EXPECT_EQ(
        process_log_lines(),
        std::vector<std::string>{" Server taken out of service, task 3 on nodeC/0: " + reason});
    EXPECT_FALSE(fake.files.file_exists(task_file(3, ".err")))
        << "the next attempt's reason must be its own";
    form.servers.task_servers[1].failed = true;
    form.servers.task_servers[2].failed = true;
    arm_timer();
    tick();
    EXPECT_EQ(fake.dialogs.messages,
              std::vector<std::string>{
                  "An error was encountered while running the calculation: No task server is "
                  "left to run the remaining tasks; task 3 on nodeC/0: " +
                  reason});
}

// Tasks on a read-only or full job folder may not even manage to say why.
TEST_F(HangCheckTest, AJobFolderThatCannotBeWrittenIsNamedWhenNoServerIsLeft) {
    check();
    form.servers.task_servers[1].failed = true;
    form.servers.task_servers[2].failed = true;
    fake.files.disk_full = true;
    arm_timer();
    tick();
    EXPECT_EQ(fake.dialogs.messages,
              std::vector<std::string>{
                  "An error was encountered while running the calculation: No task server is "
                  "left to run the remaining tasks: the job folder /data/Work/Job_12/ cannot be "
                  "written"});
}

}  // namespace
}  // namespace zelkon
