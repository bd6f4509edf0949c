#include <exception>

#include "engine/task_engine.h"
#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"

namespace zelkon {

void TaskEngine::Timer_cluster_task_Timer() {
    // A tick delivered while another one yields further down the stack, or
    // after a Stop, does nothing.
    if (run.run_terminated || run.timer_stage > 0) {
        return;
    }
    run.timer_stage = 1;
    std::int32_t done_before = tasks.num_tasks_done;
    prompt_tick_.follow(job.local_work_path, run.run_start_tick_ms);
    try {
        run_tick_steps();
    } catch (const std::exception& error) {
        prompt_tick_.stop();
        run_control_.end_run_with_error(error_description(error));
        return;
    }
    run.timer_stage = 0;
    // The servers this tick freed take their next tasks at once, not a tick later.
    if (tasks.num_tasks_done > done_before && !run.run_terminated) {
        prompt_tick_.request();
    }
}

void TaskEngine::run_tick_steps() {
    show_elapsed_time();
    run.timer_stage = 2;
    allocate_task_to_server();
    run.timer_stage = 3;
    check_for_completed_tasks();
    run.timer_stage = 4;
    update_speed_stats();
    std::int32_t ierr = 0;
    assembly_.assemble_completed_tasks(ierr);
    end_run_when_no_server_is_left();
    run.timer_stage = 6;
    view.show_overheads();
    // A Stop clicked during one of this tick's yields has cleaned up already.
    if (last_task_assembled() && !run.run_terminated) {
        finish_run();
    }
}

void TaskEngine::show_elapsed_time() {
    run.tick_time = clock.now();
    std::int64_t elapsed_ms = clock.tick_ms() - run.run_start_tick_ms;
    run.elapsed_seconds = static_cast<double>(elapsed_ms / 1000);
    view.show_run_time();
}

bool TaskEngine::last_task_assembled() const {
    return tasks.cluster_task[tasks.num_tasks].state == TaskState::assembled;
}

void TaskEngine::finish_run() {
    prompt_tick_.stop();
    Timer_cluster_task.set_enabled(false);
    Timer_cluster_task.set_interval(0);
    run_control_.cluster_cleanup();
    run_control_.tell_where_the_run_ended(RunOutcome::all_assembled);
    host.report_run_end(RunOutcome::all_assembled);
    if (run.exit_when_finished == 1) {
        host.request_exit(0);
    }
}

}  // namespace zelkon
