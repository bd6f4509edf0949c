#include "platform/fake/fake_clock.h"

#include <gtest/gtest.h>

namespace zelkon {
namespace {

TEST(FakeClock, AdvanceFiresDueTimersInTimeOrder) {
    FakeClock clock;
    std::vector<std::string> fired;
    auto fast = clock.create_timer();
    auto slow = clock.create_timer();
    fast->set_handler([&] { fired.push_back("fast@" + std::to_string(clock.tick_ms())); });
    slow->set_handler([&] { fired.push_back("slow@" + std::to_string(clock.tick_ms())); });
    fast->set_interval(100);
    slow->set_interval(250);
    fast->set_enabled(true);
    slow->set_enabled(true);

    clock.advance(300);
    EXPECT_EQ(fired, (std::vector<std::string>{"fast@100", "fast@200", "slow@250", "fast@300"}));
    EXPECT_EQ(clock.tick_ms(), 300);
}

TEST(FakeClock, ADisabledTimerStopsFiringAndADestroyedOneIsForgotten) {
    FakeClock clock;
    int ticks = 0;
    auto timer = clock.create_timer();
    timer->set_handler([&] {
        if (++ticks == 2) {
            timer->set_enabled(false);
        }
    });
    timer->set_interval(10);
    timer->set_enabled(true);
    clock.advance(100);
    EXPECT_EQ(ticks, 2);
    timer.reset();
    clock.advance(100);
    EXPECT_EQ(clock.now().epoch_seconds, FakeClock().now().epoch_seconds);
}

TEST(FakeClock, WallClockFollowsTheTicks) {
    FakeClock clock(DateTime{1000});
    clock.sleep_ms(2500);
    EXPECT_EQ(clock.now().epoch_seconds, 1002);
}

}  // namespace
}  // namespace zelkon
