// What binds the window to its form; how controls look is the clipping test's.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "form/Form_zelkon_cluster_controller.h"
#include "platform/fake/fake_platform.h"
#include "ui/display_text.h"
#include "ui/main_window.h"

namespace zelkon {
namespace {

// The one-line boxes with their models; the first six take typing, the
// figures are read only. Distinct values catch one box showing another's.
TEST(WindowBindings, EveryBoxShowsItsModelAndOnlySettingsTakeTyping) {
    FakePlatform fake;
    Form_zelkon_cluster_controller form{fake.bundle()};
    MainWindow window{form};
    FormControls& c = form.controls;
    const char* names[] = {"Text_work_drive",      "Text_work_folder",      "Text_jobID",
                           "Text_max_tasks",       "Text_network_share",    "Text_set_folder",
                           "Text_tasks_remaining", "Text_tasks_processing", "Text_tasks_done",
                           "Text_tasks_completed", "Text_mtx_ndata",        "Text_mtx_mx",
                           "Text_mtx_my",          "Text_mtx_mz",           "Text_mtx_size",
                           "Text_mtx_compression", "Text_speedup",          "Text_overheads"};
    TextControl* models[] = {&c.Text_work_drive,      &c.Text_work_folder,      &c.Text_jobID,
                             &c.Text_max_tasks,       &c.Text_network_share,    &c.Text_set_folder,
                             &c.Text_tasks_remaining, &c.Text_tasks_processing, &c.Text_tasks_done,
                             &c.Text_tasks_completed, &c.Text_mtx_ndata,        &c.Text_mtx_mx,
                             &c.Text_mtx_my,          &c.Text_mtx_mz,           &c.Text_mtx_size,
                             &c.Text_mtx_compression, &c.Text_speedup,          &c.Text_overheads};
    for (std::size_t i = 0; i < std::size(names); ++i) {
        const std::string name = names[i];
        auto* box = window.findChild<QLineEdit*>(names[i]);
        ASSERT_NE(box, nullptr) << name;
        *models[i] = TextControl{name + " text", name + " tip", true};
        window.refresh();
        EXPECT_EQ(box->text().toStdString(), name + " text");
        EXPECT_EQ(box->toolTip().toStdString(), name + " tip");
        box->selectAll();
        QTest::keyClicks(box, "typed");
        EXPECT_EQ(models[i]->text, i < 6 ? "typed" : name + " text") << name;
    }  // The run log is the run's to write, not the user's.
    auto* log = window.findChild<QPlainTextEdit*>("TextBox_run_log");
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->isReadOnly());
}

// A lone CR breaks a line; CR LF breaks it once, even when the LF comes in a
// later piece; text is UTF-8.
TEST(LogLines, CarriageReturnsBreakLines) {
    EXPECT_EQ(log_lines_of("\ra\r\rb", '\0'), "\na\n\nb");
    EXPECT_EQ(log_lines_of("a\r\nb", '\0'), "a\nb");
    EXPECT_EQ(log_lines_of("\nb", '\r'), "b");
    EXPECT_EQ(log_lines_of("\nb", 'a'), "\nb");
    EXPECT_EQ(log_lines_of("°C", '\0'), "°C");
}

}  // namespace
}  // namespace zelkon
