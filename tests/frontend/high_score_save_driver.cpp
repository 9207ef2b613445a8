// The save of config.dat after a "High Score" run, as the match screen makes it when Enter
// confirms the finished run, for high_score_kill_test.py, which kills this program at many
// moments of the save. The real game reaches that key only at the end of a 150-second run.
// Usage: high_score_save_driver CONFIG_FILE
// Like the game's start, it first removes what killed saves left beside CONFIG_FILE and
// reads the file; then the run (3 spheres allowed, 40.5 s) is confirmed for the player
// "Ann" with uploads off. Exits 0 when the run was confirmed and saved.
#include <cstdio>

#include "frontend/match_keys.h"
#include "shell/settings.h"
#include "tests/frontend/frontend_objects.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: high_score_save_driver CONFIG_FILE\n");
        return 2;
    }
    Frontend_Objects objects;
    CTarvelWindow window(100.0f, 800.0f, nullptr, nullptr);
    Frontend_Context context = objects.Context_For(window);
    bool saved = false;
    context.save_settings = [&] {
        saved = Settings_Save(argv[1], objects.settings, objects.table_a, objects.table_b);
        return saved;
    };

    Settings_Leftovers_Remove(argv[1]);
    Settings_Load(argv[1], objects.settings, objects.table_a, objects.table_b);
    objects.settings.UploadHighScores = 0;

    Match& match = objects.match;
    match.mode = 6;
    match.mode_family = FAMILY_HIGH_SCORE;
    match.phase = PHASE_NEW;
    for (int side = 0; side < Side_Count; ++side) {
        match.controllers[side].type = side == SIDE_BOTTOM ? CONTROLLER_ARROW_KEYS : CONTROLLER_NONE;
        match.sides[side].closed = true;
    }
    match.sides[SIDE_BOTTOM].score = 3.0f;
    match.sides[SIDE_BOTTOM].best_time = 40.5f;
    objects.player_name = "Ann";
    window.Keys[KEY_ENTER] = 1;
    Match_Keys_Step(context);
    return saved ? 0 : 1;
}
