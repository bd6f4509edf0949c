#include "assembly/assembly_log.h"
#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"
#include "setup/initialisation_stage.h"

namespace zelkon {

void InitialisationStage::determine_data_step(SetupProgress& setup) {
    setup.begin_stage(21, "Determine the data step to use");
    std::int32_t task_target = job.task_target <= 1 ? 100 : job.task_target;
    tasks.data_step =
        whole_number(static_cast<double>(data.num_data) / static_cast<double>(task_target));
    if (tasks.data_step < 5) {
        tasks.data_step = 5;
    }
    double step = tasks.data_step;
    tasks.num_tasks = whole_number(data.num_data / step);
    if (setup.last_task >= 1) {
        tasks.num_tasks = setup.last_task + whole_number((data.num_data - setup.last_data) / step);
    }
}

void InitialisationStage::build_task_table(SetupProgress& setup) {
    setup.begin_stage(22, "Ensure that the number of tasks is valid");
    if (tasks.num_tasks < 1) {
        tasks.num_tasks = 1;
    }
    if (static_cast<std::int64_t>(tasks.num_tasks) * tasks.data_step < data.num_data) {
        tasks.num_tasks += 1;
    }
    tasks.cluster_task.assign(tasks.num_tasks);
}

void InitialisationStage::mark_assembled_tasks(SetupProgress& setup) {
    setup.begin_stage(23, "Get the file size and latest task ID");
    if (assembly_state.assembly_log_last_task < 1) {
        setup.next_task = 1;
        setup.assembled_datum = 0;
        tasks.data_done_at_start = 0;
        return;
    }
    std::int32_t task = 0;
    std::int32_t first = 0;
    std::int32_t last = 0;
    std::array<double, kMaxComponents + 1> sizes{};
    for (std::int32_t t = 1; t <= assembly_state.assembly_log_last_task; ++t) {
        std::int32_t ierr = 0;
        decode_cluster_assembly_line(
            assembly_state.assembly_log_lines.at(static_cast<std::size_t>(t)), task, first, last,
            data.num_components, sizes, ierr);
        if (task < 0 || task > tasks.num_tasks) {
            throw ZelkonError(kErrorSubscriptOutOfRange, "Subscript out of range");
        }
        ClusterTask& record = tasks.cluster_task[task];
        record.first_datum = first;
        record.last_datum = last;
        record.state = TaskState::assembled;
    }
    setup.next_task = task + 1;
    setup.assembled_datum = last;
    tasks.data_done_at_start = last;
}

void InitialisationStage::divide_data_into_tasks(SetupProgress& setup) {
    setup.begin_stage(24, "Initialise the progress settings");
    // Data left over after the last assembled task need one more task at least.
    if (setup.assembled_datum < data.num_data && setup.next_task > tasks.num_tasks) {
        tasks.num_tasks = setup.next_task;
        tasks.cluster_task.resize(tasks.num_tasks);
    }
    std::int32_t planned = tasks.num_tasks;
    std::int32_t last_defined = setup.next_task - 1;
    std::int32_t last_datum = setup.assembled_datum;
    for (std::int32_t i = setup.next_task; i <= planned; ++i) {
        std::int32_t first_datum = last_datum + 1;
        if (i != tasks.num_tasks) {
            last_datum = first_datum + tasks.data_step - 1;
            if (data.num_data - last_datum < tasks.data_step) {
                last_datum = data.num_data;
                tasks.num_tasks -= 1;
            }
        } else {
            last_datum = data.num_data;
        }
        ClusterTask& task = tasks.cluster_task[i];
        task.first_datum = first_datum;
        task.last_datum = last_datum;
        task.state = TaskState::waiting;
        last_defined = i;
        if (last_datum == data.num_data) {
            break;
        }
    }
    // The run has exactly the tasks that were defined: none left empty.
    tasks.num_tasks = last_defined;
    tasks.cluster_task.resize(tasks.num_tasks);
    controls.Text_tasks_remaining.text = format_number(tasks.num_tasks, "0");
    controls.Text_tasks_processing.text = "0";
    controls.Text_tasks_completed.text = "0";
    controls.Text_tasks_done.text = "0";
    controls.ProgressBar_tasks.max = tasks.num_tasks;
    host.append_run_log("\r\rSet up the cluster tasks: " + format_number(tasks.num_tasks, "0"));
}

}  // namespace zelkon
