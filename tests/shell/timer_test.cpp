#include "shell/timer.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// A clock whose readings the test sets; the calendar second advances every
// `calls_per_second` reads so calibration terminates without waiting.
class Fake_Clock : public Timer_Source {
  public:
    bool available = true;
    mutable std::uint64_t cycles = 0;
    std::uint64_t cycles_per_read = 0;
    mutable std::uint32_t millis = 0;
    mutable int calendar_reads = 0;
    int calls_per_second = 5;

    bool Performance_Counter_Available() const override { return available; }
    std::uint64_t Cycle_Counter() const override {
        std::uint64_t now = cycles;
        cycles += cycles_per_read;
        return now;
    }
    std::uint32_t Milliseconds() const override { return millis; }
    std::time_t Calendar_Time() const override {
        return static_cast<std::time_t>(1000 + calendar_reads++ / calls_per_second);
    }
};

TEST(Timer, CalibratesCyclesPerSecondOverOneCalendarSecond) {
    Fake_Clock clock;
    clock.cycles_per_read = 1000;
    CTarvelTimer timer(clock);
    EXPECT_TRUE(timer.Use_Cycle_Counter);
    // Exactly one calendar second separates the two counter reads; between them the
    // fake counter advanced by one read's worth.
    EXPECT_EQ(timer.Current - timer.Previous, 1000u);
    EXPECT_FLOAT_EQ(timer.Cycles_Per_Second, 1000.0f);
}

// Clocks that all follow one simulated time, advanced a little by every read; the cycle
// counter runs at `cycles_per_us` MHz. When the calendar second first changes, the
// process is descheduled for `lost_us` before its next read.
class Busy_Machine_Clock : public Timer_Source {
  public:
    std::uint64_t cycles_per_us = 3000;
    std::uint64_t lost_us = 0;
    mutable std::uint64_t now_us = 999'600'000;
    mutable bool lost = false;

    std::uint64_t Cycle_Counter() const override { return Advance() * cycles_per_us; }
    std::uint32_t Milliseconds() const override {
        return static_cast<std::uint32_t>(Advance() / 1000);
    }
    std::time_t Calendar_Time() const override {
        const std::time_t second = static_cast<std::time_t>(Advance() / 1'000'000);
        if (!lost && second == 1000) {
            lost = true;
            now_us += lost_us;
        }
        return second;
    }

  private:
    std::uint64_t Advance() const { return now_us += 50; }
};

// Counters of 4.295 GHz and more wrap their low 32 bits within the calibration's second;
// a 16 ms frame must still measure 16 ms on them, also when the process loses the
// processor at a calendar boundary.
TEST(Timer, CalibrationHoldsOnEveryCounterRateAndWhenTheProcessLosesTime) {
    for (std::uint64_t mhz : {3000ull, 4500ull, 6000ull}) {
        for (std::uint64_t lost_us : {0ull, 70'000ull, 400'000ull}) {
            Busy_Machine_Clock clock;
            clock.cycles_per_us = mhz;
            clock.lost_us = lost_us;
            CTarvelTimer timer(clock);
            ASSERT_TRUE(timer.Use_Cycle_Counter);
            const float rate = static_cast<float>(mhz) * 1e6f;
            // Within the millisecond clock's resolution over about a second.
            EXPECT_NEAR(timer.Cycles_Per_Second, rate, rate * 0.002f)
                << mhz << " MHz, lost " << lost_us << " us";
            timer.Tick();
            clock.now_us += 16'000;
            timer.Tick();
            EXPECT_NEAR(timer.Get_Elapsed(), 0.016f, 0.0001f)
                << mhz << " MHz, lost " << lost_us << " us";
        }
    }
}

TEST(Timer, QuickTicksArePositive) {
    CTarvelTimer timer;  // the real clocks
    timer.Tick();
    timer.Tick();
    EXPECT_GT(timer.Get_Elapsed(), 0.0f);
    EXPECT_LT(timer.Get_Elapsed(), 0.5f);
}

TEST(Timer, MillisecondSourceGivesSixteenMilliseconds) {
    Fake_Clock clock;
    clock.available = false;
    clock.millis = 5000;
    CTarvelTimer timer(clock);
    EXPECT_FALSE(timer.Use_Cycle_Counter);
    clock.millis = 5016;
    EXPECT_EQ(timer.Tick(), 16u);
    EXPECT_EQ(timer.Get_Elapsed(), 0.016f);
}

struct Wrap_Case {
    bool cycle_counter;
    std::uint32_t before;
    std::uint32_t after;
    std::uint32_t ticks;
};

class Timer_Wrap : public ::testing::TestWithParam<Wrap_Case> {};

TEST_P(Timer_Wrap, WrappedCounterStillGivesTheShortInterval) {
    const Wrap_Case& c = GetParam();
    Fake_Clock clock;
    clock.available = c.cycle_counter;
    clock.cycles_per_read = 0;
    CTarvelTimer timer(clock);
    timer.Cycles_Per_Second = 1000.0f;
    clock.cycles = c.before;
    clock.millis = c.before;
    timer.Tick();
    clock.cycles = c.after;
    clock.millis = c.after;
    EXPECT_EQ(timer.Tick(), c.ticks);
    EXPECT_GT(timer.Get_Elapsed(), 0.0f);
    EXPECT_NEAR(timer.Get_Elapsed(), c.ticks / 1000.0f, 1e-6f);
}

INSTANTIATE_TEST_SUITE_P(Counters, Timer_Wrap,
                         ::testing::Values(Wrap_Case{true, 0xFFFFFFF0u, 0x00000010u, 0x20u},
                                           Wrap_Case{false, 0xFFFFFFFBu, 0x0000000Bu, 16u}));

TEST(Timer, TickRestartsTheMeasurement) {
    Fake_Clock clock;
    clock.available = false;
    CTarvelTimer timer(clock);
    clock.millis = 900;  // slow work, then a restart tick (as a fade start does)
    timer.Tick();
    clock.millis = 920;
    timer.Tick();
    EXPECT_FLOAT_EQ(timer.Get_Elapsed(), 0.020f);
}

}  // namespace
