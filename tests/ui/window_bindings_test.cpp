// What binds the window to its form: each control shows its model after a
// refresh, typing reaches the model, and the commands run their handlers.
// How each control looks is the clipping test's and a person's part.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "ui/dropped_paths.h"
#include "window_fixture.h"

namespace zelkon {
namespace {

using WindowBindings = WindowTest;

// The one-line boxes with their models; the first six take typing, the
// figures are read only. Distinct values catch one box showing another's.
TEST_F(WindowBindings, EveryBoxShowsItsModelAndOnlySettingsTakeTyping) {
    FormControls& c = form.controls;
    const std::pair<const char*, TextControl*> boxes[] = {
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
    for (std::size_t i = 0; i < std::size(boxes); ++i) {
        auto [name, model] = boxes[i];
        auto& box = control<QLineEdit>(name);
        *model = TextControl{std::string(name) + " text", std::string(name) + " tip", true};
        window.refresh();
        EXPECT_EQ(box.text().toStdString(), model->text);
        EXPECT_EQ(box.toolTip().toStdString(), model->tool_tip);
        box.selectAll();
        QTest::keyClicks(&box, "typed");
        EXPECT_EQ(model->text, i < 6 ? "typed" : std::string(name) + " text") << name;
    }
    const std::pair<const char*, LabelControl*> times[] = {
        {"Label_logging_time", &c.Label_logging_time},
        {"Label_estimated_duration", &c.Label_estimated_duration},
        {"Label_expected_finish", &c.Label_expected_finish},
        {"Label_estimated_time_remaining", &c.Label_estimated_time_remaining}};
    for (const auto& [name, model] : times) {
        model->caption = name;
        window.refresh();
        EXPECT_EQ(control<QLabel>(name).text(), name);
    }
    // A bar whose maximum is 0 shows empty rather than busy.
    c.ProgressBar_tasks = ProgressControl{0, 0};
    window.refresh();
    EXPECT_EQ(control<QProgressBar>("ProgressBar_tasks").maximum(), 1);
}

// The server list's lines end in CR LF in the model, and a refresh leaves
// what the user typed, and where, alone.
TEST_F(WindowBindings, TheServerListAndUseRpcFollowTheModelBothWays) {
    auto& servers = control<QPlainTextEdit>("Text_server");
    form.controls.Text_server.text = "alpha/2/4\r\nbeta";
    window.refresh();
    EXPECT_EQ(servers.toPlainText(), "alpha/2/4\nbeta");
    servers.moveCursor(QTextCursor::End);
    QTest::keyClick(&servers, Qt::Key_Return);
    QTest::keyClicks(&servers, "node3");
    EXPECT_EQ(form.controls.Text_server.text, "alpha/2/4\r\nbeta\r\nnode3");
    window.refresh();
    EXPECT_EQ(servers.textCursor().position(), servers.toPlainText().size());
    control<QCheckBox>("Check_use_RPC").click();
    EXPECT_EQ(form.controls.Check_use_RPC.value, 1);
}

// Stop and Pause/Resume are hidden until a run. Save checks the settings
// first, and with the design-time ones (no maximum number of tasks) stops
// there, as each set-up does, saying why.
TEST_F(WindowBindings, ButtonsFollowTheirModelAndRunTheirHandlers) {
    window.show();
    QApplication::processEvents();
    EXPECT_FALSE(control<QPushButton>("Command_stop_cluster_run").isVisible());
    form.controls.Command_stop_cluster_run = ButtonControl{"Stop it", "tip", true, false};
    window.refresh();
    auto& stop = control<QPushButton>("Command_stop_cluster_run");
    EXPECT_TRUE(stop.isVisible() && !stop.isEnabled() && stop.text() == "Stop it");
    control<QAction>("menu_read_setup").trigger();
    EXPECT_EQ(fake.dialogs.dialog_titles,
              std::vector<std::string>{"Select the parameter file to read"});
    control<QAction>("menu_save_setup").trigger();
    control<QPushButton>("Command_start_cluster_run_0").click();
    ASSERT_EQ(fake.dialogs.messages.size(), 2u);
    EXPECT_EQ(fake.dialogs.messages[0], "The maximum number of tasks is not valid");
}

// A remote URL stays text, so it is no folder; a drop without URLs gives nothing.
TEST(DroppedPathsTest, UrlListGivesPathsInOrder) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/data/inv one"), QUrl("https://example.org/data")});
    EXPECT_EQ(dropped_paths(data),
              (std::vector<std::string>{"/data/inv one", "https://example.org/data"}));
    QMimeData text;
    text.setText("/data/inv");
    EXPECT_FALSE(dropped_paths(text).has_value());
}

}  // namespace
}  // namespace zelkon
