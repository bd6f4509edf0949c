#pragma once

#include "form/Form_zelkon_cluster_controller.h"
#include "platform/fake/fake_platform.h"

namespace zelkon {

// A form part-way through a run, every figure, the grid and the run log filled,
// for the screenshots and the clipping check; make the window after it.
struct DemoRun {
    DemoRun();

    FakePlatform fake;
    Form_zelkon_cluster_controller form{fake.bundle()};
};

}  // namespace zelkon
