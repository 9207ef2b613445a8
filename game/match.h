// The match: the arena's models, the four sides with their paddles and counters, up to
// four spheres, the four side controllers, and the values of the mode being played.
// Set up here for the chosen mode; stepped by the physics and the match rules.
#pragma once

#include <functional>

#include "game/controller.h"
#include "game/match_phase.h"
#include "game/model.h"
#include "game/records.h"
#include "game/texture_source.h"
#include "game/vector.h"

class Sound_Player;
class Input_Devices;


enum Mode_Family { FAMILY_TIMED = 0, FAMILY_COUNTDOWN = 3, FAMILY_HIGH_SCORE = 6 };

// Side numbers, the same everywhere.
enum Side_Number { SIDE_TOP = 0, SIDE_BOTTOM = 1, SIDE_LEFT = 2, SIDE_RIGHT = 3 };

constexpr int Side_Count = 4;
constexpr int Max_Spheres = 4;
constexpr int Mode_Count = 7;  // settings "Level" 0..6
constexpr float Sphere_Radius = 10.0f;
constexpr float Launch_Delay = 3.0f;  // seconds a reset sphere waits before it launches

struct Side {
    CTarvelModel paddle;
    bool closed = false;     // no active paddle, and its goal counts nothing
    float score = 0.0f;      // goals conceded, or the points left in Countdown
    float open_time = 0.0f;  // seconds in play (High Score: since the last goal conceded)
    float best_time = 0.0f;  // longest open_time between goals (High Score)
};

struct Sphere {
    bool parked = false;         // does not move: waiting to launch, or just scored
    CTarvelModel model;          // velocity in units per second lives in model.velocity
    float launch_timer = -1.0f;  // seconds to launch; -1: none pending
};

// What the end rule of the mode decided in the latest frame, for the screens to show.
enum Match_End_State {
    END_NONE = 0,      // nothing to show
    END_SUDDEN_DEATH,  // a timed match tied at the end plays on
    END_RANKED,        // a timed or countdown match is over: `ranking` holds the order
    END_RUN_OVER,      // a "High Score" run is over: the result is Bottom's score and best time
};

struct Match_End {
    int state = END_NONE;
    int ranking[Side_Count] = {0, 1, 2, 3};  // side numbers, best first
};

struct Match {
    int mode = 0;  // the setting Level, 0..6
    int mode_family = FAMILY_TIMED;
    int phase = PHASE_NEW;
    float match_clock = 0.0f;  // seconds left (Timed, High Score); not read in Countdown
    int sphere_count = 0;      // spheres in play; 0 once a match finishes
    float sphere_speed = 0.0f;
    int last_goal_side = -1;  // side that conceded the most recent goal, -1 before any
    // Spheres parked at the escape bound since the set-up. An escape is charged like a goal
    // (to last_goal_side); this count only tells the two apart.
    long long escapes = 0;
    Side sides[Side_Count];
    Match_End end;  // set by Match_End_Rules
    Sphere spheres[Max_Spheres];
    CTarvelModel ground;  // drawn only
    CTarvelModel wall;    // key 1: walls spheres bounce off; key 2: goal sensors
    Controller controllers[Side_Count];
};

// What the simulation needs from the rest of the program. Every pointer may be null:
// default settings are used, no table is touched, every model texture is -1, nothing
// sounds, the timer is not restarted.
struct Match_Context {
    const Game_Settings* settings = nullptr;  // Level, Side_Controller, Sound
    High_Score_Table* table_a = nullptr;      // new-entry marks are cleared at set-up
    High_Score_Table* table_b = nullptr;
    Texture_Source* textures = nullptr;   // slots of the textures model files name
    Sound_Player* sound = nullptr;        // collision and goal sounds
    Input_Devices* input = nullptr;       // human players' keys and joysticks (null: none)
    // False when nothing is drawn: the spheres' meshes are then neither rolled nor spun,
    // which changes no position or velocity.
    bool animate_meshes = true;
    std::function<void()> restart_timer;  // the frame timer's Tick
};

// Family of a mode 0..6: Timed for 0-2, Countdown for 3-5, High Score for 6.
int Mode_Family_Of(int mode);
// "Timed (3 min)" .. "High Score"; "" out of range.
const char* Mode_Name(int mode);
// "Top", "Bottom", "Left", "Right"; "" out of range.
const char* Side_Name(int side);

// Where sphere `index` of a family starts and the heading its velocity starts with.
Vector Sphere_Start_Position(int family, int index);
float Sphere_Start_Heading(int family, int index);
// Where the paddle of `side` starts (Left and Right paddles are turned by 90 degrees).
Vector Paddle_Start_Position(int side);

// Builds a match for the settings' mode and side controllers: reloads the arena's
// models (a model that fails to load stays as it was), places and aims the spheres,
// places the paddles, configures the controllers, resets every side's counters and
// leaves the phase at PHASE_NEW with every sphere parked and its launch timer full.
void Match_Setup(Match& match, const Match_Context& context);

// Reloads sphere `index`'s model and parks it at its start position with a full launch
// timer; keeps its velocity (the heading it had). Sets the family's sphere speed. The
// sphere's mesh is left with a deferred pose (CTarvelModel::Defer_Pose): readers of its
// points settle it first.
void Sphere_Reset(Match& match, int index, const Match_Context& context);

// One step of the goal-closing animation: moves the goal-mouth corners of every closed
// side's goal towards their closed positions at 5 units per second per coordinate.
void Close_Goals(Match& match, float dt);
