// The initialisation log that `zelkon zelkon.inp CLUSTER=<job>` leaves, read
// by Test Cluster Setup, which then divides the data it gives into tasks.
#include "fake_run_setup.h"
#include "fuzz_support.h"

using namespace zelkon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FakeRunSetup setup(fuzz::text_of(data, size));
    setup.form.Command_start_cluster_run_Click(0);
    fuzz::require(!setup.form.Timer_cluster_task->enabled(), "a set-up test starts no run");
    fuzz::require(!setup.form.controls.busy_pointer, "the set-up ends with the busy pointer off");
    return 0;
}
