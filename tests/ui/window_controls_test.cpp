#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <sstream>

#include "window_fixture.h"

namespace zelkon {
namespace {

using WindowControlsTest = WindowTest;

// Each box and button shows its model at first, and whatever the model holds
// after a refresh; distinct values catch one showing another's.
TEST_F(WindowControlsTest, EveryTextBoxFollowsItsModel) {
    for (const auto& [name, model] : text_boxes()) {
        SCOPED_TRACE(name);
        auto& box = control<QLineEdit>(name);
        EXPECT_EQ(box.text(), q(model->text));
        EXPECT_EQ(box.toolTip(), q(model->tool_tip));
        *model = TextControl{std::string(name) + " text", std::string(name) + " tip", false};
        window.refresh();
        EXPECT_EQ(box.text(), QString(name) + " text");
        EXPECT_EQ(box.toolTip(), QString(name) + " tip");
        EXPECT_FALSE(box.isEnabled());
    }
}

// Stop and Pause/Resume are hidden until a run.
TEST_F(WindowControlsTest, EveryButtonAndTimeFollowsItsModel) {
    FormControls& c = form.controls;
    const std::pair<const char*, ButtonControl*> buttons[] = {
        {"Command_set_folder", &c.Command_set_folder},
        {"Command_start_cluster_run_0", &c.Command_start_cluster_run[0]},
        {"Command_start_cluster_run_1", &c.Command_start_cluster_run[1]},
        {"Command_done", &c.Command_done},
        {"Command_stop_cluster_run", &c.Command_stop_cluster_run},
        {"Command_pause_run_0", &c.Command_pause_run[0]},
        {"Command_pause_run_1", &c.Command_pause_run[1]}};
    show_window();
    for (std::size_t i = 0; i < std::size(buttons); ++i) {
        auto [name, model] = buttons[i];
        SCOPED_TRACE(name);
        auto& button = control<QPushButton>(name);
        EXPECT_EQ(button.isVisible(), i < 4);
        EXPECT_FALSE(button.text().isEmpty());
        EXPECT_EQ(button.text(), q(model->caption));
        EXPECT_EQ(button.toolTip(), q(model->tool_tip));
        *model = ButtonControl{std::string(name) + " caption", std::string(name) + " tip", i >= 4,
                               false};
        window.refresh();
        EXPECT_EQ(button.text(), QString(name) + " caption");
        EXPECT_EQ(button.toolTip(), QString(name) + " tip");
        EXPECT_EQ(button.isVisible(), i >= 4);
        EXPECT_FALSE(button.isEnabled());
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
}

// The model's line ends become the box's lines; showing them is no edit.
TEST_F(WindowControlsTest, ServerListAndUseRpcFollowTheirModel) {
    auto& servers = control<QPlainTextEdit>("Text_server");
    auto& rpc = control<QCheckBox>("Check_use_RPC");
    EXPECT_EQ(servers.toPlainText(), "node1\nnode2");
    EXPECT_EQ(rpc.text(), q(form.controls.Check_use_RPC.caption));
    EXPECT_FALSE(rpc.isChecked());
    form.controls.Text_server.text = "alpha/2/4\r\nbeta\r\ngamma/1";
    form.controls.Text_server.enabled = false;
    form.controls.Check_use_RPC = CheckControl{"RPC caption", 1};
    window.refresh();
    EXPECT_EQ(servers.toPlainText(), "alpha/2/4\nbeta\ngamma/1");
    EXPECT_EQ(form.controls.Text_server.text, "alpha/2/4\r\nbeta\r\ngamma/1");
    EXPECT_FALSE(servers.isEnabled());
    EXPECT_EQ(rpc.text(), "RPC caption");
    EXPECT_TRUE(rpc.isChecked());
}

// What a title bar shows: Qt adds a separator and the program's display name
// to a window title that does not end with it.
std::string title_bar_text(const QWidget& window) {
    QString title = window.windowTitle();
    QString name = QGuiApplication::applicationDisplayName();
    return (title.endsWith(name) ? title : title + " \u2014 " + name).toStdString();
}

// The program names itself before it makes the window; the caption that
// names the computer too is shown without the name again after it.
TEST_F(WindowControlsTest, MenuAndTitleBarShowTheirModels) {
    auto& menu = control<QMenu>("menu_file");
    auto& read = control<QAction>("menu_read_setup");
    auto& save = control<QAction>("menu_save_setup");
    EXPECT_TRUE(window.menuBar()->actions().contains(menu.menuAction()));
    EXPECT_EQ(menu.actions(), (QList<QAction*>{&read, &save}));
    EXPECT_EQ(menu.title(), q(form.controls.menu_file));
    EXPECT_EQ(read.text(), q(form.controls.menu_read_setup));
    EXPECT_EQ(save.text(), q(form.controls.menu_save_setup));
    QGuiApplication::setApplicationDisplayName("Zelkon Cluster Controller");
    for (const char* caption :
         {"Zelkon Cluster Controller on CONTROL1", "Zelkon Cluster Controller on NODE7"}) {
        form.controls.caption = caption;
        window.refresh();
        EXPECT_EQ(title_bar_text(window), caption);
    }
}

// Each label stands by the box it names (and moves the focus there).
TEST_F(WindowControlsTest, EveryStaticLabelIsShownOnceByTheBoxItNames) {
    // The boxes the labels name, in the order of the model's texts.
    std::istringstream boxes(
        "Text_server Text_work_drive Drive1 Text_jobID Text_max_tasks Text_network_share "
        "ProgressBar_tasks Text_tasks_remaining Text_tasks_processing Text_tasks_done "
        "Text_tasks_completed Text_overheads Label_logging_time Label_estimated_duration "
        "Label_expected_finish Label_estimated_time_remaining Text_speedup Text_mtx_mx "
        "Text_mtx_ndata Text_mtx_size Text_mtx_compression");
    show_window();
    std::map<std::string, std::vector<std::string>> boxes_of_text;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->isVisible()) {
            QWidget* box = label->buddy();
            boxes_of_text[label->text().toStdString()].push_back(
                box ? box->objectName().toStdString() : "");
        }
    }
    for (const std::string& text : static_label_texts()) {
        std::string box;
        boxes >> box;
        EXPECT_EQ(boxes_of_text[text], std::vector<std::string>{box}) << text;
    }
    EXPECT_TRUE(boxes.eof());
}

}  // namespace
}  // namespace zelkon
