// The assembly log of an unfinished run, read when Start Cluster Run offers to
// continue the matrix: every line is loaded, the last decides where the new
// tasks begin.
#include "fake_run_setup.h"
#include "fuzz_support.h"

using namespace zelkon;

namespace {

// What `zelkon` writes for 2000 data in one component (corpus/init_log/one_component.log):
// with 100 tasks, 20 data a task.
constexpr const char* kInitLog =
    "Zelkon cluster initialisation, job 12\r\nNumber of observed data: 2000\r\n"
    "Number of x cells: 10\r\nNumber of y cells: 10\r\nNumber of z cells: 5\r\n"
    "Number of Components: 1\r\nData type, restart: 1\r\nData type: gz\r\n"
    "Cluster File: zelkon_cluster_12.zcd\r\n";

// The tasks still to run must cover data that exist, each at least one.
void require_sound_waiting_tasks(const TaskTable& tasks, std::int32_t num_data) {
    for (const ClusterTask& task : tasks.cluster_task) {
        if (task.state == TaskState::waiting) {
            fuzz::require(task.first_datum >= 1 && task.first_datum <= task.last_datum &&
                              task.last_datum <= num_data,
                          "a waiting task holds data 1..num_data, first before last");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FakeRunSetup setup(kInitLog);
    setup.fake.files.add_file("/inv/demo/parvex.mtx", "matrix");
    setup.fake.files.add_file(fuzz::FakeRunSetup::kAssemblyLog, fuzz::text_of(data, size));
    setup.form.Command_start_cluster_run_Click(1);
    if (setup.form.Timer_cluster_task->enabled()) {
        require_sound_waiting_tasks(setup.form.tasks, setup.form.data.num_data);
    }
    return 0;
}
