// The screen the main loop draws.
#pragma once

enum Screen_State_Value { SCREEN_EXIT = 0, SCREEN_INTRO = 1, SCREEN_MENU = 2, SCREEN_MATCH = 3 };
