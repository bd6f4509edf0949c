#include "model/Module_zelkon_cluster.h"

#include <gtest/gtest.h>

#include "model/fixed_ms.h"
#include "platform/error.h"
#include "platform/fake/fake_clock.h"

namespace zelkon {
namespace {

// Days before the clock fields, halves to even, and the sign in every field.
TEST(FormatDuration, WritesClockFieldsAndDays) {
    const std::pair<double, const char*> cases[] = {
        {0, "00:00:00"},          {3661, "01:01:01"},      {86399, "23:59:59"},
        {86400, "1 00:00:00"},    {864000, "10 00:00:00"}, {1000000, "11 13:46:40"},
        {59.5, "00:01:00"},       {60.5, "00:01:00"},      {2.5, "00:00:02"},
        {0.5, "00:00:00"},        {0.51, "00:00:01"},      {-3661, "-01:-01:-01"},
        {-100000, "-03:-46:-40"},
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
    EXPECT_EQ(whole_number(2.5), 2);
    EXPECT_EQ(whole_number(3.5), 4);
    EXPECT_EQ(whole_number(-2.5), -2);
    EXPECT_EQ(whole_number_of(" 41.5 "), 42);
    EXPECT_EQ(whole_number(-2147483648.0), -2147483648);
    EXPECT_THROW(whole_number(2147483648.0), ZelkonError);
    EXPECT_THROW(whole_number_of("1e400"), ZelkonError);
    EXPECT_THROW(whole_number_of("-1e400"), ZelkonError);
    EXPECT_THROW(whole_number_of("abc"), ZelkonError);
    // Too small for a double is 0, not "Overflow".
    EXPECT_EQ(whole_number_of("1e-400"), 0);
    EXPECT_EQ(whole_number_of("-1e-400"), 0);
    EXPECT_EQ(whole_number_of("0." + std::string(400, '0') + "1"), 0);
}

TEST(Numbers, LeadingNumberSkipsBlanksAndStopsAtTheFirstOtherCharacter) {
    EXPECT_DOUBLE_EQ(leading_number(" 1.5"), 1.5);
    EXPECT_DOUBLE_EQ(leading_number("1 2\t3\n.5 minutes"), 123.5);
    EXPECT_DOUBLE_EQ(leading_number("2.5e1x"), 25.0);
    EXPECT_DOUBLE_EQ(leading_number("-0.25"), -0.25);
    EXPECT_DOUBLE_EQ(leading_number("minutes"), 0.0);
    EXPECT_DOUBLE_EQ(leading_number(""), 0.0);
    EXPECT_DOUBLE_EQ(leading_number("3e"), 3.0);
}

TEST(Numbers, FormatPatterns) {
    EXPECT_EQ(format_number(42, "000000"), "000042");
    EXPECT_EQ(format_number(1234567, "000000"), "1234567");
    EXPECT_EQ(format_number(-5, "000000"), "-000005");
    EXPECT_EQ(format_number(100, "0"), "100");
    EXPECT_EQ(format_number(2.5, "0"), "3");
    EXPECT_EQ(format_number(90.04, "0.0"), "90.0");
    EXPECT_EQ(format_number(-0.04, "0.0"), "0.0");
    EXPECT_EQ(format_number(1.005, "0.00"), "1.00");
    EXPECT_EQ(format_number(12.345, "0.00"), "12.35");
    EXPECT_EQ(format_number(1e20, "0").size(), 21u);
    EXPECT_THROW(format_number(1, "#,##0"), ZelkonError);
}

TEST(DateTimes, PatternsInTheClocksLocalTime) {
    FakeClock clock;  // UTC in the C locale, whatever the machine's
    DateTime when{1796565909};
    EXPECT_EQ(format_date_time(clock, when, "dd-mmm-yyyy Hh:Nn:Ss"), "06-Dec-2026 14:05:09");
    EXPECT_EQ(format_date_time(clock, when, "Hh:Nn:Ss"), "14:05:09");
    EXPECT_EQ(format_short_date(clock, when), "12/06/26");
    EXPECT_THROW(format_date_time(clock, when, "yyyy"), ZelkonError);
}

TEST(FixedMs, SumsOfManySmallTimesStayExact) {
    FixedMs total;
    for (int i = 0; i < 100000; ++i) {
        total += FixedMs::from_ms(0.0001);
    }
    EXPECT_EQ(total.scaled(), 100000);
    EXPECT_EQ(total, FixedMs::from_ms(10.0));
    EXPECT_EQ((FixedMs::from_ms(95000) - FixedMs::from_ms(90000)).ms(), 5000.0);
}

TEST(Text, TrimUpperAndYesNo) {
    EXPECT_EQ(trim(" \t a b \t") + trim("\r\n"), "a b\r\n");
    EXPECT_EQ(to_upper("node1.Local"), "NODE1.LOCAL");
    EXPECT_EQ(yes_no(-1) + yes_no(1) + yes_no(0), "YesYesNo");
}

}  // namespace
}  // namespace zelkon
