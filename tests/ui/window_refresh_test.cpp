#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <memory>

#include "ui/refreshing_event_pump.h"
#include "ui/stats_grid_view.h"
#include "window_fixture.h"

namespace zelkon {
namespace {

using WindowRefreshTest = WindowTest;

// A bar whose maximum is 0 shows empty rather than busy.
TEST_F(WindowRefreshTest, ProgressBarFollowsTheModel) {
    auto& bar = control<QProgressBar>("ProgressBar_tasks");
    const int cases[][4] = {{40, 7, 40, 7}, {0, 0, 1, 0}, {10, 12, 10, 10}};
    for (const auto& [max, value, shown_max, shown_value] : cases) {
        form.controls.ProgressBar_tasks = ProgressControl{value, max};
        window.refresh();
        EXPECT_EQ(bar.maximum(), shown_max) << max;
        EXPECT_EQ(bar.value(), shown_value) << value;
    }
}

TEST_F(WindowRefreshTest, TheWindowsTimerRefreshesWithoutBeingAsked) {
    form.controls.Text_tasks_done.text = "5";
    auto& done = control<QLineEdit>("Text_tasks_done");
    for (int i = 0; i < 50 && done.text() != "5"; ++i) {
        QTest::qWait(MainWindow::kRefreshIntervalMs / 2);
    }
    EXPECT_EQ(done.text(), "5");
}

// Yielding in a long handler shows the model as it stands and lets pending
// events run, even once the window is gone.
TEST_F(WindowRefreshTest, YieldingShowsTheModelAndRunsEvents) {
    RefreshingEventPump pump;
    pump.attach(&window);
    form.controls.Text_tasks_done.text = "3";
    pump.yield();
    EXPECT_EQ(control<QLineEdit>("Text_tasks_done").text(), "3");
    form.controls.Text_tasks_done.text = "4";
    QThread::msleep(RefreshingEventPump::kMinRefreshIntervalMs + 10);
    pump.yield();
    EXPECT_EQ(control<QLineEdit>("Text_tasks_done").text(), "4");

    auto other = std::make_unique<MainWindow>(form);
    pump.attach(other.get());
    other.reset();
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    pump.yield();
    EXPECT_TRUE(ran);
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
    EXPECT_EQ(stop.geometry(), start.geometry());
    EXPECT_EQ(window.childAt(stop.mapTo(&window, stop.rect().center())), &stop);
    EXPECT_TRUE(pause.isVisible());
    EXPECT_EQ(pause.geometry(), resume.geometry());
    form.controls.Command_pause_run[0].visible = false;
    form.controls.Command_pause_run[1].visible = true;
    window.refresh();
    EXPECT_FALSE(pause.isVisible());
    EXPECT_TRUE(resume.isVisible());
}

Qt::CursorShape override_shape() {
    QCursor* cursor = QApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::ArrowCursor;
}

// A set-up asks for the busy pointer before it starts the initialisation
// and waits for it; here the initialisation writes no log, so the set-up
// stops with a message and the pointer must go.
TEST_F(WindowRefreshTest, BusyPointerShowsWhileASetUpRuns) {
    FormControls& c = form.controls;
    c.Text_server.text = "nodeA/2";
    c.Text_work_drive.text = "/data";
    c.Text_work_folder.text = "Work";
    c.Text_max_tasks.text = "10";
    c.Dir1 = "/inv/demo";
    fake.files.add_folder("/data");
    fake.files.add_folder("/net/nodeA/data");  // nodeA's work drive, reached from here
    fake.files.add_file("/inv/demo/zelkon.inp", "");
    std::vector<Qt::CursorShape> at_start;
    fake.processes.on_start = [&at_start](const FakeProcessStarter::Started&) {
        at_start.push_back(override_shape());
    };
    window.refresh();
    control<QPushButton>("Command_start_cluster_run_0").click();
    EXPECT_EQ(at_start, std::vector<Qt::CursorShape>{Qt::WaitCursor});
    EXPECT_EQ(fake.dialogs.messages.size(), 1u);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Yielding shows the busy pointer at once, even when the rest of the model
// waits for the next refresh; shown again, it is still cleared at once.
TEST_F(WindowRefreshTest, BusyPointerShowsAnHourglassUntilCleared) {
    RefreshingEventPump pump;
    pump.attach(&window);
    pump.yield();
    form.controls.busy_pointer = true;
    pump.yield();
    EXPECT_EQ(override_shape(), Qt::WaitCursor);
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
    grid.col_widths = {3000, 908};
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
    EXPECT_EQ(table.columnWidth(1), 61);

    grid.cell(1, 1).back_color = kColorRed;
    grid.cell(1, 0).text = "node1/0/4 ";
    window.refresh();
    EXPECT_EQ(table.item(0, 1)->background().color(), QColor(255, 0, 0));
    EXPECT_EQ(table.item(0, 0)->text(), "node1/0/4 ");
    grid.set_cols(6);
    grid.set_rows(2);
    window.refresh();
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(table.columnCount(), 6);
}

// Fifteen twips make a pixel, rounded to the nearest; a grid too narrow for
// its formula gives negative widths, which are none.
TEST(TwipsTest, TwipsBecomePixels) {
    const std::pair<int, int> cases[] = {{900, 60}, {907, 60}, {908, 61}, {0, 0}, {-300, 0}};
    for (const auto& [twips, pixels] : cases) {
        EXPECT_EQ(pixels_of_twips(twips), pixels) << twips;
    }
}

}  // namespace
}  // namespace zelkon
