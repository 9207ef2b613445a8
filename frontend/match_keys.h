// The keys of the match screen: Escape, Enter at the end of a "High Score" run, the name
// typed for the high-score tables, and F1/F2 for the camera view.
#pragma once

#include <string>

#include "frontend/frontend_context.h"

constexpr int Player_Name_Max = 15;

// Virtual-key codes read here.
enum Match_Key {
    KEY_BACKSPACE = 8,
    KEY_ENTER = 13,
    KEY_SHIFT = 16,
    KEY_ESCAPE = 27,
    KEY_0 = 48,
    KEY_9 = 57,
    KEY_A = 65,
    KEY_Z = 90,
    KEY_F1 = 112,
    KEY_F2 = 113,
};

// Edits `name` from the key-down flags: Backspace removes the last character; otherwise
// each digit key and each letter key that is down appends its character (capital with
// Shift, small without) while the name is shorter than Player_Name_Max. A key that acted
// has its flag cleared, so one press gives one character; auto-repeat sets it again.
void Name_Entry_Step(unsigned char (&keys)[256], std::string& name);

// Once per active frame on the match screen, after the simulation step and the drawing:
// - At the end of a "High Score" run that enters the top five, the name entry.
// - Escape suspends a running match (phase 1) or leaves a finished one, fading to the
//   menu in 1 second; at the end of a "High Score" run it acts as Enter.
// - Enter at the end of a "High Score" run (family 6, phase 2): a qualifying run needs a
//   name first. It puts the run into both tables, saves the settings file, fades to the
//   menu and, when the run qualified and uploads are on, sends it (blocking). Enter is not
//   cleared: while a fade to the menu runs, a held key does nothing more.
// - F1 chooses the top view, F2 the side view.
void Match_Keys_Step(Frontend_Context& context);
