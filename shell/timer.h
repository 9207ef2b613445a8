// CTarvelTimer: how long each frame took. Prefers the processor's cycle counter,
// calibrated against the monotonic clock, and falls back to the millisecond timer. Frame
// readings are 32-bit and differences are taken modulo 2^32, so a counter wrap between two
// ticks still yields the short interval; the calibration takes the difference of the full
// counter.
//
// The calibration runs from construction to the first tick, so the game's start-up (the
// window, the resources) is its interval and costs it nothing; it lasts at least 20 ms,
// and the first tick waits for whatever is missing. Until that tick the source is not
// decided: Use_Cycle_Counter, Cycles_Per_Second, Previous and Current hold their final
// meaning from the first tick on, which measures from construction.
#pragma once

#include <cstdint>

// Where the timer reads its clocks; the default reads the platform's, tests inject others.
class Timer_Source {
  public:
    virtual ~Timer_Source() = default;
    virtual bool Performance_Counter_Available() const;
    // The full counter; frames use its low 32 bits.
    virtual std::uint64_t Cycle_Counter() const;
    virtual std::uint32_t Milliseconds() const;
    // The monotonic clock in nanoseconds, the calibration's reference.
    virtual std::uint64_t Nanoseconds() const;
    // Lets about `milliseconds` pass without using the processor.
    virtual void Pause(int milliseconds) const;
};

class CTarvelTimer {
  public:
    // Begins calibrating on the platform's clocks.
    CTarvelTimer();
    // Begins calibrating on `source`, which must outlive the timer.
    explicit CTarvelTimer(const Timer_Source& source);

    // Takes a new reading and computes Elapsed; returns the raw difference in ticks. The
    // first tick ends the calibration first.
    std::uint32_t Tick();
    float Get_Elapsed() const { return Elapsed; }

    bool Use_Cycle_Counter = false;
    float Cycles_Per_Second = 0.0f;
    float Elapsed = 0.0f;
    std::uint32_t Previous = 0;
    std::uint32_t Current = 0;

    // The cycle counter paired with the monotonic clock read around it.
    struct Clock_Pair {
        std::uint64_t cycles = 0;
        std::uint64_t nanoseconds = 0;  // the middle of the bracket
        std::uint64_t spread = UINT64_MAX;
    };

  private:
    void Calibration_Start();
    void Calibration_End();
    const Timer_Source* source_;
    bool calibrating_ = false;
    Clock_Pair calibration_start_;
};
