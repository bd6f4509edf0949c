#include "assembly/assembly_log.h"
#include "controller/Module_zelkon_cluster.h"
#include "controller/initialisation_stage.h"
#include "platform/error.h"

namespace zelkon {

void InitialisationStage::determine_data_step(SetupProgress& setup) {
    setup.begin_stage(21, "Determine the data step to use");
    if (state.task_target <= 1) {
        state.task_target = 100;
    }
    state.data_step =
        whole_number(static_cast<double>(state.num_data) / static_cast<double>(state.task_target));
    if (state.data_step < 5) {
        state.data_step = 5;
    }
    double step = state.data_step;
    state.num_tasks = whole_number(state.num_data / step);
    if (setup.last_task >= 1) {
        state.num_tasks = setup.last_task + whole_number((state.num_data - setup.last_data) / step);
    }
}

void InitialisationStage::build_task_table(SetupProgress& setup) {
    setup.begin_stage(22, "Ensure that the number of tasks is valid");
    if (state.num_tasks < 1) {
        state.num_tasks = 1;
    }
    if (static_cast<std::int64_t>(state.num_tasks) * state.data_step < state.num_data) {
        state.num_tasks += 1;
    }
    state.cluster_task.assign(state.num_tasks);
}

void InitialisationStage::mark_assembled_tasks(SetupProgress& setup) {
    setup.begin_stage(23, "Get the file size and latest task ID");
    if (state.assembly_log_last_task < 1) {
        setup.next_task = 1;
        state.task_last_datum = 0;
        state.data_done_at_start = 0;
        return;
    }
    std::int32_t task = 0;
    std::int32_t first = 0;
    std::int32_t last = 0;
    std::array<double, kMaxComponents + 1> sizes{};
    for (std::int32_t t = 1; t <= state.assembly_log_last_task; ++t) {
        std::int32_t ierr = 0;
        decode_cluster_assembly_line(state.assembly_log_lines.at(static_cast<std::size_t>(t)), task,
                                     first, last, state.num_components, sizes, ierr);
        if (task < 0 || task > state.num_tasks) {
            throw ZelkonError(kErrorSubscriptOutOfRange, "Subscript out of range");
        }
        ClusterTask& record = state.cluster_task[task];
        record.first_datum = first;
        record.last_datum = last;
        record.state = TaskState::assembled;
    }
    setup.next_task = task + 1;
    state.task_last_datum = last;
    state.data_done_at_start = last;
}

void InitialisationStage::divide_data_into_tasks(SetupProgress& setup) {
    setup.begin_stage(24, "Initialise the progress settings");
    // Data left over after the last assembled task need one more task at least.
    if (state.task_last_datum < state.num_data && setup.next_task > state.num_tasks) {
        state.num_tasks = setup.next_task;
        state.cluster_task.resize(state.num_tasks);
    }
    std::int32_t planned = state.num_tasks;
    std::int32_t last_defined = setup.next_task - 1;
    for (std::int32_t i = setup.next_task; i <= planned; ++i) {
        state.task_first_datum = state.task_last_datum + 1;
        if (i != state.num_tasks) {
            state.task_last_datum = state.task_first_datum + state.data_step - 1;
            if (state.num_data - state.task_last_datum < state.data_step) {
                state.task_last_datum = state.num_data;
                state.num_tasks -= 1;
            }
        } else {
            state.task_last_datum = state.num_data;
        }
        ClusterTask& task = state.cluster_task[i];
        task.first_datum = state.task_first_datum;
        task.last_datum = state.task_last_datum;
        task.state = TaskState::waiting;
        last_defined = i;
        if (state.task_last_datum == state.num_data) {
            break;
        }
    }
    // The run has exactly the tasks that were defined: none left empty.
    state.num_tasks = last_defined;
    state.cluster_task.resize(state.num_tasks);
    controls.Text_tasks_remaining.text = format_number(state.num_tasks, "0");
    controls.Text_tasks_processing.text = "0";
    controls.Text_tasks_completed.text = "0";
    controls.Text_tasks_done.text = "0";
    controls.ProgressBar_tasks.max = state.num_tasks;
    append_run_log("\r\rSet up the cluster tasks: " + format_number(state.num_tasks, "0"));
}

}  // namespace zelkon
