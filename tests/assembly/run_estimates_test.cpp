// The run estimates: what they show, and when the assembly refreshes them.

#include "assembly/run_estimates.h"

#include "assembly_fixture.h"

namespace zelkon {
namespace {

// A run over 10,000 data points, 600 s after its start, whose task 20 ends
// at data point 2,000; this computer's server was given 500. A figure whose
// divisor would be 0, or that no clock can show, keeps its last value.
class Estimates : public AssemblyTest {
  protected:
    void SetUp() override {
        seed(100, 4);
        run.elapsed_seconds = 600;
        data.num_data = 10000;
        servers.local_task_server = 1;
        servers.task_servers[1].data_started = 500;
    }
    std::vector<std::string> refresh(int task, double component_1_mb) {
        for (LabelControl* label :
             {&controls.Label_estimated_duration, &controls.Label_expected_finish,
              &controls.Label_estimated_time_remaining}) {
            label->caption = "kept";
        }
        for (TextControl* text :
             {&controls.Text_speedup, &controls.Text_mtx_size, &controls.Text_mtx_compression}) {
            text->text = "kept";
        }
        std::array<double, kMaxComponents + 1> component_mb{};
        component_mb[1] = component_1_mb;
        RunEstimates{controls, data, servers, tasks, run, estimates, fake.clock}
            .refresh_run_estimates(task, component_mb);
        return {controls.Label_estimated_duration.caption,
                controls.Label_expected_finish.caption,
                controls.Label_estimated_time_remaining.caption,
                controls.Text_speedup.text,
                controls.Text_mtx_size.text,
                controls.Text_mtx_compression.text};
    }
    using Shown = std::vector<std::string>;
};

TEST_F(Estimates, DurationFinishRemainingAndSpeedupFromTheDataAssembledSoFar) {
    EXPECT_EQ(refresh(20, 0),
              (Shown{"00:50:00", "12/06/26   14:55:09", "00:40:00", "4.0", "kept", "kept"}));
    EXPECT_DOUBLE_EQ(estimates.estimated_duration_seconds, 3000);
    EXPECT_EQ(estimates.expected_finish_time, run.run_start_time.plus_seconds(3000));
    tasks.data_done_at_start = 1000;  // a resumed run counts only its own data
    EXPECT_EQ(refresh(20, 0),
              (Shown{"01:30:00", "12/06/26   15:35:09", "01:20:00", "2.0", "kept", "kept"}));
    servers.local_task_server = 0;
    tasks.data_done_at_start = 2000;  // nothing assembled by this run yet
    EXPECT_EQ(refresh(20, 0), (Shown{"kept", "kept", "kept", "0.0", "kept", "kept"}));
    EXPECT_DOUBLE_EQ(estimates.estimated_duration_seconds, 5400);
    tasks.data_done_at_start = 0;
    data.num_data = 2000000000;
    run.elapsed_seconds = 86400;
    EXPECT_EQ(refresh(20, 0)[0], "kept");
    tasks.cluster_task[20].last_datum = 0;
    EXPECT_EQ(refresh(20, 50)[4], "kept");
}

// Task 20 ends at the last data point, so the projection is component 1's size.
TEST_F(Estimates, TheMatrixSizeIsProjectedAndCompressionShownWhenKnown) {
    struct Case {
        double component_1_mb, mb_per_datum;
        const char* size;
        const char* compression;
    };
    data.num_data = 2000;
    for (Case c : {Case{1023.6, 0, "1024MB", "kept"}, Case{1024, 0, "1.00GB", "kept"},
                   Case{500, 0.5, "500MB", "2.0"}, Case{3000, 0.15, "2.93GB", "0.1"}}) {
        data.mtx_mb_per_datum = c.mb_per_datum;
        Shown shown = refresh(20, c.component_1_mb);
        EXPECT_EQ(shown[4], c.size);
        EXPECT_EQ(shown[5], c.compression);
    }
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
