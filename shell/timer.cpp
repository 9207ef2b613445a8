#include "shell/timer.h"

#include "platform/platform.h"

bool Timer_Source::Performance_Counter_Available() const {
    return Platform_Performance_Counter_Available();
}
std::uint32_t Timer_Source::Cycle_Counter() const { return Platform_Cycle_Counter(); }
std::uint32_t Timer_Source::Milliseconds() const { return Platform_Milliseconds(); }
std::time_t Timer_Source::Calendar_Time() const { return Platform_Calendar_Time(); }

namespace {
const Timer_Source Platform_Clocks;
}

CTarvelTimer::CTarvelTimer() : Source(&Platform_Clocks) { Calibrate(); }

CTarvelTimer::CTarvelTimer(const Timer_Source& source) : Source(&source) { Calibrate(); }

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
    Previous = Source->Cycle_Counter();
    std::time_t t1 = Source->Calendar_Time();
    while (Source->Calendar_Time() == t1) {
    }
    t1 = Source->Calendar_Time();
    Current = Source->Cycle_Counter();
    Cycles_Per_Second = static_cast<float>(Current - Previous) / static_cast<float>(t1 - t0);
}

std::uint32_t CTarvelTimer::Tick() {
    Previous = Current;
    if (Use_Cycle_Counter) {
        Current = Source->Cycle_Counter();
        Elapsed = static_cast<float>(Current - Previous) / Cycles_Per_Second;
    } else {
        Current = Source->Milliseconds();
        Elapsed = static_cast<float>(static_cast<double>(Current - Previous) *
                                     static_cast<double>(0.001f));
    }
    return Current - Previous;
}
