#include "model/Module_zelkon_cluster.h"

#include <gtest/gtest.h>

#include "model/fixed_ms.h"
#include "platform/error.h"

namespace zelkon {
namespace {

// Days before the clock fields, halves to even, and the sign in every field.
TEST(FormatDuration, WritesClockFieldsAndDays) {
    const std::pair<double, const char*> cases[] = {
        {3661, "01:01:01"}, {86399, "23:59:59"}, {1000000, "11 13:46:40"}, {59.5, "00:01:00"},
        {60.5, "00:01:00"}, {0.51, "00:00:01"},  {-100000, "-03:-46:-40"},
    };
    for (const auto& [seconds, text] : cases) {
        EXPECT_EQ(format_duration(seconds), text) << seconds;
    }
}

TEST(FormatDuration, OverflowsPastThirtyTwoBits) {
    EXPECT_EQ(format_duration(2147483647.0), "24855 03:14:07");
    EXPECT_THROW(format_duration(2147483647.5), ZelkonError);
    EXPECT_THROW(format_duration(-2147483649.0), ZelkonError);
}

TEST(Numbers, NumericTextIsOneCompleteDecimalNumber) {
    for (const char* text : {"0", " 41 ", "-3", "+2.5", ".5", "5.", "1e3", "2.5E-2", "\t7"}) {
        EXPECT_TRUE(is_numeric(text)) << text;
    }
    for (const char* text : {"", " ", "1,5", "12a", "e3", "1e", "--1", ".", "1 2", "0x10"}) {
        EXPECT_FALSE(is_numeric(text)) << text;
    }
}

TEST(Numbers, WholeNumbersRoundHalvesToEvenAndOverflowPast32Bits) {
    EXPECT_EQ(whole_number(2.5) + whole_number(3.5) + whole_number(-2.5), 4);
    EXPECT_EQ(whole_number_of(" 41.5 "), 42);
    EXPECT_EQ(whole_number(-2147483648.0), -2147483648);
    EXPECT_THROW(whole_number(2147483648.0), ZelkonError);
    EXPECT_THROW(whole_number_of("1e400"), ZelkonError);
    EXPECT_THROW(whole_number_of("abc"), ZelkonError);
    // Too small for a double is 0, not "Overflow".
    EXPECT_EQ(whole_number_of("-1e-400"), 0);
}

TEST(Numbers, LeadingNumberSkipsBlanksAndStopsAtTheFirstOtherCharacter) {
    EXPECT_DOUBLE_EQ(leading_number("1 2\t3\n.5 minutes"), 123.5);
    EXPECT_DOUBLE_EQ(leading_number("-2.5e1x"), -25.0);
    EXPECT_DOUBLE_EQ(leading_number("minutes"), 0.0);
    EXPECT_DOUBLE_EQ(leading_number("3e"), 3.0);
}

TEST(Numbers, FormatPatterns) {
    EXPECT_EQ(format_number(1234567, "000000") + format_number(-5, "000000"), "1234567-000005");
    EXPECT_EQ(format_number(2.5, "0") + format_number(-0.04, "0.0"), "30.0");
    EXPECT_EQ(format_number(1.005, "0.00") + format_number(12.345, "0.00"), "1.0012.35");
    EXPECT_THROW(format_number(1, "#,##0"), ZelkonError);
}

TEST(FixedMs, SumsOfManySmallTimesStayExact) {
    FixedMs total;
    for (int i = 0; i < 100000; ++i) {
        total += FixedMs::from_ms(0.0001);
    }
    EXPECT_EQ(total, FixedMs::from_ms(10.0));
}

}  // namespace
}  // namespace zelkon
