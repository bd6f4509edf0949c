#include "ui/display_text.h"

#include <gtest/gtest.h>

namespace zelkon {
namespace {

TEST(LogLinesTest, LoneCarriageReturnsBreakLines) {
    EXPECT_EQ(log_lines_of("\ra\r\rb", '\0'), "\na\n\nb");
}

TEST(LogLinesTest, CrLfBreaksOnce) {
    EXPECT_EQ(log_lines_of("a\r\nb", '\0'), "a\nb");
}

TEST(LogLinesTest, LineFeedAfterAShownCarriageReturnCompletesThePair) {
    EXPECT_EQ(log_lines_of("\nb", '\r'), "b");
    EXPECT_EQ(log_lines_of("\nb", 'a'), "\nb");
}

TEST(LogLinesTest, TextIsReadAsUtf8) {
    EXPECT_EQ(log_lines_of("\xc2\xb0"
                           "C",
                           '\0'),
              "°C");
}

TEST(ServerLinesTest, CrLfLinesBecomeWidgetLinesAndBack) {
    EXPECT_EQ(lines_of("node1\r\nnode2/2/4"), "node1\nnode2/2/4");
    EXPECT_EQ(text_of_lines("node1\nnode2/2/4\n"), "node1\r\nnode2/2/4\r\n");
}

}  // namespace
}  // namespace zelkon
