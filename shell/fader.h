// The screen state machine and its fade-to-black transitions. Screens change only at
// the black midpoint of a fade.
#pragma once

#include "frontend/screen_state.h"
#include "game/match_phase.h"

// What a fade changes outside itself.
class Fader_Host {
  public:
    virtual ~Fader_Host() = default;
    // Restarts the frame measurement, so the next frame does not count the slow work.
    virtual void Timer_Tick() = 0;
    // Builds a fresh arena for the current mode.
    virtual void Match_Setup() = 0;
    // Ends the main loop after this frame.
    virtual void Request_Quit() = 0;
    // Draws the black veil over the whole screen, 0 < opacity <= 1. Only asked for when it
    // can be seen: not at opacity 0 or below, and not over the empty screen.
    virtual void Draw_Veil(float opacity) = 0;
};

struct Screen_Fader {
    int From = 0;
    int To = 0;
    float Remaining = 0.0f;  // seconds left in the current half
    float Half = 0.0f;       // length of each half
    int Fade_Phase = 0;      // 0 idle, 2 darkening (leaving From), 1 brightening (showing To)

    void Fade_Start(Fader_Host& host, int from, int to, float seconds);
    // Once per active frame, after the screen's own drawing.
    void Fade_Update(Fader_Host& host, int& screen_state, int& match_phase, float elapsed);
};
