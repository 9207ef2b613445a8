// The match as a whole: the simulation step, goal charging, and the end rules that the
// match screen applies every frame (the screen draws their texts).
#pragma once

#include "game/match.h"

// Longest distance a sphere may move in one physics pass: its contact distance, the
// sphere radius (see Match_Step). A frame is split into sub-steps only when a sphere
// would move further; at most Max_Physics_Substeps of them.
constexpr float Max_Sphere_Travel = Sphere_Radius;
constexpr int Max_Physics_Substeps = 8;

// One simulation step of dt seconds: the clock, the controllers, the countdown drain and
// open times, the goal closing, then one physics pass and the sphere updates. A frame in
// which a sphere would travel more than Max_Sphere_Travel runs them in equal sub-steps
// of at most that travel instead (at 50 frames per second or more no mode does).
void Match_Step(Match& match, const Match_Context& context, float dt);

// Charges a goal to `side` (0..3) unless the phase is PHASE_NEW.
void Charge_Goal(Match& match, int side);

enum Timed_End_Result {
    TIMED_END_NOT_YET = 0,        // the clock has not run out
    TIMED_END_SUDDEN_DEATH,       // two or more sides tie on the fewest goals: play on
    TIMED_END_FINISHED,           // decided: phase PHASE_NEW, sphere_count 0, ranking filled
    TIMED_END_DECIDED_ELSEWHERE,  // decided, but not on the match screen: nothing changed
};

// Timed (family 0) end rule. Once the clock is at 0 or below, closes every open side
// with more goals than the fewest; when fewer than two remain and `on_match_screen`,
// finishes the match and ranks the four sides by score ascending, equal scores by
// open_time descending.
Timed_End_Result Timed_End_Rule(Match& match, bool on_match_screen, int ranking[Side_Count]);

// Countdown (family 3) end rule: when at most one side is open and `on_match_screen`,
// finishes the match, gives the survivor open_time 10000 and ranks the sides by
// open_time descending. True when it finished the match.
bool Countdown_End_Rule(Match& match, bool on_match_screen, int ranking[Side_Count]);

// "High Score" (family 6) end rule: on the match screen once the clock is at 0 or below,
// finishes the match and sets the clock to 0. A negative clock is the last step's
// overshoot: it is taken off Bottom's best_time when that is the stretch still running
// at the end (a longer stretch that ended earlier never counted the overshoot). True
// while the run is over (and the result is Bottom's score and best_time).
bool High_Score_End_Rule(Match& match, bool on_match_screen);
