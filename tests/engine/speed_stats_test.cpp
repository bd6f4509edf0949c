#include "engine_fixture.h"

namespace zelkon {
namespace {

struct SpeedCase {
    const char* what;
    std::vector<float> speeds;
    std::vector<std::int32_t> completed;
    std::vector<bool> failed;
    float slowest;
    std::int32_t reporting;
};

class SpeedStatsTest : public EngineTest, public ::testing::WithParamInterface<SpeedCase> {};

TEST_P(SpeedStatsTest, TheSlowestIsTheSmallestPositiveSpeedOfAllServers) {
    const SpeedCase& c = GetParam();
    seed_run({{"nodeA", static_cast<std::int32_t>(c.speeds.size()), 0}}, 1);
    for (std::size_t i = 0; i < c.speeds.size(); ++i) {
        TaskServer& server = form.servers.task_servers[static_cast<std::int32_t>(i + 1)];
        server.data_per_min = c.speeds[i];
        server.tasks_completed = c.completed[i];
        server.failed = c.failed[i];
    }
    form.servers.slowest_speed = 999.0f;  // recomputed from scratch
    form.servers.servers_reporting = 99;
    form.task_engine.update_speed_stats();
    EXPECT_FLOAT_EQ(form.servers.slowest_speed, c.slowest);
    EXPECT_EQ(form.servers.servers_reporting, c.reporting);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, SpeedStatsTest,
    ::testing::Values(
        SpeedCase{"server_one_without_speed", {0, 40, 60}, {0, 1, 2}, {false, false, false}, 40, 2},
        SpeedCase{"server_one_failed_early", {0, 70, 30}, {0, 1, 1}, {true, false, false}, 30, 2},
        SpeedCase{"server_one_slowest", {20, 40, 60}, {1, 1, 1}, {false, false, false}, 20, 3},
        SpeedCase{"failed_servers_still_count", {50, 10, 0}, {1, 4, 0}, {false, true, true}, 10, 2},
        SpeedCase{"nobody_has_a_speed", {0, 0}, {0, 0}, {false, false}, 0, 0}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace zelkon
