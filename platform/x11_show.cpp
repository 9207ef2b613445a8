// Showing a window on X11 without SDL's unbounded wait. SDL 2.26 maps the window and then
// blocks until the window manager's MapNotify arrives; under heavy load that wait was
// seen to last for ever. Here the window is mapped and its map state polled for a while;
// a window that is still not viewable then is left to the window manager, and SDL's event
// pump marks it shown when the map arrives. Kept apart from window.cpp because Xlib's
// headers define macros (None, Status, Bool ...) that nothing else should see.
#include "platform/x11_show.h"

#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#endif

X11_Show_Result X11_Map_Window(SDL_Window* window, int timeout_ms) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        return X11_Show_Result::Not_X11;
    }
    Display* display = info.info.x11.display;
    const ::Window handle = info.info.x11.window;
    XMapRaised(display, handle);
    XFlush(display);
    for (int waited = 0; waited <= timeout_ms; waited += 10) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, handle, &attributes) != 0 &&
            attributes.map_state == IsViewable) {
            return X11_Show_Result::Mapped;
        }
        SDL_Delay(10);
    }
    return X11_Show_Result::Pending;
#else
    (void)window;
    (void)timeout_ms;
    return X11_Show_Result::Not_X11;
#endif
}
