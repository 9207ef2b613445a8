// The two best-five tables of the "High Score" mode: whether a run enters them, putting a
// run in, and drawing both side by side (in the menu, and on the end screen with the new
// run in green).
#pragma once

#include "frontend/frontend_context.h"
#include "frontend/text_lines.h"
#include "game/records.h"

// An entry counts as empty when its spheres are 10000 or more and its time is 0 or less.
bool High_Score_Empty(const High_Score_Table& table, int slot);

// Whether a run of `spheres` allowed (S) with `best_time` seconds between goals (B)
// enters at least one table: it must beat the fifth entry of table A (fewer spheres, or
// as many spheres and a longer time) or of table B (a longer time, or as long a time and
// fewer spheres). A run equal to a fifth entry in both keys does not enter.
bool Top_Five_Check(const High_Score_Table& a, const High_Score_Table& b, float spheres,
                    float best_time);

// Put the run with `name` (at most 15 characters kept, marked new) into the scratch slot
// and sort the six slots; what sorts into the sixth slot is not part of the table.
// Table A: fewer spheres first, equal spheres the longer time first. Table B: longer time
// first, equal times fewer spheres first. Entries equal in both keys keep their order, so
// a tying run ranks below the entries already there.
void Table_A_Insert(High_Score_Table& table, const char* name, float spheres, float best_time);
void Table_B_Insert(High_Score_Table& table, const char* name, float spheres, float best_time);

// The lines of both tables: `end_screen` 1 places them lower and shows entries marked new
// in green; 0 is the menu's form. Names are plain text.
void High_Score_Table_Lines(const High_Score_Table& a, const High_Score_Table& b, int end_screen,
                            Text_Lines& lines);

// Enters the 2-D mode with the font bound, draws both tables and leaves the 2-D mode.
void High_Score_Tables_Draw(Frontend_Context& context, int end_screen);
