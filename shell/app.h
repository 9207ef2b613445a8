// The game's process-wide objects and its entry point. They are defined in app.cpp in
// the order the game needs them: built in that order before main runs, destroyed in
// reverse after it returns, so the window (and with it the log) lives longest and the
// sound device closes before it.
#pragma once

#include <string>

#include "audio/audio.h"
#include "engine/window.h"
#include "frontend/camera.h"
#include "frontend/menu.h"
#include "game/match.h"
#include "shell/fader.h"
#include "shell/settings.h"
#include "shell/timer.h"

struct App_Paths {
    std::string Config_File;     // Data_Folder + "/config.dat"
    std::string Program_Folder;  // the folder of the program file, no trailing slash
    std::string Data_Folder;     // the per-user data folder
    std::string Player_Name;     // the name typed for the high-score tables
    std::string OS_Name;         // OS_Name_Get()
};

extern CTarvelWindow Game_Window;
extern CTarvelAudio Game_Audio;
extern Camera Game_Camera;
extern Match The_Match;  // also holds the side controllers and the arena's models
extern CTarvelTimer Frame_Timer;
extern Menu_State Menu;  // the buttons, the anchors and the menu's mouse controller
extern Screen_Fader Fader;
extern App_Paths Paths;

extern int Screen_State;
extern Game_Settings Settings;
extern High_Score_Table High_Scores_A;
extern High_Score_Table High_Scores_B;
// Indexed by controller code 1..8 (entry 0 unused).
extern bool Controller_Available[9];

// Runs the start-up sequence, the main loop and the shut-down; returns the exit status.
int Tindral_Main();

// Starts a fade from `from` to `to` lasting `seconds` (half dark, half bright).
void Fade_Start(int from, int to, float seconds);
