#include "demo_run.h"

#include <string>

namespace zelkon {
namespace {

constexpr const char* kHome = "/home/alexandra";
constexpr const char* kDemo = "/home/alexandra/zelkon-demo";
constexpr const char* kInversion = "/home/alexandra/zelkon-demo/inversion";

void fill_controls(FormControls& c) {
    c.caption = "Zelkon Cluster Controller on CONTROL1";
    c.Text_server.text = "CONTROL1/2\r\nnode-a/4/2\r\nnode-b/4/2\r\nnode-c/2";
    c.Text_work_drive.text = kDemo;
    c.Text_work_folder.text = "Work";
    c.Text_jobID.text = "000012";
    c.Text_max_tasks.text = "200";
    c.Text_network_share.text = "/net/CONTROL1/home/alexandra/zelkon-demo/Work";
    c.Check_use_RPC.value = 1;
    c.Drive1 = kHome;
    c.Dir1 = kInversion;
    c.Text_set_folder.text = kInversion;
    c.Command_start_cluster_run[1].visible = false;
    c.Command_stop_cluster_run.visible = true;
    c.Command_pause_run[0].visible = true;
    c.Text_tasks_remaining.text = "117";
    c.Text_tasks_processing.text = "12";
    c.Text_tasks_done.text = "71";
    c.Text_tasks_completed.text = "68";
    c.Text_speedup.text = "11.4";
    c.Text_mtx_mx.text = "100";
    c.Text_mtx_my.text = "100";
    c.Text_mtx_mz.text = "50";
    c.Text_mtx_ndata.text = "10004";
    c.Text_mtx_size.text = "18.6 GB";
    c.Text_mtx_compression.text = "6.92";
    c.Text_overheads.text = "1.8";
    c.Label_logging_time.caption = "01:42:17";
    c.Label_estimated_duration.caption = "05:00:09";
    c.Label_expected_finish.caption = "06-Dec-2026 19:05:09";
    c.Label_estimated_time_remaining.caption = "03:17:52";
    c.ProgressBar_tasks = ProgressControl{68, 200};
}

void fill_grid(GridControl& grid) {
    const char* headers[] = {"Server Name", "Enabled", "Task", "Tasks Done", "Speed", "Status"};
    const char* rows[][6] = {{"CONTROL1/0/1", "Yes", "81", "9", "1.02", "Running"},
                             {"CONTROL1/1/1", "Yes", "82", "9", "0.98", "Running"},
                             {"node-a/0/2", "Yes", "79", "13", "1.41", "Running"},
                             {"node-b/0/2", "No", "", "4", "0.31", "Out of service"}};
    grid.set_cols(6);
    grid.set_rows(5);
    grid.col_widths = {1800, 900, 700, 1200, 900, 1700};
    for (int col = 0; col < 6; ++col) {
        grid.cell(0, col).text = headers[col];
        for (int row = 0; row < 4; ++row) {
            grid.cell(row + 1, col).text = rows[row][col];
        }
    }
    for (int row = 1; row <= 4; ++row) {
        grid.cell(row, 1).back_color = row < 4 ? kColorGreen : kColorRed;
    }
}

std::string demo_log() {
    std::string log = "\rRun the cluster setup process: CONTROL1";
    log += "\rCommand: zelkon zelkon.inp CLUSTER=000012";
    log += std::string("\rPath: ") + kInversion + "/";
    for (int task = 1; task <= 68; ++task) {
        log += "\rTask " + std::to_string(task) + " assembled";
    }
    return log;
}

}  // namespace

DemoRun::DemoRun() {
    fake.environment.variables["HOME"] = kHome;
    fake.files.add_folder(std::string(kInversion) + "/previous");
    fake.files.add_folder(std::string(kDemo) + "/Work");
    fill_controls(form.controls);
    fill_grid(form.controls.Grid_server_stats);
    form.set_run_log(demo_log());
}

}  // namespace zelkon
