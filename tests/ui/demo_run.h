#pragma once

#include "form/Form_zelkon_cluster_controller.h"
#include "platform/fake/fake_platform.h"

namespace zelkon {

// A form part-way through a run, its work drive and inversion folder in a
// home folder, every figure, the statistics grid and the run log filled as a
// run fills them. What the screenshots show and the clipping check measures;
// make the window after this, so that it offers the home folder as a drive.
struct DemoRun {
    DemoRun();

    FakePlatform fake;
    Form_zelkon_cluster_controller form{fake.bundle()};
};

}  // namespace zelkon
