#include "model/form_controls.h"

namespace zelkon {

void GridControl::set_rows(int rows) {
    cells.resize(static_cast<std::size_t>(rows), std::vector<GridCell>(cols_));
}

void GridControl::set_cols(int cols) {
    cols_ = cols;
    for (auto& row : cells) {
        row.resize(static_cast<std::size_t>(cols));
    }
    col_widths.resize(static_cast<std::size_t>(cols), 0);
}

FormControls::FormControls() {
    Text_server.text = kDefaultServerList;
    Text_work_folder.text = "/temp/inv_temp";
    Text_jobID.text = "000001";
    Check_use_RPC.caption = "Use RPC";
    Command_set_folder.caption = "Set Inversion Data Folder";
    Command_start_cluster_run[0].caption = "Test Cluster Setup";
    Command_start_cluster_run[1].caption = "Start Cluster Run";
    Command_stop_cluster_run.caption = "Stop Cluster Run";
    Command_stop_cluster_run.visible = false;
    Command_pause_run[0].caption = "Pause Cluster Run";
    Command_pause_run[0].visible = false;
    Command_pause_run[0].tool_tip =
        "Use this button to pause the current run (current background tasks will run to "
        "completion)";
    Command_pause_run[1].caption = "Resume Cluster Run";
    Command_pause_run[1].visible = false;
    Command_pause_run[1].tool_tip = "Use this button to resume the current run";
    Command_done.caption = "Done";

    Text_max_tasks.tool_tip =
        "Specify the total number of tasks to be used for performing the mtx calculation";
    Text_network_share.tool_tip =
        "Specify the (optional) network share name for the folder containing the inversion. "
        "Only used for access by remote servers.";
    Text_work_folder.tool_tip = "Select the name of the work folder to use on the remote computers";
    Text_work_drive.tool_tip = "Select the drive letter to use on the remote computers";
    Text_set_folder.tool_tip =
        "Copy the folder name into this text box and then click on the Set Folder button";
    Text_tasks_remaining.tool_tip = "The number of tasks which have not yet been started";
    Text_tasks_completed.tool_tip = "The number of completed tasks";
    Text_tasks_processing.tool_tip = "The number of tasks currently in progress";
    Text_mtx_ndata.tool_tip = "The number of observed data points";
    Text_mtx_mx.tool_tip = "The number of cells in the X dimension";
    Text_mtx_my.tool_tip = "The number of cells in the Y dimension";
    Text_mtx_mz.tool_tip = "The number of cells in the Z dimension";
    Text_mtx_size.tool_tip = "The size of the mtx file";
    Text_mtx_compression.tool_tip = "The compression achieved";
    Text_speedup.tool_tip = "The speedup relative to all tasks being performed in a serial fashion";
    Text_overheads.tool_tip =
        "The percentage of the total time being used for managing the calculation process";
}

const std::vector<std::string>& static_label_texts() {
    static const std::vector<std::string> texts = {"Servers",
                                                   "Local work drive/folder",
                                                   "Select location of inversion files",
                                                   "Job ID",
                                                   "Max Tasks",
                                                   "Network share for work folder",
                                                   "Tasks",
                                                   "Tasks:  Pending",
                                                   "Running",
                                                   "Done",
                                                   "Assembled",
                                                   "% Overhead",
                                                   "Elapsed time",
                                                   "Expected Duration",
                                                   "Expected finish time",
                                                   "Time remaining",
                                                   "Speedup",
                                                   "MTX array",
                                                   "Data",
                                                   "Expected mtx size",
                                                   "Compression"};
    return texts;
}

}  // namespace zelkon
