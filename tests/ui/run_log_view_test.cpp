#include "ui/run_log_view.h"

#include <QScrollBar>
#include <QTextDocument>
#include <vector>

#include "ui/display_text.h"
#include "window_fixture.h"

namespace zelkon {
namespace {

// A lone CR breaks a line; CR LF breaks it once, even when the LF comes in a
// later piece; text is UTF-8.
TEST(LogLinesTest, CarriageReturnsBreakLines) {
    EXPECT_EQ(log_lines_of("\ra\r\rb", '\0'), "\na\n\nb");
    EXPECT_EQ(log_lines_of("a\r\nb", '\0'), "a\nb");
    EXPECT_EQ(log_lines_of("\nb", '\r'), "b");
    EXPECT_EQ(log_lines_of("\nb", 'a'), "\nb");
    EXPECT_EQ(log_lines_of("°C", '\0'), "°C");
}

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

// The font asked for, not the one found: which families a machine has, and
// which of them Qt takes for fixed-pitch, varies. A line wider than the box
// stays one line and scrolls sideways.
TEST_F(RunLogTest, IsReadOnlyInAFixedPitchFontAndKeepsLinesWhole) {
    EXPECT_TRUE(log.isReadOnly());
    EXPECT_TRUE(log.font().fixedPitch());
    EXPECT_EQ(log.font().styleHint(), QFont::Monospace);
    form.append_run_log("\r" + std::string(400, 'x'));
    window.refresh();
    QApplication::processEvents();
    EXPECT_EQ(log.document()->lineCount(), 2);
    EXPECT_GT(log.horizontalScrollBar()->maximum(), 0);
}

TEST_F(RunLogTest, NewTextIsAppendedNotSetAgain) {
    form.append_run_log("\rfirst line\r");
    window.refresh();
    int shown = log.document()->characterCount() - 1;
    changes.clear();
    form.append_run_log("\nsecond line");
    window.refresh();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].position, shown);
    EXPECT_EQ(changes[0].removed, 0);
    EXPECT_EQ(log.toPlainText(), "\nfirst line\nsecond line");
    changes.clear();
    window.refresh();
    EXPECT_TRUE(changes.empty());
}

// A log that no longer begins with what is shown (shorter, even a beginning of
// it, as long or longer) is shown again from the start.
TEST_F(RunLogTest, AReplacedLogStartsAgain) {
    for (const char* replaced :
         {"\rnew run", "\rold run", "\rnew run\rmore", "\rnew run\rmore of it"}) {
        form.set_run_log("\rold run\rmore");
        window.refresh();
        form.set_run_log(replaced);
        window.refresh();
        EXPECT_EQ(log.toPlainText(), QString(replaced).replace('\r', '\n'));
    }
}

}  // namespace
}  // namespace zelkon
