#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "window_fixture.h"

namespace zelkon {
namespace {

using WindowRefreshTest = WindowTest;

TEST_F(WindowRefreshTest, FiguresAndTimesAppearAfterRefresh) {
    form.controls.Text_tasks_remaining.text = "12";
    form.controls.Text_mtx_ndata.text = "48000";
    form.controls.Text_overheads.text = "3.5";
    form.controls.Label_logging_time.caption = "00:01:05";
    form.controls.Label_expected_finish.caption = "06-Dec-2026 15:00:00";
    window.refresh();
    EXPECT_EQ(control<QLineEdit>("Text_tasks_remaining").text(), "12");
    EXPECT_EQ(control<QLineEdit>("Text_mtx_ndata").text(), "48000");
    EXPECT_EQ(control<QLineEdit>("Text_overheads").text(), "3.5");
    EXPECT_EQ(control<QLabel>("Label_logging_time").text(), "00:01:05");
    EXPECT_EQ(control<QLabel>("Label_expected_finish").text(), "06-Dec-2026 15:00:00");
}

TEST_F(WindowRefreshTest, ProgressBarFollowsTheModel) {
    form.controls.ProgressBar_tasks.max = 40;
    form.controls.ProgressBar_tasks.value = 7;
    window.refresh();
    auto& bar = control<QProgressBar>("ProgressBar_tasks");
    EXPECT_EQ(bar.maximum(), 40);
    EXPECT_EQ(bar.value(), 7);
}

TEST_F(WindowRefreshTest, TheWindowsTimerRefreshesWithoutBeingAsked) {
    form.controls.Text_tasks_done.text = "5";
    auto& done = control<QLineEdit>("Text_tasks_done");
    for (int i = 0; i < 50 && done.text() != "5"; ++i) {
        QTest::qWait(MainWindow::kRefreshIntervalMs / 2);
    }
    EXPECT_EQ(done.text(), "5");
}

TEST_F(WindowRefreshTest, RunningShowsStopOverStartAndPauseInItsPlace) {
    show_window();
    form.controls.Command_stop_cluster_run.visible = true;
    form.controls.Command_pause_run[0].visible = true;
    window.refresh();
    QApplication::processEvents();
    auto& start = control<QPushButton>("Command_start_cluster_run_1");
    auto& stop = control<QPushButton>("Command_stop_cluster_run");
    auto& pause = control<QPushButton>("Command_pause_run_0");
    auto& resume = control<QPushButton>("Command_pause_run_1");
    EXPECT_TRUE(stop.isVisible());
    EXPECT_EQ(stop.geometry(), start.geometry());
    EXPECT_EQ(window.childAt(stop.mapTo(&window, stop.rect().center())), &stop);
    EXPECT_TRUE(pause.isVisible());
    EXPECT_FALSE(resume.isVisible());
    EXPECT_EQ(pause.geometry(), resume.geometry());

    form.controls.Command_pause_run[0].visible = false;
    form.controls.Command_pause_run[1].visible = true;
    window.refresh();
    EXPECT_FALSE(pause.isVisible());
    EXPECT_TRUE(resume.isVisible());
}

TEST_F(WindowRefreshTest, DisabledControlsAreDisabled) {
    form.controls.Text_jobID.enabled = false;
    form.controls.Command_start_cluster_run[0].enabled = false;
    window.refresh();
    EXPECT_FALSE(control<QLineEdit>("Text_jobID").isEnabled());
    EXPECT_FALSE(control<QPushButton>("Command_start_cluster_run_0").isEnabled());
    form.controls.Text_jobID.enabled = true;
    window.refresh();
    EXPECT_TRUE(control<QLineEdit>("Text_jobID").isEnabled());
}

TEST_F(WindowRefreshTest, RestoredServerListShowsOneLinePerMachine) {
    form.controls.Text_server.text = "alpha/2/4\r\nbeta\r\ngamma/1";
    window.refresh();
    EXPECT_EQ(control<QPlainTextEdit>("Text_server").toPlainText(), "alpha/2/4\nbeta\ngamma/1");
    EXPECT_EQ(form.controls.Text_server.text, "alpha/2/4\r\nbeta\r\ngamma/1");
}

TEST_F(WindowRefreshTest, BusyPointerShowsAnHourglassUntilCleared) {
    form.controls.busy_pointer = true;
    window.refresh();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    window.refresh();
    form.controls.busy_pointer = false;
    window.refresh();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowRefreshTest, GridShowsHeaderCellsColoursAndWidths) {
    GridControl& grid = form.controls.Grid_server_stats;
    grid.set_cols(2);
    grid.set_rows(3);
    grid.cell(0, 0).text = "Server Name";
    grid.cell(0, 1).text = "Enabled";
    grid.cell(1, 0).text = "node1/0/4";
    grid.cell(1, 1).back_color = kColorGreen;
    grid.cell(2, 0).text = "node2/0/0";
    grid.cell(2, 1).back_color = kColorRed;
    grid.col_widths = {3000, 900};
    window.refresh();

    auto& table = control<QTableWidget>("Grid_server_stats");
    ASSERT_EQ(table.columnCount(), 2);
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.horizontalHeaderItem(0)->text(), "Server Name");
    EXPECT_EQ(table.horizontalHeaderItem(1)->text(), "Enabled");
    EXPECT_EQ(table.item(0, 0)->text(), "node1/0/4");
    EXPECT_EQ(table.item(1, 0)->text(), "node2/0/0");
    EXPECT_EQ(table.item(0, 1)->background().color(), QColor(0, 255, 0));
    EXPECT_EQ(table.item(1, 1)->background().color(), QColor(255, 0, 0));
    EXPECT_EQ(table.columnWidth(0), 200);
    EXPECT_EQ(table.columnWidth(1), 60);

    grid.cell(1, 1).back_color = kColorRed;
    grid.cell(1, 0).text = "node1/0/4 ";
    window.refresh();
    EXPECT_EQ(table.item(0, 1)->background().color(), QColor(255, 0, 0));
    EXPECT_EQ(table.item(0, 0)->text(), "node1/0/4 ");
}

TEST_F(WindowRefreshTest, GridShrinksWithTheModel) {
    GridControl& grid = form.controls.Grid_server_stats;
    grid.set_cols(6);
    grid.set_rows(5);
    window.refresh();
    grid.set_rows(2);
    window.refresh();
    EXPECT_EQ(control<QTableWidget>("Grid_server_stats").rowCount(), 1);
    EXPECT_EQ(control<QTableWidget>("Grid_server_stats").columnCount(), 6);
}

}  // namespace
}  // namespace zelkon
