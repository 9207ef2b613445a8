// The frame of a match: the order in which the end rule of the mode and the simulation
// step take turns, the same for the game and for tindral-sim.
#pragma once

#include "game/match.h"

// Applies the end rule of the match's mode, which may finish the match, and records what
// it decided in match.end. `on_match_screen` is false for the menu's live view of the
// arena: there a timed match past its time still closes the sides behind the leaders, but
// no rule finishes a match.
void Match_End_Rules(Match& match, bool on_match_screen);

// One frame of the match screen: the end rule, then one step of dt unless the match is
// suspended. A finished match is still stepped (its paddles move behind the end screen)
// unless `stop_when_over`. When the meshes are animated, the spheres' meshes are then
// settled (CTarvelModel::Settle) for the frame's drawing. Returns true when the match is
// over.
bool Match_Frame(Match& match, const Match_Context& context, float dt, bool stop_when_over);
