#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <optional>

#include "window_fixture.h"

namespace zelkon {
namespace {

using WindowEditsTest = WindowTest;

void retype(QLineEdit& box, const QString& text) {
    box.selectAll();
    QTest::keyClicks(&box, text);
}

// Only the settings take typing; the figure boxes are read only.
TEST_F(WindowEditsTest, TypedSettingsReachTheModelAtOnce) {
    auto boxes = text_boxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        auto [name, model] = boxes[i];
        std::string shown = model->text;
        retype(control<QLineEdit>(name), QString(name) + "/typed");
        EXPECT_EQ(model->text, i < kTypedBoxes ? std::string(name) + "/typed" : shown) << name;
    }
    auto& rpc = control<QCheckBox>("Check_use_RPC");
    rpc.click();
    EXPECT_EQ(form.controls.Check_use_RPC.value, 1);
    rpc.click();
    EXPECT_EQ(form.controls.Check_use_RPC.value, 0);
}

// The server list's lines end in CR LF in the model, and a refresh leaves
// what the user typed, and where, alone.
TEST_F(WindowEditsTest, TypedServersReachTheModelAndStayAsTyped) {
    auto& job = control<QLineEdit>("Text_jobID");
    retype(job, "7");
    auto& servers = control<QPlainTextEdit>("Text_server");
    servers.moveCursor(QTextCursor::End);
    QTest::keyClick(&servers, Qt::Key_Return);
    QTest::keyClicks(&servers, "node3/2/4");
    EXPECT_EQ(form.controls.Text_server.text, "node1\r\nnode2\r\nnode3/2/4");
    window.refresh();
    EXPECT_EQ(job.text(), "7");
    EXPECT_EQ(job.cursorPosition(), 1);
    EXPECT_EQ(servers.toPlainText(), "node1\nnode2\nnode3/2/4");
    EXPECT_EQ(servers.textCursor().position(), servers.toPlainText().size());
}

// Save checks the settings first, and with the design-time settings (no
// maximum number of tasks) it stops there, as each set-up does, saying why.
TEST_F(WindowEditsTest, MenusAndButtonsRunTheirHandlers) {
    control<QAction>("menu_read_setup").trigger();
    EXPECT_EQ(fake.dialogs.dialog_titles,
              std::vector<std::string>{"Select the parameter file to read"});
    control<QAction>("menu_save_setup").trigger();
    EXPECT_EQ(fake.dialogs.messages,
              std::vector<std::string>{"The maximum number of tasks is not valid"});
    control<QPushButton>("Command_start_cluster_run_0").click();
    EXPECT_EQ(fake.dialogs.messages.size(), 2u);
    control<QPushButton>("Command_start_cluster_run_1").click();
    EXPECT_EQ(fake.dialogs.messages.size(), 3u);
    EXPECT_EQ(fake.dialogs.dialog_titles.size(), 1u);
}

// Done closes the form: through the form's handler when it has one (which
// asks the program to end), or by closing the window itself.
TEST_F(WindowEditsTest, DoneClosesTheForm) {
    std::optional<int> exit_code;
    form.hooks.on_exit_requested = [&exit_code](int code) { exit_code = code; };
    show_window();
    control<QPushButton>("Command_done").click();
    EXPECT_TRUE(!window.isVisible() || exit_code == 0);
}

}  // namespace
}  // namespace zelkon
