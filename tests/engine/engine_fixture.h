#pragma once

#include <gtest/gtest.h>

#include "engine/run_control.h"
#include "engine/task_engine.h"
#include "run_bench.h"

namespace zelkon {

// The task engine and the run control over a run's records and the fakes.
// The task timer stays off until a test arms it, so that a yield inside a
// procedure called directly delivers no tick; sleep_ms moves time without
// firing it.
class EngineTest : public ::testing::Test, public RunBench {
  protected:
    EngineTest() {
        task_timer->set_handler([this] { tick(); });
    }

    void tick() { engine.Timer_cluster_task_Timer(); }

    RunControl run_control{job, data, servers, run, channels, services(), fake.slurm, *task_timer};
    TaskEngine engine{records(),   services(), channels,          fake.events,
                      *task_timer, fake.clock, fake.folder_watch, run_control};
};

}  // namespace zelkon
