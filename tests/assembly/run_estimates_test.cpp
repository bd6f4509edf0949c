// The run estimates: what they show, and when the assembly refreshes them.

#include "assembly/run_estimates.h"

#include "assembly_fixture.h"

namespace zelkon {
namespace {

using Shown = std::vector<std::string>;

// 10,000 data points, 600 s in, task 20 ends at 2,000; this computer's server had 500.
TEST_F(AssemblyTest, TheEstimatesProjectTheRunFromTheDataAssembledSoFar) {
    seed(100, 4);
    run.elapsed_seconds = 600;
    data.num_data = 10000;
    servers.local_task_server = 1;
    servers.task_servers[1].data_started = 500;
    auto refresh = [&](double component_1_mb) {
        controls.Label_estimated_duration.caption = controls.Label_expected_finish.caption = "kept";
        controls.Label_estimated_time_remaining.caption = controls.Text_speedup.text = "kept";
        controls.Text_mtx_size.text = controls.Text_mtx_compression.text = "kept";
        RunEstimates{data, servers, tasks, run, estimates, presenter}.refresh_run_estimates(
            20, {0, component_1_mb});
        return Shown{controls.Label_estimated_duration.caption,
                     controls.Label_expected_finish.caption,
                     controls.Label_estimated_time_remaining.caption,
                     controls.Text_speedup.text,
                     controls.Text_mtx_size.text,
                     controls.Text_mtx_compression.text};
    };
    EXPECT_EQ(refresh(0),
              (Shown{"00:50:00", "12/06/26   14:55:09", "00:40:00", "4.0", "kept", "kept"}));
    EXPECT_EQ(estimates.expected_finish_time, run.run_start_time.plus_seconds(3000));
    tasks.data_done_at_start = 1000;  // a resumed run counts only its own data
    EXPECT_EQ(refresh(0),
              (Shown{"01:30:00", "12/06/26   15:35:09", "01:20:00", "2.0", "kept", "kept"}));
    servers.local_task_server = 0;
    tasks.data_done_at_start = 2000;  // nothing assembled by this run yet
    EXPECT_EQ(refresh(0), (Shown{"kept", "kept", "kept", "0.0", "kept", "kept"}));
    EXPECT_DOUBLE_EQ(estimates.estimated_duration_seconds, 5400);
    tasks.data_done_at_start = 0;
    data.num_data = 2000;  // task 20 is the last: the projection is component 1's size
    for (const auto& [mb, mb_per_datum, size, compression] :
         {std::tuple(1023.6, 0.0, "1024MB", "kept"), std::tuple(1024.0, 0.0, "1.00GB", "kept"),
          std::tuple(500.0, 0.5, "500MB", "2.0"), std::tuple(3000.0, 0.15, "2.93GB", "0.1")}) {
        data.mtx_mb_per_datum = mb_per_datum;
        Shown shown = refresh(mb);
        EXPECT_EQ(std::tuple(shown[4], shown[5]), std::tuple(size, compression));
    }
    data.num_data = 2000000000;
    run.elapsed_seconds = 86400;
    EXPECT_EQ(refresh(0)[0], "kept");
    tasks.cluster_task[20].last_datum = 0;
    EXPECT_EQ(refresh(50)[4], "kept");
}

// Between the fifth tasks the figures stay; the last task always refreshes.
TEST_F(AssemblyTest, EstimatesAreRefreshedAtEveryFifthTaskAndTheLast) {
    seed(12, 4);
    complete(1, 12);
    run.elapsed_seconds = 60;
    assemble();
    for (int t = 1; t <= 12; ++t) {
        controls.Label_estimated_duration.caption = "kept";
        merge(t);
        assemble();
        bool refreshed = controls.Label_estimated_duration.caption != "kept";
        EXPECT_EQ(refreshed, t == 5 || t == 10 || t == 12) << "task " << t;
    }
    EXPECT_EQ(controls.Label_estimated_duration.caption, "00:01:00");
    EXPECT_EQ(controls.Text_mtx_size.text, "1MB");  // each line: 1 MB after 1,200 data points
}

}  // namespace
}  // namespace zelkon
