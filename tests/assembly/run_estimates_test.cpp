// The run estimates: when the assembly refreshes them, and what they show.

#include "assembly/run_estimates.h"

#include "assembly_fixture.h"

namespace zelkon {
namespace {

class Estimates : public AssemblyTest {
  protected:
    // A fresh run over 10,000 data points, 600 s after its start, whose task
    // 20 ends at data point 2,000; this computer's server was given 500.
    void SetUp() override {
        seed_run(100, 4);
        form.run.run_start_time = fake.clock.now();
        form.run.elapsed_seconds = 600;
        form.data.num_data = 10000;
        form.servers.local_task_server = 1;
        form.servers.task_servers[1].data_started = 500;
        controls.Label_estimated_duration.caption = "kept";
        controls.Label_expected_finish.caption = "kept";
        controls.Label_estimated_time_remaining.caption = "kept";
        controls.Text_speedup.text = "kept";
        controls.Text_mtx_size.text = "kept";
        controls.Text_mtx_compression.text = "kept";
    }
    void refresh(int task, double component_1_mb) {
        std::array<double, kMaxComponents + 1> component_mb{};
        component_mb[1] = component_1_mb;
        estimates.refresh_run_estimates(task, component_mb);
    }
    RunEstimates estimates{context};
};

TEST_F(Estimates, TheWorkedExample) {
    refresh(20, 0);
    EXPECT_DOUBLE_EQ(form.estimates.estimated_duration_seconds, 3000);
    EXPECT_EQ(controls.Label_estimated_duration.caption, "00:50:00");
    EXPECT_EQ(controls.Label_estimated_time_remaining.caption, "00:40:00");
    EXPECT_EQ(form.estimates.expected_finish_time, form.run.run_start_time.plus_seconds(3000));
    EXPECT_EQ(controls.Label_expected_finish.caption, "12/06/26   14:55:09");
    EXPECT_EQ(controls.Text_speedup.text, "4.0");
    EXPECT_EQ(controls.Text_mtx_size.text, "kept");  // no component size known
}

TEST_F(Estimates, AResumedRunCountsOnlyItsOwnData) {
    form.tasks.data_done_at_start = 1000;
    refresh(20, 0);
    EXPECT_EQ(controls.Label_estimated_duration.caption, "01:30:00");  // 9,000 x 600 / 1,000
    EXPECT_EQ(controls.Text_speedup.text, "2.0");
}

TEST_F(Estimates, NoTaskServerOnThisComputerShowsNoSpeedup) {
    form.servers.local_task_server = 0;
    refresh(20, 0);
    EXPECT_EQ(controls.Text_speedup.text, "0.0");
}

TEST_F(Estimates, ADivisorOfZeroKeepsTheFigures) {
    form.estimates.estimated_duration_seconds = 1234;
    form.tasks.data_done_at_start = 2000;  // nothing assembled by this run yet
    refresh(20, 0);
    EXPECT_DOUBLE_EQ(form.estimates.estimated_duration_seconds, 1234);
    EXPECT_EQ(controls.Label_estimated_duration.caption, "kept");
    EXPECT_EQ(controls.Label_expected_finish.caption, "kept");
    EXPECT_EQ(controls.Label_estimated_time_remaining.caption, "kept");
    form.tasks.cluster_task[20].last_datum = 0;
    form.tasks.data_done_at_start = 0;
    refresh(20, 50);
    EXPECT_EQ(controls.Text_mtx_size.text, "kept");
    EXPECT_EQ(controls.Text_mtx_compression.text, "kept");
}

TEST_F(Estimates, AnEstimateNoClockCanShowKeepsTheLastOne) {
    form.data.num_data = 2000000000;
    form.run.elapsed_seconds = 86400;
    form.estimates.estimated_duration_seconds = 4000;
    refresh(20, 0);
    EXPECT_DOUBLE_EQ(form.estimates.estimated_duration_seconds, 4000);
    EXPECT_EQ(controls.Label_estimated_duration.caption, "kept");
}

struct SizeCase {
    double component_1_mb;
    double mb_per_datum;
    const char* size;
    const char* compression;
};

class MatrixSize : public Estimates, public ::testing::WithParamInterface<SizeCase> {};

// Task 20 ends at the last data point, so the projection is component 1's size.
TEST_P(MatrixSize, ProjectsTheFinalSize) {
    const SizeCase& c = GetParam();
    form.data.num_data = 2000;
    form.data.mtx_mb_per_datum = c.mb_per_datum;
    refresh(20, c.component_1_mb);
    EXPECT_EQ(controls.Text_mtx_size.text, c.size);
    EXPECT_EQ(controls.Text_mtx_compression.text, c.compression);
}

INSTANTIATE_TEST_SUITE_P(Assembly, MatrixSize,
                         ::testing::Values(SizeCase{1023.6, 0, "1024MB", "kept"},
                                           SizeCase{1024, 0, "1.00GB", "kept"},
                                           SizeCase{500, 0.5, "500MB", "2.0"},
                                           SizeCase{3000, 0.15, "2.93GB", "0.1"}));

// Between the fifth tasks the figures stay; the last task always refreshes.
TEST_F(AssemblyTest, EstimatesAreRefreshedAtEveryFifthTaskAndTheLast) {
    seed_run(12, 4);
    complete(1, 12);
    form.run.elapsed_seconds = 60;
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
