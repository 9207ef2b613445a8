// Where the game keeps its per-user files.
#pragma once

#include <string>

// The per-user data folder: $XDG_DATA_HOME/Tindral, by default ~/.local/share/Tindral.
// Not created here. Empty when neither the variable nor a home folder is known.
std::string Data_Folder_Path();
