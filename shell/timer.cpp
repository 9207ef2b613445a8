#include "shell/timer.h"

#include "platform/platform.h"

bool Timer_Source::Performance_Counter_Available() const {
    return Platform_Performance_Counter_Available();
}
std::uint64_t Timer_Source::Cycle_Counter() const { return Platform_Cycle_Counter(); }
std::uint32_t Timer_Source::Milliseconds() const { return Platform_Milliseconds(); }
std::uint64_t Timer_Source::Nanoseconds() const { return Platform_Nanoseconds(); }
void Timer_Source::Pause(int milliseconds) const { Platform_Sleep(milliseconds); }

namespace {
const Timer_Source Platform_Clocks;
}

CTarvelTimer::CTarvelTimer() : source_(&Platform_Clocks) { Calibration_Start(); }

CTarvelTimer::CTarvelTimer(const Timer_Source& source) : source_(&source) {
    Calibration_Start();
}

namespace {

// The shortest calibration. The counter's rate comes out as the cycles counted divided by
// the time the monotonic clock saw pass, so the interval needs no particular moment to
// start or end, and losing the processor within it costs no accuracy: only each end's
// pairing of the two clocks does, bounded below.
constexpr std::uint64_t Calibration_Ns = 20'000'000;
// The widest bracket of monotonic readings around a counter read that is taken without
// retrying: 2 us at each end of 20 ms is 1e-4 at worst.
constexpr std::uint64_t Max_Pair_Spread_Ns = 2000;

// The cycle counter read between two readings of the monotonic clock, retried while the
// two lie too far apart (the process lost the processor between them); after 100 tries
// the narrowest bracket seen.
CTarvelTimer::Clock_Pair Read_Pair(const Timer_Source& source) {
    CTarvelTimer::Clock_Pair best;
    for (int attempt = 0; attempt < 100 && best.spread > Max_Pair_Spread_Ns; ++attempt) {
        const std::uint64_t before = source.Nanoseconds();
        const std::uint64_t cycles = source.Cycle_Counter();
        const std::uint64_t after = source.Nanoseconds();
        const std::uint64_t spread = after - before;
        if (after >= before && spread < best.spread) {
            best = CTarvelTimer::Clock_Pair{cycles, before + spread / 2, spread};
        }
    }
    return best;
}

}  // namespace

void CTarvelTimer::Calibration_Start() {
    Use_Cycle_Counter = false;
    Previous = Current = source_->Milliseconds();
    calibrating_ = source_->Performance_Counter_Available();
    if (calibrating_) calibration_start_ = Read_Pair(*source_);
}

void CTarvelTimer::Calibration_End() {
    calibrating_ = false;
    const Clock_Pair& start = calibration_start_;
    // Start-up between construction and the first tick usually lasts far longer than the
    // shortest calibration; only when it did not is the rest waited for.
    const std::uint64_t now = source_->Nanoseconds();
    if (now >= start.nanoseconds && now - start.nanoseconds < Calibration_Ns) {
        const std::uint64_t rest = Calibration_Ns - (now - start.nanoseconds);
        source_->Pause(static_cast<int>((rest + 999'999) / 1'000'000));
    }
    const Clock_Pair end = Read_Pair(*source_);
    // A clock that stood still or a counter that ran backwards cannot be calibrated: the
    // millisecond timer measures the frames then, from its reading at construction.
    if (end.nanoseconds <= start.nanoseconds || end.cycles <= start.cycles) return;
    Use_Cycle_Counter = true;
    // The counter as read at construction, so the first tick measures from there.
    Current = static_cast<std::uint32_t>(start.cycles);
    Cycles_Per_Second = static_cast<float>(static_cast<double>(end.cycles - start.cycles) * 1e9 /
                                           static_cast<double>(end.nanoseconds - start.nanoseconds));
}

std::uint32_t CTarvelTimer::Tick() {
    if (calibrating_) Calibration_End();
    Previous = Current;
    if (Use_Cycle_Counter) {
        Current = static_cast<std::uint32_t>(source_->Cycle_Counter());
        Elapsed = static_cast<float>(Current - Previous) / Cycles_Per_Second;
    } else {
        Current = source_->Milliseconds();
        Elapsed = static_cast<float>(static_cast<double>(Current - Previous) *
                                     static_cast<double>(0.001f));
    }
    return Current - Previous;
}
