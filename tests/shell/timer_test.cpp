#include "shell/timer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

// A clock whose readings the test sets; the monotonic clock advances `ns_per_read` a read
// and a pause by its length, so calibration sees time pass without waiting.
class Fake_Clock : public Timer_Source {
  public:
    bool available = true;
    mutable std::uint64_t cycles = 0;
    std::uint64_t cycles_per_read = 0;
    mutable std::uint32_t millis = 0;
    mutable std::uint64_t nanoseconds = 1'000'000;
    std::uint64_t ns_per_read = 0;

    bool Performance_Counter_Available() const override { return available; }
    std::uint64_t Cycle_Counter() const override {
        std::uint64_t now = cycles;
        cycles += cycles_per_read;
        return now;
    }
    std::uint32_t Milliseconds() const override { return millis; }
    std::uint64_t Nanoseconds() const override { return nanoseconds += ns_per_read; }
    void Pause(int milliseconds) const override {
        paused_ms += milliseconds;
        nanoseconds += static_cast<std::uint64_t>(milliseconds) * 1'000'000;
    }
    mutable int paused_ms = 0;
};

// Clocks that all follow one simulated time, advanced by every read; the cycle counter runs
// at `cycles_per_us` MHz. The process loses the processor for `lost_us` during the pause,
// and, on the first `torn_reads` tries of each clock pairing, between the first monotonic
// reading and the counter read.
class Busy_Machine_Clock : public Timer_Source {
  public:
    std::uint64_t cycles_per_us = 3000;
    std::uint64_t lost_us = 0;
    int torn_reads = 0;
    mutable std::uint64_t now_ns = 999'600'000'000;
    mutable int reads_to_tear = 0;

    std::uint64_t Cycle_Counter() const override {
        if (reads_to_tear > 0) {
            --reads_to_tear;
            now_ns += 5'000'000;
        }
        return Advance() * cycles_per_us / 1000;
    }
    std::uint32_t Milliseconds() const override {
        return static_cast<std::uint32_t>(Advance() / 1'000'000);
    }
    std::uint64_t Nanoseconds() const override { return Advance(); }
    void Pause(int milliseconds) const override {
        now_ns += static_cast<std::uint64_t>(milliseconds) * 1'000'000 + lost_us * 1000;
        reads_to_tear = torn_reads;
    }
    void Start() const { reads_to_tear = torn_reads; }

  private:
    std::uint64_t Advance() const { return now_ns += 37; }
};

// Counters of 4.295 GHz and more wrap their low 32 bits between two readings far enough
// apart; a 16 ms frame must measure 16 ms to 0.1 % on every rate, also when the process
// loses the processor during the calibration or in the middle of pairing the two clocks.
TEST(Timer, CalibrationHoldsOnEveryCounterRateAndWhenTheProcessLosesTime) {
    for (std::uint64_t mhz : {3000ull, 4500ull, 6000ull}) {
        for (std::uint64_t lost_us : {0ull, 70'000ull, 400'000ull}) {
            for (int torn_reads : {0, 3}) {
                Busy_Machine_Clock clock;
                clock.cycles_per_us = mhz;
                clock.lost_us = lost_us;
                clock.torn_reads = torn_reads;
                clock.Start();
                CTarvelTimer timer(clock);
                const std::string name = std::to_string(mhz) + " MHz, lost " +
                                         std::to_string(lost_us) + " us, torn " +
                                         std::to_string(torn_reads);
                timer.Tick();  // ends the calibration
                ASSERT_TRUE(timer.Use_Cycle_Counter) << name;
                const float rate = static_cast<float>(mhz) * 1e6f;
                EXPECT_NEAR(timer.Cycles_Per_Second, rate, rate * 1e-4f) << name;
                clock.now_ns += 16'000'000;
                timer.Tick();
                EXPECT_NEAR(timer.Get_Elapsed(), 0.016f, 0.016f * 0.001f) << name;
            }
        }
    }
}

// The calibration runs from construction to the first tick: start-up is its interval, and
// only when start-up took less than 20 ms does the first tick wait for the rest. The rate is
// the cycles counted over the monotonic time between the two pairings of the clocks, and
// the first tick measures from construction.
TEST(Timer, CalibrationSpansStartUpAndWaitsOnlyForWhatIsMissing) {
    struct Case {
        std::uint64_t start_up_ms;  // between construction and the first tick
        int paused_ms;
        double seconds;  // the calibration's interval
    } cases[] = {{300, 0, 0.3000003}, {5, 15, 0.0200003}, {0, 20, 0.0200003}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start_up_ms);
        Fake_Clock clock;
        clock.cycles_per_read = 1000;
        clock.ns_per_read = 100;
        CTarvelTimer timer(clock);
        EXPECT_EQ(clock.paused_ms, 0);  // construction does not wait
        clock.nanoseconds += c.start_up_ms * 1'000'000;
        timer.Tick();
        EXPECT_EQ(clock.paused_ms, c.paused_ms);
        ASSERT_TRUE(timer.Use_Cycle_Counter);
        // One counter read at each pairing, 1000 cycles apart; the tick's own read follows.
        EXPECT_NEAR(timer.Cycles_Per_Second, 1000.0 / c.seconds, 0.01);
        EXPECT_EQ(timer.Current - timer.Previous, 2000u);
    }
}

// A monotonic clock that stands still, or a counter that does, leaves the frames to the
// millisecond timer instead of dividing by nothing.
TEST(Timer, ClockThatStandsStillFallsBackToMilliseconds) {
    struct Case {
        std::uint64_t cycles_per_read;
        std::uint64_t ns_per_read;
        bool pause_passes;
    };
    for (const Case& c : {Case{1000, 0, false}, Case{0, 100, true}}) {
        struct Still_Clock : Fake_Clock {
            bool pause_passes = true;
            void Pause(int milliseconds) const override {
                if (pause_passes) Fake_Clock::Pause(milliseconds);
            }
        } clock;
        clock.cycles_per_read = c.cycles_per_read;
        clock.ns_per_read = c.ns_per_read;
        clock.pause_passes = c.pause_passes;
        clock.millis = 7000;
        CTarvelTimer timer(clock);
        clock.millis = 7016;
        EXPECT_EQ(timer.Tick(), 16u);  // from the reading at construction
        EXPECT_FALSE(timer.Use_Cycle_Counter) << c.cycles_per_read << " " << c.ns_per_read;
        EXPECT_FLOAT_EQ(timer.Get_Elapsed(), 0.016f);
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
    clock.cycles_per_read = 1;
    clock.ns_per_read = 1;
    CTarvelTimer timer(clock);
    timer.Tick();  // ends the calibration
    ASSERT_EQ(timer.Use_Cycle_Counter, c.cycle_counter);
    clock.cycles_per_read = 0;
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
