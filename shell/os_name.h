#pragma once

// The operating-system name used in the log and the score upload: one of "95", "98",
// "Me", "NT", "2000", "XP", "Server_2003", "Vista", "Windows_7", "Unknown".
const char* OS_Name_From_Version(bool nt, int major, int minor);
const char* OS_Name_Get();

// Client size of the game window from the virtual-screen height: 90 % of it (the
// single-precision 0.9, truncated) high and a 4:3 width.
void Window_Size_From_Screen(int virtual_screen_height, int* width, int* height);
