// What the match screen shows over the arena: the clock and the "High Score" heads-up
// lines, and the end screens of the three mode families. Deciding the end screens applies
// the match rules (which finish the match), runs the name entry and reads the tables, so
// this is part of every drawn frame; it records its text instead of drawing it.
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

// Records the overlay of one frame into `lines` and applies the end rule of the match's
// mode family (which may finish the match). At the end of a qualifying "High Score" run
// it also runs the name entry on the window's keys.
void Match_Overlay(Frontend_Context& context, Text_Lines& lines);
