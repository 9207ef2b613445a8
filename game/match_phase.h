// The match's phase, shared by the simulation, the screens and the fader.
#pragma once

enum Match_Phase {
    PHASE_RUNNING = 0,    // the simulation steps
    PHASE_SUSPENDED = 1,  // interrupted with Escape; the simulation does not step
    PHASE_NEW = 2,        // no match running; the next screen switch sets one up
};
