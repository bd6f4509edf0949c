#pragma once

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace zelkon {

class FolderList;
class RunLogView;

// The widgets that show the form's controls, each named as its control.
// The window owns them through Qt's parent chain.
struct FormWidgets {
    QPlainTextEdit* Text_server = nullptr;
    QLineEdit* Text_work_drive = nullptr;
    QLineEdit* Text_work_folder = nullptr;
    QLineEdit* Text_jobID = nullptr;
    QLineEdit* Text_max_tasks = nullptr;
    QLineEdit* Text_network_share = nullptr;
    QCheckBox* Check_use_RPC = nullptr;

    QComboBox* Drive1 = nullptr;
    FolderList* Dir1 = nullptr;
    QLineEdit* Text_set_folder = nullptr;
    QPushButton* Command_set_folder = nullptr;

    QPushButton* Command_start_cluster_run[2] = {nullptr, nullptr};
    QPushButton* Command_stop_cluster_run = nullptr;
    QPushButton* Command_pause_run[2] = {nullptr, nullptr};
    QPushButton* Command_done = nullptr;

    QMenu* menu_file = nullptr;
    QAction* menu_read_setup = nullptr;
    QAction* menu_save_setup = nullptr;

    RunLogView* TextBox_run_log = nullptr;
    QProgressBar* ProgressBar_tasks = nullptr;
    QTableWidget* Grid_server_stats = nullptr;

    QLineEdit* Text_tasks_remaining = nullptr;
    QLineEdit* Text_tasks_processing = nullptr;
    QLineEdit* Text_tasks_done = nullptr;
    QLineEdit* Text_tasks_completed = nullptr;
    QLineEdit* Text_mtx_ndata = nullptr;
    QLineEdit* Text_mtx_mx = nullptr;
    QLineEdit* Text_mtx_my = nullptr;
    QLineEdit* Text_mtx_mz = nullptr;
    QLineEdit* Text_mtx_size = nullptr;
    QLineEdit* Text_mtx_compression = nullptr;
    QLineEdit* Text_speedup = nullptr;
    QLineEdit* Text_overheads = nullptr;

    QLabel* Label_logging_time = nullptr;
    QLabel* Label_estimated_duration = nullptr;
    QLabel* Label_expected_finish = nullptr;
    QLabel* Label_estimated_time_remaining = nullptr;
};

}  // namespace zelkon
