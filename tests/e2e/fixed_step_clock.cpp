// The frame clock of the test copy of the program: each reading lies 1/30 s after the one
// before, whatever the wall clock says. The main loop reads it once a frame, so every frame
// steps the match, the fades and the menu by a normal frame time (33 or 34 ms) while the
// frames follow each other as fast as the machine draws them: a 150-second run plays
// through in a fraction of that, still frame by frame. The player's program reads the
// platform's clocks (shell/frame_clock.cpp).
//
// With TINDRAL_TEST_CLOCK_FILE set, every reading is also written to that file (the
// milliseconds as 20 digits and a line break, rewritten in place), so that a test can tell
// how much game time passed between two things it saw.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "shell/frame_clock.h"

namespace {

class Fixed_Step_Clock : public Timer_Source {
  public:
    Fixed_Step_Clock() {
        const char* path = std::getenv("TINDRAL_TEST_CLOCK_FILE");
        if (path != nullptr && path[0] != '\0') {
            file_ = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        }
    }
    ~Fixed_Step_Clock() override {
        if (file_ >= 0) close(file_);
    }
    Fixed_Step_Clock(const Fixed_Step_Clock&) = delete;
    Fixed_Step_Clock& operator=(const Fixed_Step_Clock&) = delete;

    // Without a cycle counter the timer measures frames on the millisecond clock alone and
    // needs no calibration.
    bool Performance_Counter_Available() const override { return false; }
    std::uint32_t Milliseconds() const override {
        ++readings_;
        const std::uint64_t now = readings_ * 1000u / Frames_Per_Second;
        if (file_ >= 0) {
            char text[32];
            const int length = std::snprintf(text, sizeof text, "%020llu\n",
                                             static_cast<unsigned long long>(now));
            if (pwrite(file_, text, static_cast<std::size_t>(length), 0) != length) {
                close(file_);
                file_ = -1;
            }
        }
        return static_cast<std::uint32_t>(now);
    }

  private:
    static constexpr std::uint64_t Frames_Per_Second = 30;
    mutable std::uint64_t readings_ = 0;
    mutable int file_ = -1;
};

}  // namespace

const Timer_Source& Frame_Clock() {
    static const Fixed_Step_Clock clock;
    return clock;
}
