// The clocks that the game's frame timer reads. The player's program reads the platform's
// (frame_clock.cpp). The test copies of the program link a definition of their own instead
// (tests/e2e/fixed_step_clock.cpp): a clock that moves one frame's time per reading, so a
// whole run plays through as fast as the machine draws it.
#pragma once

#include "shell/timer.h"

// Lives as long as the process; may be called while the process-wide objects are built.
const Timer_Source& Frame_Clock();
