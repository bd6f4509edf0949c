#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <utility>
#include <vector>

#include "ui/folder_list.h"
#include "ui/run_log_view.h"
#include "window_fixture.h"

namespace zelkon {
namespace {

using WindowControlsTest = WindowTest;

TEST_F(WindowControlsTest, EveryTextBoxShowsItsModelTextAndToolTip) {
    FormControls& c = form.controls;
    std::vector<std::pair<const char*, const TextControl*>> boxes = {
        {"Text_work_drive", &c.Text_work_drive},
        {"Text_work_folder", &c.Text_work_folder},
        {"Text_jobID", &c.Text_jobID},
        {"Text_max_tasks", &c.Text_max_tasks},
        {"Text_network_share", &c.Text_network_share},
        {"Text_set_folder", &c.Text_set_folder},
        {"Text_tasks_remaining", &c.Text_tasks_remaining},
        {"Text_tasks_processing", &c.Text_tasks_processing},
        {"Text_tasks_done", &c.Text_tasks_done},
        {"Text_tasks_completed", &c.Text_tasks_completed},
        {"Text_mtx_ndata", &c.Text_mtx_ndata},
        {"Text_mtx_mx", &c.Text_mtx_mx},
        {"Text_mtx_my", &c.Text_mtx_my},
        {"Text_mtx_mz", &c.Text_mtx_mz},
        {"Text_mtx_size", &c.Text_mtx_size},
        {"Text_mtx_compression", &c.Text_mtx_compression},
        {"Text_speedup", &c.Text_speedup},
        {"Text_overheads", &c.Text_overheads}};
    for (const auto& [name, model] : boxes) {
        auto& box = control<QLineEdit>(name);
        EXPECT_EQ(box.text(), q(model->text)) << name;
        EXPECT_EQ(box.toolTip(), q(model->tool_tip)) << name;
    }
    EXPECT_EQ(control<QLineEdit>("Text_work_folder").text(), "\\temp\\inv_temp");
    EXPECT_EQ(control<QLineEdit>("Text_jobID").text(), "000001");
    EXPECT_EQ(control<QLineEdit>("Text_speedup").toolTip(),
              "The speedup relative to all tasks being performed in a serial fashion");
}

TEST_F(WindowControlsTest, ServerListShowsOneMachinePerLine) {
    EXPECT_EQ(control<QPlainTextEdit>("Text_server").toPlainText(),
              QString(q(form.controls.Text_server.text)).replace("\r\n", "\n"));
    EXPECT_EQ(control<QPlainTextEdit>("Text_server").document()->blockCount(), 2);
}

TEST_F(WindowControlsTest, EveryButtonShowsItsCaptionAndToolTip) {
    FormControls& c = form.controls;
    std::vector<std::pair<const char*, const ButtonControl*>> buttons = {
        {"Command_set_folder", &c.Command_set_folder},
        {"Command_start_cluster_run_0", &c.Command_start_cluster_run[0]},
        {"Command_start_cluster_run_1", &c.Command_start_cluster_run[1]},
        {"Command_stop_cluster_run", &c.Command_stop_cluster_run},
        {"Command_pause_run_0", &c.Command_pause_run[0]},
        {"Command_pause_run_1", &c.Command_pause_run[1]},
        {"Command_done", &c.Command_done}};
    for (const auto& [name, model] : buttons) {
        auto& button = control<QPushButton>(name);
        EXPECT_FALSE(button.text().isEmpty()) << name;
        EXPECT_EQ(button.text(), q(model->caption)) << name;
        EXPECT_EQ(button.toolTip(), q(model->tool_tip)) << name;
    }
    EXPECT_EQ(control<QPushButton>("Command_start_cluster_run_0").text(), "Test Cluster Setup");
    EXPECT_EQ(control<QPushButton>("Command_start_cluster_run_1").text(), "Start Cluster Run");
    EXPECT_EQ(control<QPushButton>("Command_pause_run_1").text(), "Resume Cluster Run");
}

TEST_F(WindowControlsTest, StopAndPauseButtonsAreHiddenAtFirst) {
    show_window();
    EXPECT_FALSE(control<QPushButton>("Command_stop_cluster_run").isVisible());
    EXPECT_FALSE(control<QPushButton>("Command_pause_run_0").isVisible());
    EXPECT_FALSE(control<QPushButton>("Command_pause_run_1").isVisible());
    EXPECT_TRUE(control<QPushButton>("Command_start_cluster_run_0").isVisible());
    EXPECT_TRUE(control<QPushButton>("Command_start_cluster_run_1").isVisible());
    EXPECT_TRUE(control<QPushButton>("Command_done").isVisible());
}

TEST_F(WindowControlsTest, UseRpcIsACheckBoxWithItsCaption) {
    auto& box = control<QCheckBox>("Check_use_RPC");
    EXPECT_EQ(box.text(), "Use RPC");
    EXPECT_EQ(box.isChecked(), form.controls.Check_use_RPC.value != 0);
}

TEST_F(WindowControlsTest, FileMenuHoldsReadAndSaveSetup) {
    auto& menu = control<QMenu>("menu_file");
    EXPECT_EQ(menu.title(), "File");
    EXPECT_TRUE(window.menuBar()->actions().contains(menu.menuAction()));
    auto& read = control<QAction>("menu_read_setup");
    auto& save = control<QAction>("menu_save_setup");
    EXPECT_EQ(read.text(), "Read setup");
    EXPECT_EQ(save.text(), "Save setup");
    EXPECT_EQ(menu.actions(), (QList<QAction*>{&read, &save}));
}

TEST_F(WindowControlsTest, DisplayControlsExist) {
    control<QComboBox>("Drive1");
    control<FolderList>("Dir1");
    control<RunLogView>("TextBox_run_log");
    control<QProgressBar>("ProgressBar_tasks");
    control<QTableWidget>("Grid_server_stats");
    for (const char* name : {"Label_logging_time", "Label_estimated_duration",
                             "Label_expected_finish", "Label_estimated_time_remaining"}) {
        control<QLabel>(name);
    }
}

TEST_F(WindowControlsTest, RunLogIsReadOnlyAndFixedPitch) {
    auto& log = control<RunLogView>("TextBox_run_log");
    EXPECT_TRUE(log.isReadOnly());
    EXPECT_TRUE(QFontInfo(log.font()).fixedPitch());
}

TEST_F(WindowControlsTest, CaptionIsTheModels) {
    EXPECT_EQ(window.windowTitle(), "Zelkon Cluster Controller");
    form.controls.caption = "Zelkon Cluster Controller on CONTROL1";
    window.refresh();
    EXPECT_EQ(window.windowTitle(), "Zelkon Cluster Controller on CONTROL1");
}

TEST_F(WindowControlsTest, DriveListOffersTheFormsDrives) {
    auto& drives = control<QComboBox>("Drive1");
    std::vector<std::string> offered;
    for (int i = 0; i < drives.count(); ++i) {
        offered.push_back(drives.itemText(i).toStdString());
    }
    EXPECT_EQ(offered, form.drive_list());
}

}  // namespace
}  // namespace zelkon
