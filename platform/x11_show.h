// Mapping an SDL window on X11 with a bounded wait (see x11_show.cpp).
#pragma once

#include <SDL.h>

enum class X11_Show_Result {
    Not_X11,  // another video driver: show the window the usual way
    Mapped,   // viewable now
    Pending,  // mapped, but the window manager has not shown it within the time given
};

X11_Show_Result X11_Map_Window(SDL_Window* window, int timeout_ms);
