// The SDL2 window, its GL context, the message step and message boxes.
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/icon.h"
#include "platform/platform.h"
#include "platform/x11_show.h"

struct Platform_Window {
    SDL_Window* sdl = nullptr;
};

struct Platform_GL_Context {
    SDL_GLContext sdl = nullptr;
};

namespace {

bool Quit_Pending = false;
int Quit_Status = 0;

// Mouse buttons pressed since the last poll. The game polls the buttons once a frame, so
// a press and release within one frame (a quick tap) would otherwise never be seen.
unsigned Buttons_Pressed_Since_Poll = 0;

unsigned Button_Bit(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT: return 1u;
        case SDL_BUTTON_RIGHT: return 2u;
        case SDL_BUTTON_MIDDLE: return 4u;
        default: return 0u;
    }
}

// Runs as SDL queues each event, before the one-event-per-frame message step.
int SDLCALL Watch_Buttons(void*, SDL_Event* event) {
    if (event->type == SDL_MOUSEBUTTONDOWN) Buttons_Pressed_Since_Poll |= Button_Bit(event->button.button);
    return 0;
}

struct Key_Name {
    SDL_Keycode key;
    int vk;
};

// Keys with a Windows virtual-key code other than their own character.
const Key_Name Key_Table[] = {
    {SDLK_BACKSPACE, 8},   {SDLK_TAB, 9},          {SDLK_RETURN, 13},     {SDLK_KP_ENTER, 13},
    {SDLK_LSHIFT, 16},     {SDLK_RSHIFT, 16},      {SDLK_LCTRL, 17},      {SDLK_RCTRL, 17},
    {SDLK_LALT, 18},       {SDLK_RALT, 18},        {SDLK_PAUSE, 19},      {SDLK_CAPSLOCK, 20},
    {SDLK_ESCAPE, 27},     {SDLK_SPACE, 32},       {SDLK_PAGEUP, 33},     {SDLK_PAGEDOWN, 34},
    {SDLK_END, 35},        {SDLK_HOME, 36},        {SDLK_LEFT, 37},       {SDLK_UP, 38},
    {SDLK_RIGHT, 39},      {SDLK_DOWN, 40},        {SDLK_PRINTSCREEN, 44}, {SDLK_INSERT, 45},
    {SDLK_DELETE, 46},     {SDLK_LGUI, 91},        {SDLK_RGUI, 92},       {SDLK_APPLICATION, 93},
    {SDLK_KP_0, 96},       {SDLK_KP_1, 97},        {SDLK_KP_2, 98},       {SDLK_KP_3, 99},
    {SDLK_KP_4, 100},      {SDLK_KP_5, 101},       {SDLK_KP_6, 102},      {SDLK_KP_7, 103},
    {SDLK_KP_8, 104},      {SDLK_KP_9, 105},       {SDLK_KP_MULTIPLY, 106}, {SDLK_KP_PLUS, 107},
    {SDLK_KP_MINUS, 109},  {SDLK_KP_PERIOD, 110},  {SDLK_KP_DIVIDE, 111}, {SDLK_NUMLOCKCLEAR, 144},
    {SDLK_SCROLLLOCK, 145}, {SDLK_SEMICOLON, 186}, {SDLK_EQUALS, 187},    {SDLK_COMMA, 188},
    {SDLK_MINUS, 189},     {SDLK_PERIOD, 190},     {SDLK_SLASH, 191},     {SDLK_BACKQUOTE, 192},
    {SDLK_LEFTBRACKET, 219}, {SDLK_BACKSLASH, 220}, {SDLK_RIGHTBRACKET, 221}, {SDLK_QUOTE, 222},
};

int Virtual_Key(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 112 + (key - SDLK_F1);
    for (const Key_Name& entry : Key_Table) {
        if (entry.key == key) return entry.vk;
    }
    return 0;
}

bool Translate(const SDL_Event& event, Platform_Message* out) {
    *out = Platform_Message{};
    out->type = MSG_OTHER;
    switch (event.type) {
        case SDL_QUIT:
            // A close request from outside the window (SIGTERM, session end).
            out->type = MSG_CLOSE;
            break;
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE: out->type = MSG_CLOSE; break;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    out->type = MSG_ACTIVATEAPP;
                    out->wparam = 1;
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    out->type = MSG_ACTIVATEAPP;
                    out->wparam = 0;
                    break;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    out->type = MSG_SIZE;
                    out->low = event.window.data1;
                    out->high = event.window.data2;
                    break;
                case SDL_WINDOWEVENT_MINIMIZED:
                    out->type = MSG_SIZE;
                    break;
                case SDL_WINDOWEVENT_RESTORED: {
                    SDL_Window* window = SDL_GetWindowFromID(event.window.windowID);
                    if (window != nullptr) {
                        out->type = MSG_SIZE;
                        SDL_GL_GetDrawableSize(window, &out->low, &out->high);
                    }
                    break;
                }
                default: break;
            }
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            // Alt combinations are system keys: they are not recorded in the key table.
            if (event.key.keysym.mod & KMOD_ALT) break;
            int vk = Virtual_Key(event.key.keysym.sym);
            if (vk == 0) break;
            out->type = event.type == SDL_KEYDOWN ? MSG_KEYDOWN : MSG_KEYUP;
            out->wparam = static_cast<unsigned>(vk);
            break;
        }
        default: break;
    }
    return true;
}

Uint32 Box_Flags(Platform_Icon icon) {
    switch (icon) {
        case ICON_INFORMATION: return SDL_MESSAGEBOX_INFORMATION;
        case ICON_WARNING: return SDL_MESSAGEBOX_WARNING;
        case ICON_ERROR: return SDL_MESSAGEBOX_ERROR;
    }
    return SDL_MESSAGEBOX_INFORMATION;
}

}  // namespace

bool Platform_Peek_Message(Platform_Message* out) {
    if (Quit_Pending) {
        Quit_Pending = false;
        *out = Platform_Message{};
        out->type = MSG_QUIT;
        out->wparam = static_cast<unsigned>(Quit_Status);
        return true;
    }
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
    SDL_Event event;
    if (SDL_PollEvent(&event) == 0) return false;
    return Translate(event, out);
}

void Platform_Post_Quit(int status) {
    Quit_Pending = true;
    Quit_Status = status;
}

namespace {

// Whether SDL_VIDEODRIVER (one name or a comma-separated list) names `driver`.
bool Video_Driver_Requested(const char* driver) {
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    if (requested == nullptr) return false;
    const size_t length = SDL_strlen(driver);
    for (const char* item = requested; *item != '\0';) {
        const char* comma = SDL_strchr(item, ',');
        const size_t item_length =
            comma != nullptr ? static_cast<size_t>(comma - item) : SDL_strlen(item);
        if (item_length == length && SDL_strncasecmp(item, driver, length) == 0) return true;
        if (comma == nullptr) break;
        item = comma + 1;
    }
    return false;
}

}  // namespace

bool Platform_Video_Init(std::string* error) {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (error != nullptr) *error = SDL_GetError();
        return false;
    }
    // Without a display SDL falls back to drivers that draw nowhere: the game would run
    // unseen until killed. Only a user who names such a driver gets it.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr &&
        (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0) &&
        !Video_Driver_Requested(driver)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (error != nullptr) *error = "no X11 or Wayland display could be opened";
        return false;
    }
    // The cursor is polled; queued motion events would delay keys behind them.
    SDL_EventState(SDL_MOUSEMOTION, SDL_IGNORE);
    SDL_AddEventWatch(Watch_Buttons, nullptr);
    SDL_DisableScreenSaver();
    return true;
}

int Platform_Virtual_Screen_Height() {
    if (!Platform_Video_Init(nullptr)) return 0;
    int count = SDL_GetNumVideoDisplays();
    if (count < 1) return 0;
    SDL_Rect all;
    SDL_GetDisplayBounds(0, &all);
    for (int i = 1; i < count; ++i) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(i, &bounds) == 0) SDL_UnionRect(&all, &bounds, &all);
    }
    return all.h;
}

void Platform_Primary_Screen_Size(int* width, int* height) {
    *width = *height = 0;
    SDL_Rect bounds;
    if (Platform_Video_Init(nullptr) && SDL_GetDisplayBounds(0, &bounds) == 0) {
        *width = bounds.w;
        *height = bounds.h;
    }
}

Platform_Window* Platform_Window_Create(const char* title, int x, int y, int width, int height,
                                        bool fullscreen, bool resizable, int colour_bits,
                                        std::string* error) {
    if (!Platform_Video_Init(error)) return nullptr;
    int channel_bits = colour_bits >= 24 ? 8 : 5;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel_bits);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channel_bits);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel_bits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (resizable) flags |= SDL_WINDOW_RESIZABLE;
    if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN;
    // A zero-sized client area (the refused second instance still creates its window)
    // is not accepted by every video driver; one pixel stands in for it.
    SDL_Window* sdl = SDL_CreateWindow(title != nullptr ? title : "", x, y, width > 0 ? width : 1,
                                       height > 0 ? height : 1, flags);
    if (sdl == nullptr) {
        if (error != nullptr) *error = SDL_GetError();
        return nullptr;
    }
    return new Platform_Window{sdl};
}

bool Platform_Window_Set_Fullscreen(Platform_Window* window, int width, int height, int bits) {
    SDL_DisplayMode mode{};
    mode.w = width;
    mode.h = height;
    mode.format = bits >= 24 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
    SDL_DisplayMode closest;
    if (SDL_GetClosestDisplayMode(0, &mode, &closest) == nullptr || closest.w != width ||
        closest.h != height) {
        return false;
    }
    return SDL_SetWindowDisplayMode(window->sdl, &closest) == 0 &&
           SDL_SetWindowFullscreen(window->sdl, SDL_WINDOW_FULLSCREEN) == 0;
}

void Platform_Window_Destroy(Platform_Window* window) {
    if (window == nullptr) return;
    SDL_DestroyWindow(window->sdl);
    delete window;
}

void Platform_Window_Show(Platform_Window* window) {
    // Once the window is viewable SDL_ShowWindow does not wait; while the window manager
    // has still not mapped it, SDL_ShowWindow would wait without limit, so it is skipped
    // and the map, when it comes, marks the window shown.
    if (X11_Map_Window(window->sdl, 3000) != X11_Show_Result::Pending) {
        SDL_ShowWindow(window->sdl);
    }
    SDL_RaiseWindow(window->sdl);
}

void Platform_Window_Set_Icon(Platform_Window* window) {
    // The game's icon, drawn here so the program carries it without a resource file; the
    // desktop's icons are drawn from the same design.
    const int size = 32;
    std::vector<Uint32> pixels = Platform_Icon_Pixels(size);
    SDL_Surface* surface = SDL_CreateRGBSurfaceFrom(pixels.data(), size, size, 32, size * 4,
                                                    0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
    if (surface == nullptr) return;
    SDL_SetWindowIcon(window->sdl, surface);
    SDL_FreeSurface(surface);
}

Platform_GL_Context* Platform_GL_Create(Platform_Window* window, std::string* error) {
    SDL_GLContext context = SDL_GL_CreateContext(window->sdl);
    if (context == nullptr) {
        if (error != nullptr) *error = SDL_GetError();
        return nullptr;
    }
    return new Platform_GL_Context{context};
}

bool Platform_GL_Make_Current(Platform_Window* window, Platform_GL_Context* context) {
    return SDL_GL_MakeCurrent(window != nullptr ? window->sdl : nullptr,
                              context != nullptr ? context->sdl : nullptr) == 0;
}

void Platform_GL_Delete(Platform_GL_Context* context) {
    if (context == nullptr) return;
    SDL_GL_DeleteContext(context->sdl);
    delete context;
}

bool Platform_GL_Pace_Swaps() {
    return SDL_GL_SetSwapInterval(1) == 0;
}

void Platform_GL_Swap(Platform_Window* window) {
    if (window != nullptr) SDL_GL_SwapWindow(window->sdl);
}

void Platform_Show_Cursor(bool show) {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void Platform_Cursor_Position(Platform_Window* window, int* x, int* y) {
    // Over the window, SDL's own record is current (it follows every motion, including
    // warps, even though motion events are not queued); elsewhere the display server is
    // asked, so a cursor outside the window still has a position.
    if (window != nullptr && SDL_GetMouseFocus() == window->sdl) {
        SDL_PumpEvents();
        SDL_GetMouseState(x, y);
        return;
    }
    int gx = 0, gy = 0, wx = 0, wy = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    if (window != nullptr) SDL_GetWindowPosition(window->sdl, &wx, &wy);
    *x = gx - wx;
    *y = gy - wy;
}

void Platform_Set_Cursor_Position(Platform_Window* window, int x, int y) {
    if (window != nullptr) SDL_WarpMouseInWindow(window->sdl, x, y);
}

unsigned Platform_Mouse_Buttons() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return 0;
    Uint32 state = SDL_GetGlobalMouseState(nullptr, nullptr);
    // A button pressed since the last poll counts as down once, even if already released.
    unsigned buttons = Buttons_Pressed_Since_Poll;
    Buttons_Pressed_Since_Poll = 0;
    if (state & SDL_BUTTON(SDL_BUTTON_LEFT)) buttons |= 1u;
    if (state & SDL_BUTTON(SDL_BUTTON_RIGHT)) buttons |= 2u;
    if (state & SDL_BUTTON(SDL_BUTTON_MIDDLE)) buttons |= 4u;
    return buttons;
}

void Platform_Message_Box(const char* text, const char* caption, Platform_Icon icon) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    SDL_ShowSimpleMessageBox(Box_Flags(icon), caption, text, nullptr);
}

bool Platform_Message_Box_Yes_No(const char* text, const char* caption, Platform_Icon icon) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
    };
    SDL_MessageBoxData data{Box_Flags(icon), nullptr, caption, text, 2, buttons, nullptr};
    int chosen = 0;
    if (SDL_ShowMessageBox(&data, &chosen) != 0) return false;
    return chosen == 1;
}
