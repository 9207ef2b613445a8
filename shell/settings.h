// The settings and high-score file, "config.dat" in the per-user data folder: lines of
// a key, " = " and a value, looked up by name anywhere in the file, ignoring letter case.
#pragma once

#include <cstdio>
#include <string>

#include "game/records.h"

// Sets every slot to the empty place and clears the new-entry flags.
void High_Score_Table_Reset(High_Score_Table& table);

// Fills `settings` and the tables from `config_file`. Missing values take the defaults
// (the tables keep what they held for places the file does not name); never fails.
void Settings_Load(const char* config_file, Game_Settings& settings, High_Score_Table& a,
                   High_Score_Table& b);

// Writes the whole file anew. The text goes to a new file beside `config_file` that is
// renamed over it when complete, so a failure (no rights, full disk) leaves the old
// file as it was. Returns false on failure.
bool Settings_Save(const char* config_file, const Game_Settings& settings,
                   const High_Score_Table& a, const High_Score_Table& b);

// Positions `file` just after the next whitespace-delimited token equal to `key`
// (ignoring case), from the start when `rewind`. False at the end of the file.
bool Find_Key(std::FILE* file, const char* key, bool rewind);

// The value of the first line of `path` that holds `key` followed by the rest of its
// line (tabs and " = " removed), or `default_text` when there is none.
std::string Get_Value(const char* path, const char* key, const char* default_text);

// Removes the temporary files that saves of `config_file` by games that are gone left
// beside it (a game killed while saving). Never touches the file of a running game or
// any other file.
void Settings_Leftovers_Remove(const char* config_file);
