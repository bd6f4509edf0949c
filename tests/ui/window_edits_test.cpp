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

TEST_F(WindowEditsTest, TypedSettingsReachTheModelAtOnce) {
    retype(control<QLineEdit>("Text_jobID"), "000042");
    retype(control<QLineEdit>("Text_work_drive"), "/scratch");
    retype(control<QLineEdit>("Text_work_folder"), "/work/inv");
    retype(control<QLineEdit>("Text_max_tasks"), "250");
    retype(control<QLineEdit>("Text_network_share"), "/net/share");
    retype(control<QLineEdit>("Text_set_folder"), "/data/inversion");
    const FormControls& c = form.controls;
    EXPECT_EQ(c.Text_jobID.text, "000042");
    EXPECT_EQ(c.Text_work_drive.text, "/scratch");
    EXPECT_EQ(c.Text_work_folder.text, "/work/inv");
    EXPECT_EQ(c.Text_max_tasks.text, "250");
    EXPECT_EQ(c.Text_network_share.text, "/net/share");
    EXPECT_EQ(c.Text_set_folder.text, "/data/inversion");
}

TEST_F(WindowEditsTest, ServerListLinesEndInCrLfInTheModel) {
    auto& servers = control<QPlainTextEdit>("Text_server");
    servers.moveCursor(QTextCursor::End);
    QTest::keyClick(&servers, Qt::Key_Return);
    QTest::keyClicks(&servers, "node3/2/4");
    EXPECT_EQ(form.controls.Text_server.text, "node1\r\nnode2\r\nnode3/2/4");
}

TEST_F(WindowEditsTest, RefreshKeepsWhatTheUserTyped) {
    auto& job = control<QLineEdit>("Text_jobID");
    retype(job, "7");
    auto& servers = control<QPlainTextEdit>("Text_server");
    servers.moveCursor(QTextCursor::End);
    QTest::keyClicks(&servers, "x");
    window.refresh();
    EXPECT_EQ(job.text(), "7");
    EXPECT_EQ(job.cursorPosition(), 1);
    EXPECT_EQ(servers.toPlainText(), "node1\nnode2x");
    EXPECT_EQ(servers.textCursor().position(), servers.toPlainText().size());
}

TEST_F(WindowEditsTest, TickingUseRpcSetsTheModelsValue) {
    auto& box = control<QCheckBox>("Check_use_RPC");
    box.click();
    EXPECT_EQ(form.controls.Check_use_RPC.value, 1);
    box.click();
    EXPECT_EQ(form.controls.Check_use_RPC.value, 0);
}

TEST_F(WindowEditsTest, ReadSetupAsksForTheFileToRead) {
    control<QAction>("menu_read_setup").trigger();
    ASSERT_EQ(fake.dialogs.dialog_titles.size(), 1u);
    EXPECT_EQ(fake.dialogs.dialog_titles[0], "Select the parameter file to read");
}

// Save checks the settings first, so with the design-time settings it may
// stop at a message; either way it is not Read setup's dialog.
TEST_F(WindowEditsTest, SaveSetupRunsTheSaveHandler) {
    control<QAction>("menu_save_setup").trigger();
    EXPECT_FALSE(fake.dialogs.messages.empty() && fake.dialogs.dialog_titles.empty());
    for (const std::string& title : fake.dialogs.dialog_titles) {
        EXPECT_EQ(title, "Select the parameter file to create");
    }
}

// With the design-time settings (no work drive) each set-up stops at the
// settings check, which says why.
TEST_F(WindowEditsTest, StartButtonsRunTheSetUp) {
    control<QPushButton>("Command_start_cluster_run_0").click();
    EXPECT_EQ(fake.dialogs.messages.size(), 1u);
    control<QPushButton>("Command_start_cluster_run_1").click();
    EXPECT_EQ(fake.dialogs.messages.size(), 2u);
}

// Done closes the form: through the form's handler when it has one (which
// asks the program to end), or by closing the window itself.
TEST_F(WindowEditsTest, DoneClosesTheForm) {
    std::optional<int> exit_code;
    form.on_exit_requested = [&exit_code](int code) { exit_code = code; };
    show_window();
    control<QPushButton>("Command_done").click();
    EXPECT_TRUE(!window.isVisible() || exit_code == 0);
}

}  // namespace
}  // namespace zelkon
