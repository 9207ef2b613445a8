#include "tests/frontend/frontend_fixture.h"

Frontend_Fixture::Frontend_Fixture() : context(Context_For(window)) {
    config_file = folder.Path() + "/config.dat";
    elapsed = 0.02f;
    context.fade_start = [this](int from, int to, float seconds) {
        Fade_Start(from, to, seconds);
        ++fades_started;
    };
    window.Width = 1440;
    window.Height = 1080;
    match.phase = PHASE_RUNNING;  // the match screen shows a running match
}

void Frontend_Fixture::High_Score_Run_Over(float spheres, float best_time) {
    match.mode = 6;
    match.mode_family = FAMILY_HIGH_SCORE;
    match.phase = PHASE_NEW;
    match.match_clock = 0.0f;
    for (int s = 0; s < Side_Count; ++s) {
        match.controllers[s].type = s == SIDE_BOTTOM ? CONTROLLER_ARROW_KEYS : CONTROLLER_NONE;
        match.sides[s].closed = true;
    }
    match.sides[SIDE_BOTTOM].score = spheres;
    match.sides[SIDE_BOTTOM].best_time = best_time;
}
