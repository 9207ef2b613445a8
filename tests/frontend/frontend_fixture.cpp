#include "tests/frontend/frontend_fixture.h"

Frontend_Fixture::Frontend_Fixture()
    : context{
          .window = window,
          .match = match,
          .settings = settings,
          .table_a = table_a,
          .table_b = table_b,
          .camera = camera,
          .fader = fader,
          .fade_start = {},
          .screen_state = screen_state,
          .player_name = player_name,
          .os_name = os_name,
          .config_file = config_file,
          .elapsed = elapsed,
          .io = io,
          .upload_host = "127.0.0.1:9",
          .local_seconds = [this] { return local_seconds; },
          .menu = nullptr,
          .input = nullptr,
          .sound = nullptr,
          .controller_available = nullptr,
          .match_setup = {},
          .open_url = {},
      } {
    config_file = folder.Path() + "/config.dat";
    context.fade_start = [this](int from, int to, float seconds) {
        fader.Fade_Start(host_, from, to, seconds);
        ++fades_started;
    };
    High_Score_Table_Reset(table_a);
    High_Score_Table_Reset(table_b);
    window.Width = 1440;
    window.Height = 1080;
    // The match screen is showing a running match: the fade that brought it ended.
    fader.From = SCREEN_MENU;
    fader.To = SCREEN_MATCH;
    match.phase = PHASE_RUNNING;
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
