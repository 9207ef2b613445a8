// What the match screen, its keys and the high-score tables read and change: references
// to the process-wide objects, so the front end holds no state of its own and a test
// builds exactly the objects it needs.
#pragma once

#include <functional>
#include <string>

#include "frontend/camera.h"
#include "frontend/screen_state.h"
#include "game/match.h"
#include "game/records.h"

class CTarvelIO;
class CTarvelWindow;
class Input_Devices;
class Sound_Player;
struct Menu_State;

struct Frontend_Context {
    CTarvelWindow& window;  // keys, font metrics, client size, textures, 2-D/3-D modes
    Match& match;           // the match's phase is match.phase
    Game_Settings& settings;
    High_Score_Table& table_a;  // ranked by spheres allowed
    High_Score_Table& table_b;  // ranked by seconds between goals
    Camera& camera;
    const int& fade_to;  // the screen the running or last fade leads to: the screen is
                         // already being left when it is not the current one
    // Starts a fade from screen `from` to `to` lasting `seconds`.
    std::function<void(int from, int to, float seconds)> fade_start = {};
    int& screen_state;
    std::string& player_name;
    const std::string& os_name;
    // Writes the settings and both tables to the settings file; false when that failed.
    std::function<bool()> save_settings = {};
    const float& elapsed;            // the frame timer's seconds for this frame
    CTarvelIO& io;                   // the score upload's URL client
    std::string upload_host = {};    // the maker's web host, may carry :port
    // Seconds (0..59) of the current local time, or -1 when it cannot be read; it makes
    // the name cursor blink. Empty: the system's local time.
    std::function<int()> local_seconds = {};

    // What only the menu screen uses (frontend/menu.h); the match screen runs without it.
    Menu_State* menu = nullptr;      // layout, buttons, captured projection, mouse
    Input_Devices* input = nullptr;  // the menu mouse's cursor and buttons; joystick names
    Sound_Player* sound = nullptr;   // "menu_change.ogg" on channel 0, "menu_select.ogg" 1
    const bool* controller_available = nullptr;  // by controller code, entries 1..8
    // Rebuilds the arena for settings.Level (the level arrows show the new mode at once).
    std::function<void()> match_setup = {};
    // Opens a page in the user's browser; empty: the platform's browser.
    std::function<void(const std::string& url)> open_url = {};
};
