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
    float fraction = Remaining / Half;
    host.Draw_Veil(Fade_Phase == 2 ? 1.0f - fraction : fraction);
}
