#include "ui/run_log_view.h"

#include <QTextDocument>
#include <vector>

#include "window_fixture.h"

namespace zelkon {
namespace {

struct Change {
    int position;
    int removed;
    int added;
};

// The run log as the window shows it, with every change made to its text.
class RunLogTest : public WindowTest {
  protected:
    RunLogTest() : log(control<RunLogView>("TextBox_run_log")) {
        QObject::connect(log.document(), &QTextDocument::contentsChange,
                         [this](int position, int removed, int added) {
                             changes.push_back({position, removed, added});
                         });
    }

    RunLogView& log;
    std::vector<Change> changes;
};

TEST_F(RunLogTest, EachCarriageReturnStartsALine) {
    form.append_run_log("\rStart of set-up");
    form.append_run_log("\r\rStage 1");
    window.refresh();
    EXPECT_EQ(log.toPlainText(), "\nStart of set-up\n\nStage 1");
}

TEST_F(RunLogTest, NewTextIsAppendedNotSetAgain) {
    form.append_run_log("\rfirst line");
    window.refresh();
    int shown = log.document()->characterCount() - 1;
    changes.clear();
    form.append_run_log("\rsecond line");
    window.refresh();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].position, shown);
    EXPECT_EQ(changes[0].removed, 0);
    EXPECT_EQ(log.toPlainText(), "\nfirst line\nsecond line");
}

TEST_F(RunLogTest, RefreshWithoutNewTextChangesNothing) {
    form.append_run_log("\rline");
    window.refresh();
    changes.clear();
    window.refresh();
    window.refresh();
    EXPECT_TRUE(changes.empty());
}

TEST_F(RunLogTest, ReplacedLogStartsAgain) {
    form.append_run_log("\rold run\rmore of it");
    window.refresh();
    form.set_run_log("\rnew run");
    window.refresh();
    EXPECT_EQ(log.toPlainText(), "\nnew run");
}

TEST_F(RunLogTest, ReplacedLogOfTheSameLengthStartsAgain) {
    form.append_run_log("\rrun A");
    window.refresh();
    form.set_run_log("\rrun B");
    window.refresh();
    EXPECT_EQ(log.toPlainText(), "\nrun B");
}

TEST_F(RunLogTest, ReplacedLogThatIsLongerStartsAgain) {
    form.append_run_log("\rabc");
    window.refresh();
    form.set_run_log("\rxyz and more");
    window.refresh();
    EXPECT_EQ(log.toPlainText(), "\nxyz and more");
}

TEST_F(RunLogTest, CrLfSplitAcrossAppendsBreaksTheLineOnce) {
    form.append_run_log("\rline one\r");
    window.refresh();
    form.append_run_log("\nline two");
    window.refresh();
    EXPECT_EQ(log.toPlainText(), "\nline one\nline two");
}

TEST_F(RunLogTest, AppendingToALongLogTouchesOnlyTheEnd) {
    std::string line = "\r" + std::string(100, 'x');
    for (int i = 0; i < 10000; ++i) {
        form.append_run_log(line);
    }
    window.refresh();
    changes.clear();
    form.append_run_log("\rlast");
    window.refresh();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].removed, 0);
    EXPECT_EQ(changes[0].added, 5);
    EXPECT_EQ(log.document()->blockCount(), 10002);
}

}  // namespace
}  // namespace zelkon
