#pragma once

#include <gtest/gtest.h>

#include "engine/run_control.h"
#include "engine/task_engine.h"
#include "run_bench.h"

namespace zelkon {

// The engine and run control on the records; the timer ticks only once armed.
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
