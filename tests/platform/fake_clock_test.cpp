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

// A sleep moves the time but fires nothing, as a real one holds the event
// loop; the next turn fires what fell due meanwhile. A disabled timer stops,
// and a destroyed one is forgotten.
TEST(FakeClock, ASleepHoldsTheTimersUntilTheNextTurn) {
    FakeClock clock(DateTime{1000});
    int ticks = 0;
    auto timer = clock.create_timer();
    timer->set_handler([&] {
        if (++ticks == 2) {
            timer->set_enabled(false);
        }
    });
    timer->set_interval(1000);
    timer->set_enabled(true);
    clock.sleep_ms(3500);
    EXPECT_EQ(clock.now().epoch_seconds, 1003);
    EXPECT_EQ(ticks, 0);
    clock.fire_due_timers();
    EXPECT_EQ(ticks, 2);
    timer.reset();
    clock.advance(5000);
}

}  // namespace
}  // namespace zelkon
