// Joysticks 0..3 through SDL, presented as the multimedia joystick record: axes 0..65535
// with centre 32767, a button mask, the point of view in hundredths of degrees.
#include <SDL.h>

#include "platform/platform.h"

namespace {

SDL_Joystick* Open_Joysticks[4] = {};

bool Joystick_Init() {
    if (SDL_WasInit(SDL_INIT_JOYSTICK) != 0) return true;
    return SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
}

SDL_Joystick* Joystick(int id) {
    if (id < 0 || id > 3 || !Joystick_Init()) return nullptr;
    SDL_JoystickUpdate();
    if (Open_Joysticks[id] != nullptr && !SDL_JoystickGetAttached(Open_Joysticks[id])) {
        SDL_JoystickClose(Open_Joysticks[id]);
        Open_Joysticks[id] = nullptr;
    }
    if (Open_Joysticks[id] == nullptr && id < SDL_NumJoysticks()) {
        Open_Joysticks[id] = SDL_JoystickOpen(id);
    }
    return Open_Joysticks[id];
}

std::uint32_t Axis(SDL_Joystick* joystick, int axis) {
    if (axis >= SDL_JoystickNumAxes(joystick)) return 32767;
    return static_cast<std::uint32_t>(SDL_JoystickGetAxis(joystick, axis) + 32768) & 0xFFFFu;
}

std::uint32_t Pov(SDL_Joystick* joystick) {
    if (SDL_JoystickNumHats(joystick) < 1) return 0xFFFF;
    switch (SDL_JoystickGetHat(joystick, 0)) {
        case SDL_HAT_UP: return 0;
        case SDL_HAT_RIGHTUP: return 4500;
        case SDL_HAT_RIGHT: return 9000;
        case SDL_HAT_RIGHTDOWN: return 13500;
        case SDL_HAT_DOWN: return 18000;
        case SDL_HAT_LEFTDOWN: return 22500;
        case SDL_HAT_LEFT: return 27000;
        case SDL_HAT_LEFTUP: return 31500;
        default: return 0xFFFF;
    }
}

}  // namespace

bool Platform_Joystick_Position(int id, Platform_Joystick_State* out) {
    SDL_Joystick* joystick = Joystick(id);
    if (joystick == nullptr) return false;
    out->x = Axis(joystick, 0);
    out->y = Axis(joystick, 1);
    out->z = Axis(joystick, 2);
    out->r = Axis(joystick, 3);
    out->u = Axis(joystick, 4);
    out->v = Axis(joystick, 5);
    out->buttons = 0;
    int count = SDL_JoystickNumButtons(joystick);
    for (int i = 0; i < count && i < 32; ++i) {
        if (SDL_JoystickGetButton(joystick, i)) out->buttons |= 1u << i;
    }
    out->pov = Pov(joystick);
    return true;
}

bool Platform_Joystick_Name(int id, std::string* name) {
    SDL_Joystick* joystick = Joystick(id);
    if (joystick == nullptr) return false;
    const char* product = SDL_JoystickName(joystick);
    if (product == nullptr) return false;
    *name = product;
    return true;
}
