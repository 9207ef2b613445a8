#include "tests/frontend/frontend_objects.h"

Frontend_Objects::Frontend_Objects() {
    High_Score_Table_Reset(table_a);
    High_Score_Table_Reset(table_b);
    fader.From = SCREEN_MENU;
    fader.To = SCREEN_MATCH;
}

Frontend_Context Frontend_Objects::Context_For(CTarvelWindow& window) {
    return Frontend_Context{
        .window = window,
        .match = match,
        .settings = settings,
        .table_a = table_a,
        .table_b = table_b,
        .camera = camera,
        .fade_to = fader.To,
        .fade_start = [this](int from, int to, float seconds) { Fade_Start(from, to, seconds); },
        .screen_state = screen_state,
        .player_name = player_name,
        .os_name = os_name,
        .save_settings =
            [this] { return Settings_Save(config_file.c_str(), settings, table_a, table_b); },
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
    };
}
