// CTarvelTimer: how long each frame took. Prefers the processor's cycle counter,
// calibrated against the calendar clock at construction, and falls back to the
// millisecond timer. Frame readings are 32-bit and differences are taken modulo 2^32, so
// a counter wrap between two ticks still yields the short interval. The calibration spans
// about a second, longer than one wrap on a counter of 4.3 GHz or more, so it takes the
// difference of the full counter.
#pragma once

#include <cstdint>
#include <ctime>

// Where the timer reads its clocks; the default reads the platform's, tests inject others.
class Timer_Source {
  public:
    virtual ~Timer_Source() = default;
    virtual bool Performance_Counter_Available() const;
    // The full counter; frames use its low 32 bits.
    virtual std::uint64_t Cycle_Counter() const;
    virtual std::uint32_t Milliseconds() const;
    virtual std::time_t Calendar_Time() const;
};

class CTarvelTimer {
  public:
    // Calibrates on the platform's clocks (one to two seconds of busy waiting).
    CTarvelTimer();
    // Calibrates on `source`, which must outlive the timer.
    explicit CTarvelTimer(const Timer_Source& source);

    // Takes a new reading and computes Elapsed; returns the raw difference in ticks.
    std::uint32_t Tick();
    float Get_Elapsed() const { return Elapsed; }

    bool Use_Cycle_Counter = false;
    float Cycles_Per_Second = 0.0f;
    float Elapsed = 0.0f;
    std::uint32_t Previous = 0;
    std::uint32_t Current = 0;

  private:
    void Calibrate();
    const Timer_Source* Source;
};
