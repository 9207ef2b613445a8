// What the match screen shows over the arena: the clock and the "High Score" heads-up
// lines, and the end screens of the three mode families as the end rules decided them
// (game/match_frame.h). It records its text instead of drawing it.
#pragma once

#include "frontend/frontend_context.h"
#include "frontend/text_lines.h"

// The clock text "m:ss.t" for `match_clock` seconds; false (and nothing shown) in a
// countdown match or once the clock is at 0 or below.
bool Clock_Text(int mode_family, float match_clock, char (&text)[32]);

// One line of the ranking list: the side it names, the rank shown and the line's height.
struct Ranking_Line {
    int side;
    int number;
    float y;
};

// Lays out the ranking list for `ranking` (side numbers, best first): sides whose
// controller is "None" get no line and take no place, so the numbers shown run 1, 2, 3...
// Returns the number of lines.
int Ranking_Layout(const Match& match, const int (&ranking)[Side_Count],
                   Ranking_Line (&lines)[Side_Count]);

// Records the overlay of one frame into `lines`: the clock, and the end screen of what the
// latest end rule decided (match.end). Reads the match only.
void Match_Overlay(const Frontend_Context& context, Text_Lines& lines);
