#include "frontend/match_keys.h"

#include "engine/window.h"
#include "frontend/high_scores.h"
#include "frontend/upload.h"

namespace {

constexpr float Leave_Fade_Seconds = 1.0f;

// The screen is already being left: the key that started the fade is still held.
bool Leaving_For_Menu(const Frontend_Context& context) {
    return context.fade_to == SCREEN_MENU;
}

void Confirm_Run(Frontend_Context& context) {
    const Side& player = context.match.sides[SIDE_BOTTOM];
    const float spheres = player.score;
    const float best_time = player.best_time;
    const bool qualified = Top_Five_Check(context.table_a, context.table_b, spheres, best_time);
    if (qualified && context.player_name.empty()) return;  // a name must be typed first
    if (Leaving_For_Menu(context)) return;

    const char* name = context.player_name.c_str();
    Table_A_Insert(context.table_a, name, spheres, best_time);
    Table_B_Insert(context.table_b, name, spheres, best_time);
    if (context.save_settings) context.save_settings();
    if (context.fade_start) context.fade_start(SCREEN_MATCH, SCREEN_MENU, Leave_Fade_Seconds);
    // Last, because it blocks: the result is already safe in the saved tables.
    if (qualified && context.settings.UploadHighScores == 1) {
        Score_Upload(context.io, context.upload_host.c_str(), name, spheres, best_time,
                     context.os_name.c_str());
    }
}

}  // namespace

void Name_Entry_Step(unsigned char (&keys)[256], std::string& name) {
    if (keys[KEY_BACKSPACE] != 0 && !name.empty()) {
        name.pop_back();
        keys[KEY_BACKSPACE] = 0;
        return;
    }
    for (int key = KEY_0; key <= KEY_9; ++key) {
        if (keys[key] == 0 || name.size() >= Player_Name_Max) continue;
        name.push_back(static_cast<char>(key));
        keys[key] = 0;
    }
    const bool shift = keys[KEY_SHIFT] != 0;
    for (int key = KEY_A; key <= KEY_Z; ++key) {
        if (keys[key] == 0 || name.size() >= Player_Name_Max) continue;
        name.push_back(static_cast<char>(shift ? key : key + 32));
        keys[key] = 0;
    }
}

void Match_Keys_Step(Frontend_Context& context) {
    unsigned char(&keys)[256] = context.window.Keys;
    Match& match = context.match;
    if (match.end.state == END_RUN_OVER &&
        Top_Five_Check(context.table_a, context.table_b, match.sides[SIDE_BOTTOM].score,
                       match.sides[SIDE_BOTTOM].best_time)) {
        Name_Entry_Step(keys, context.player_name);
    }
    const bool run_over = match.mode_family == FAMILY_HIGH_SCORE && match.phase == PHASE_NEW;
    bool confirm = keys[KEY_ENTER] != 0 && run_over;

    if (keys[KEY_ESCAPE] != 0) {
        if (run_over) {
            confirm = true;
        } else if (!Leaving_For_Menu(context)) {
            // A finished match stays PHASE_NEW: the menu's fade-in builds a new arena.
            if (match.phase != PHASE_NEW) match.phase = PHASE_SUSPENDED;
            if (context.fade_start) {
                context.fade_start(SCREEN_MATCH, SCREEN_MENU, Leave_Fade_Seconds);
            }
        }
    }
    if (confirm) Confirm_Run(context);

    if (keys[KEY_F1] != 0) {
        context.settings.CameraView = Camera_View_Top;
    } else if (keys[KEY_F2] != 0) {
        context.settings.CameraView = Camera_View_Side;
    }
}
