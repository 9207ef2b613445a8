#include "shell/fader.h"

void Screen_Fader::Fade_Start(Fader_Host& host, int from, int to, float seconds) {
    host.Timer_Tick();
    Fade_Phase = 2;
    From = from;
    To = to;
    Remaining = Half = seconds * 0.5f;
}

void Screen_Fader::Fade_Update(Fader_Host& host, int& screen_state, int& match_phase,
                               float elapsed) {
    if (Fade_Phase == 0) return;
    // The screen this frame drew, which the veil goes over.
    const bool over_empty_screen = screen_state == SCREEN_EXIT;
    Remaining -= elapsed;
    if (Remaining <= 0.0f) {
        if (Fade_Phase == 2) {
            screen_state = To;
            Remaining = Half;
            Fade_Phase = 1;
            if (screen_state == SCREEN_MENU && match_phase == PHASE_NEW) {
                host.Match_Setup();
            } else if (screen_state == SCREEN_MATCH && match_phase == PHASE_NEW) {
                host.Match_Setup();
                match_phase = PHASE_RUNNING;
            }
        } else {
            Fade_Phase = 0;
            if (screen_state == SCREEN_EXIT) {
                host.Request_Quit();
            } else if (screen_state == SCREEN_INTRO) {
                Fade_Start(host, SCREEN_INTRO, SCREEN_MENU, 2.0f);
            } else if (screen_state == SCREEN_MATCH) {
                match_phase = PHASE_RUNNING;
            }
        }
    }
    const float fraction = Remaining / Half;
    const float opacity = Fade_Phase == 2 ? 1.0f - fraction : fraction;
    // A veil that shows nothing, or black over the empty screen (black already), leaves
    // every pixel as it is, and a blended quad over the whole window is among the dearest
    // things a software renderer draws: such a veil is not drawn at all.
    if (opacity > 0.0f && !over_empty_screen) host.Draw_Veil(opacity);
}
