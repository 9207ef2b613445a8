#include "shell/timer.h"

#include "platform/platform.h"

bool Timer_Source::Performance_Counter_Available() const {
    return Platform_Performance_Counter_Available();
}
std::uint64_t Timer_Source::Cycle_Counter() const { return Platform_Cycle_Counter(); }
std::uint32_t Timer_Source::Milliseconds() const { return Platform_Milliseconds(); }
std::time_t Timer_Source::Calendar_Time() const { return Platform_Calendar_Time(); }

namespace {
const Timer_Source Platform_Clocks;
}

CTarvelTimer::CTarvelTimer() : Source(&Platform_Clocks) { Calibrate(); }

CTarvelTimer::CTarvelTimer(const Timer_Source& source) : Source(&source) { Calibrate(); }

namespace {

// The cycle counter and the millisecond clock read at one moment: retried until both
// millisecond readings around the counter read are at most one tick apart, so that a
// process descheduled in between does not pair readings taken far apart.
void Read_Pair(const Timer_Source& source, std::uint64_t* cycles, std::uint32_t* millis) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::uint32_t before = source.Milliseconds();
        *cycles = source.Cycle_Counter();
        *millis = source.Milliseconds();
        if (*millis - before <= 1u) return;
    }
}

}  // namespace

void CTarvelTimer::Calibrate() {
    if (!Source->Performance_Counter_Available()) {
        Use_Cycle_Counter = false;
        Previous = Current = Source->Milliseconds();
        return;
    }
    Use_Cycle_Counter = true;
    // Span exactly one calendar-second boundary to the next.
    std::time_t t0 = Source->Calendar_Time();
    while (Source->Calendar_Time() == t0) {
    }
    t0 = Source->Calendar_Time();
    std::uint64_t c0 = 0;
    std::uint32_t m0 = 0;
    Read_Pair(*Source, &c0, &m0);
    std::time_t t1 = Source->Calendar_Time();
    while (Source->Calendar_Time() == t1) {
    }
    t1 = Source->Calendar_Time();
    std::uint64_t c1 = 0;
    std::uint32_t m1 = 0;
    Read_Pair(*Source, &c1, &m1);
    Previous = static_cast<std::uint32_t>(c0);
    Current = static_cast<std::uint32_t>(c1);
    // The counter is divided by the time that really passed between its two reads, as the
    // millisecond clock saw it. The whole calendar second is only right when the process
    // ran at both boundaries: on a busy machine it can be descheduled between seeing a
    // boundary and reading the counter, and every later frame would then be measured too
    // long or too short by the share of the second it lost (7 % was seen).
    const std::uint32_t millis = m1 - m0;
    const float seconds = millis > 0u ? static_cast<float>(millis) * 0.001f
                                      : static_cast<float>(t1 - t0);
    Cycles_Per_Second = static_cast<float>(static_cast<double>(c1 - c0) / seconds);
}

std::uint32_t CTarvelTimer::Tick() {
    Previous = Current;
    if (Use_Cycle_Counter) {
        Current = static_cast<std::uint32_t>(Source->Cycle_Counter());
        Elapsed = static_cast<float>(Current - Previous) / Cycles_Per_Second;
    } else {
        Current = Source->Milliseconds();
        Elapsed = static_cast<float>(static_cast<double>(Current - Previous) *
                                     static_cast<double>(0.001f));
    }
    return Current - Previous;
}
