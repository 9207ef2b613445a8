// The stepping half of tindral-sim: runs a set-up match step by step as the main loop
// would on the match screen (the end rule of the mode, then the simulation step), watches
// it for trouble, and prints what happened as the last members of the JSON object.
#pragma once

#include "game/match.h"
#include "game/sound_player.h"

// Counts the sounds the simulation plays, per channel.
class Counting_Sound_Player : public Sound_Player {
  public:
    static constexpr int Channels = 6;
    void Play(int channel) override {
        if (channel >= 0 && channel < Channels) ++counts[channel];
    }
    long long counts[Channels] = {};
};

struct Sim_Run_Options {
    float dt = 1.0f / 60.0f;
    long long steps = -1;   // at most this many steps; -1 for no step limit
    double seconds = -1;    // at most this much simulated time; -1 for no limit
    bool end_rules = true;  // apply the mode's end rule before every step
};

// A run stops when the end rule finishes the match, or at a limit. Without any limit a
// match that never finishes stops after this much simulated time.
constexpr double Sim_Run_Safety_Seconds = 24.0 * 3600.0;

struct Sim_Run_Report {
    long long steps = 0;
    double seconds = 0;
    bool finished = false;      // an end rule finished the match
    bool sudden_death = false;  // a Timed match went into sudden death
    int ranking[Side_Count] = {0, 1, 2, 3};
    bool ranked = false;
    float spheres_allowed = 0;  // High Score result
    float best_time = 0;
    long long resets = 0;           // spheres put back to their start after a goal or an escape
    long long escapes = 0;          // of those, spheres that left the arena (charged as goals)
    float max_extent = 0;           // largest |x| or |y| of a moving sphere after any step
    long long first_bad_step = -1;  // first step after which a value was not finite
};

// Runs `match` (set up, phase PHASE_NEW) from the running phase.
Sim_Run_Report Sim_Run(Match& match, const Match_Context& context, const Sim_Run_Options& options);

// Prints the report's members (each line starting with ",\n"), to go before the closing
// brace of the match object. `sounds` is null when sound is off.
void Sim_Print_Report(const Sim_Run_Report& report, const Match& match,
                      const Counting_Sound_Player* sounds);

// The benchmark: a four-sphere High Score match with the computer on Bottom, stepped
// `steps` times at `dt` without end rules; prints steps per second and microseconds per
// step. With the meshes rolled it then prints the same for a run that also settles the
// meshes after every step, as a game drawing one frame per step does. Returns the
// process status.
int Sim_Bench(const Match_Context& context, long long steps, float dt);
