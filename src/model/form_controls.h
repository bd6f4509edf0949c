#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelkon {

// Colours as 0xRRGGBB.
inline constexpr std::uint32_t kColorGreen = 0x00FF00;
inline constexpr std::uint32_t kColorRed = 0xFF0000;
inline constexpr std::uint32_t kColorWhite = 0xFFFFFF;

// The statistics grid's width, in twips, in a window of the default size.
inline constexpr int kDefaultGridWidthTwips = 12555;  // 837 pixels of 1280 x 800

struct TextControl {
    std::string text;
    std::string tool_tip;
    bool enabled = true;
};

struct LabelControl {
    std::string caption;
};

struct ButtonControl {
    std::string caption;
    std::string tool_tip;
    bool visible = true;
    bool enabled = true;
};

struct CheckControl {
    std::string caption;
    int value = 0;  // 0 cleared, 1 checked
};

struct GridCell {
    std::string text;
    std::uint32_t back_color = kColorWhite;
};

// The statistics grid: rows by columns of cells, column widths in twips.
struct GridControl {
    void set_rows(int rows);
    void set_cols(int cols);
    int rows() const { return static_cast<int>(cells.size()); }
    int cols() const { return cols_; }
    GridCell& cell(int row, int col) { return cells.at(row).at(col); }
    const GridCell& cell(int row, int col) const { return cells.at(row).at(col); }

    std::vector<std::vector<GridCell>> cells;
    std::vector<int> col_widths;

  private:
    int cols_ = 0;
};

// The statistics grid's column that shows, in green or red, whether a task
// server can be given tasks.
inline constexpr int kGridEnabledColumn = 1;

struct ProgressControl {
    int value = 0;
    int max = 100;
};

// The run log: a growing text whose paragraphs start with "\r".
struct RunLogControl {
    std::string text;
};

// Every control of the form as plain data. The procedures read and write it;
// the window shows it.
struct FormControls {
    FormControls();

    std::string caption = "Zelkon Cluster Controller";

    TextControl Text_server;
    TextControl Text_work_drive;
    TextControl Text_work_folder;
    TextControl Text_jobID;
    TextControl Text_max_tasks;
    TextControl Text_network_share;
    CheckControl Check_use_RPC;

    std::string Drive1;  // the selected file-system root
    std::string Dir1;    // the inversion folder
    TextControl Text_set_folder;
    ButtonControl Command_set_folder;

    ButtonControl Command_start_cluster_run[2];
    ButtonControl Command_stop_cluster_run;
    ButtonControl Command_pause_run[2];
    ButtonControl Command_done;

    std::string menu_file = "File";
    std::string menu_read_setup = "Read setup";
    std::string menu_save_setup = "Save setup";

    RunLogControl TextBox_run_log;
    ProgressControl ProgressBar_tasks;
    GridControl Grid_server_stats;
    // The grid's width in twips, as the window last laid it out; without a
    // window, its width at the window's default size.
    int Grid_server_stats_width = kDefaultGridWidthTwips;

    TextControl Text_tasks_remaining;
    TextControl Text_tasks_processing;
    TextControl Text_tasks_done;
    TextControl Text_tasks_completed;
    TextControl Text_mtx_ndata;
    TextControl Text_mtx_mx;
    TextControl Text_mtx_my;
    TextControl Text_mtx_mz;
    TextControl Text_mtx_size;
    TextControl Text_mtx_compression;
    TextControl Text_speedup;
    TextControl Text_overheads;

    LabelControl Label_logging_time;
    LabelControl Label_estimated_duration;
    LabelControl Label_expected_finish;
    LabelControl Label_estimated_time_remaining;

    // Whether the mouse pointer shows the hourglass.
    bool busy_pointer = false;
};

// The design-time default list of task servers.
inline constexpr const char* kDefaultServerList = "node1\r\nnode2";

// The static labels of the form, in the order they are laid out.
const std::vector<std::string>& static_label_texts();

}  // namespace zelkon
