#include "shell/frame_clock.h"

const Timer_Source& Frame_Clock() {
    static const Timer_Source platform_clocks;
    return platform_clocks;
}
