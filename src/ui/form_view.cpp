#include "ui/form_view.h"

#include "ui/control_view.h"
#include "ui/folder_list.h"
#include "ui/run_log_view.h"
#include "ui/stats_grid_view.h"

namespace zelkon {
namespace {

void show_settings(FormWidgets& w, const FormControls& c) {
    show_text(*w.Text_server, c.Text_server);
    show_text(*w.Text_work_drive, c.Text_work_drive);
    show_text(*w.Text_work_folder, c.Text_work_folder);
    show_text(*w.Text_jobID, c.Text_jobID);
    show_text(*w.Text_max_tasks, c.Text_max_tasks);
    show_text(*w.Text_network_share, c.Text_network_share);
    show_check(*w.Check_use_RPC, c.Check_use_RPC);
}

void show_folder(FormWidgets& w, const FormControls& c) {
    show_drive(*w.Drive1, c.Drive1);
    w.Dir1->show_folder(c.Dir1);
    show_text(*w.Text_set_folder, c.Text_set_folder);
    show_button(*w.Command_set_folder, c.Command_set_folder);
}

void show_buttons(FormWidgets& w, const FormControls& c) {
    for (int i = 0; i < 2; ++i) {
        show_button(*w.Command_start_cluster_run[i], c.Command_start_cluster_run[i]);
        show_button(*w.Command_pause_run[i], c.Command_pause_run[i]);
    }
    show_button(*w.Command_stop_cluster_run, c.Command_stop_cluster_run);
    show_button(*w.Command_done, c.Command_done);
    show_caption(*w.menu_file, c.menu_file);
    show_caption(*w.menu_read_setup, c.menu_read_setup);
    show_caption(*w.menu_save_setup, c.menu_save_setup);
}

void show_figures(FormWidgets& w, const FormControls& c) {
    show_text(*w.Text_tasks_remaining, c.Text_tasks_remaining);
    show_text(*w.Text_tasks_processing, c.Text_tasks_processing);
    show_text(*w.Text_tasks_done, c.Text_tasks_done);
    show_text(*w.Text_tasks_completed, c.Text_tasks_completed);
    show_text(*w.Text_mtx_ndata, c.Text_mtx_ndata);
    show_text(*w.Text_mtx_mx, c.Text_mtx_mx);
    show_text(*w.Text_mtx_my, c.Text_mtx_my);
    show_text(*w.Text_mtx_mz, c.Text_mtx_mz);
    show_text(*w.Text_mtx_size, c.Text_mtx_size);
    show_text(*w.Text_mtx_compression, c.Text_mtx_compression);
    show_text(*w.Text_speedup, c.Text_speedup);
    show_text(*w.Text_overheads, c.Text_overheads);
    show_label(*w.Label_logging_time, c.Label_logging_time);
    show_label(*w.Label_estimated_duration, c.Label_estimated_duration);
    show_label(*w.Label_expected_finish, c.Label_expected_finish);
    show_label(*w.Label_estimated_time_remaining, c.Label_estimated_time_remaining);
    show_progress(*w.ProgressBar_tasks, c.ProgressBar_tasks);
}

}  // namespace

void show_controls(FormWidgets& widgets, const FormControls& controls) {
    show_settings(widgets, controls);
    show_folder(widgets, controls);
    show_buttons(widgets, controls);
    show_figures(widgets, controls);
    show_grid(*widgets.Grid_server_stats, controls.Grid_server_stats);
    widgets.TextBox_run_log->show_log(controls.TextBox_run_log.text);
}

}  // namespace zelkon
