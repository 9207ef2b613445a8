// The records the game's settings and results are kept in. The match set-up reads the
// settings and marks the tables; the front end shows and changes both; the settings file
// loads and saves them.
#pragma once

// Two best-five tables of the "High Score" mode. Slots 0-4 are places 1-5; slot 5 holds
// a new result while it is ranked. An empty place is "-----", 0.0 seconds, 10000 spheres.
struct High_Score_Table {
    bool Is_New[6];
    char Name[6][19];  // at most 15 characters, zero-terminated
    float Time[6];     // seconds
    int Spheres[6];
};

struct Game_Settings {
    int CameraView = 1;        // 0 top view, anything else side view
    int Level = 3;             // mode 0..6
    int Music = 0;             // stored only
    int Sound = 0;             // effects play only while 1
    int UploadHighScores = 1;  // results are sent only while 1
    // Controller code per side, indexed by side number: Top, Bottom, Left, Right (keys
    // "Top", "Bottom", "Left", "Right"); 1..8 after loading.
    int Side_Controller[4] = {7, 1, 7, 7};
};
