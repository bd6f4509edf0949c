#include "ui/refreshing_event_pump.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QThread>
#include <QTimer>
#include <memory>

#include "window_fixture.h"

namespace zelkon {
namespace {

using RefreshingEventPumpTest = WindowTest;

TEST_F(RefreshingEventPumpTest, YieldShowsTheModelAsItStands) {
    RefreshingEventPump pump;
    pump.attach(&window);
    form.controls.Text_tasks_done.text = "3";
    form.append_run_log("\rTask 3 complete");
    pump.yield();
    EXPECT_EQ(control<QLineEdit>("Text_tasks_done").text(), "3");
    EXPECT_EQ(control<QPlainTextEdit>("TextBox_run_log").toPlainText(), "\nTask 3 complete");
}

TEST_F(RefreshingEventPumpTest, LaterYieldShowsLaterChanges) {
    RefreshingEventPump pump;
    pump.attach(&window);
    pump.yield();
    form.controls.Text_tasks_done.text = "4";
    QThread::msleep(RefreshingEventPump::kMinRefreshIntervalMs + 10);
    pump.yield();
    EXPECT_EQ(control<QLineEdit>("Text_tasks_done").text(), "4");
}

TEST_F(RefreshingEventPumpTest, YieldLetsPendingEventsRun) {
    RefreshingEventPump pump;
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    pump.yield();
    EXPECT_TRUE(ran);
}

TEST(RefreshingEventPumpLifetimeTest, YieldAfterTheWindowIsGoneStillRunsEvents) {
    FakePlatform fake;
    Form_zelkon_cluster_controller form(fake.bundle());
    RefreshingEventPump pump;
    auto window = std::make_unique<MainWindow>(form);
    pump.attach(window.get());
    window.reset();
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    pump.yield();
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace zelkon
