#include "shell/input_devices.h"

#include "platform/platform.h"

void Window_Input_Devices::Cursor_Position(int* x, int* y) {
    window_.Get_Cursor_Position(x, y);
}

void Window_Input_Devices::Set_Cursor_Position(int x, int y) {
    window_.Set_Cursor_Position(x, y);
}

unsigned Window_Input_Devices::Mouse_Buttons() {
    const unsigned buttons = Platform_Mouse_Buttons();
    unsigned result = 0;
    if (buttons & 1u) result |= MOUSE_LEFT;
    if (buttons & 2u) result |= MOUSE_RIGHT;
    if (buttons & 4u) result |= MOUSE_MIDDLE;
    return result;
}

bool Window_Input_Devices::Joystick_Position(int id, Joystick_Info* info) {
    if (id < 0 || id >= Joystick_Slots || info == nullptr) return false;
    Platform_Joystick_State state;
    if (!Platform_Joystick_Position(id, &state)) return false;
    info->x = state.x;
    info->y = state.y;
    info->z = state.z;
    info->r = state.r;
    info->u = state.u;
    info->v = state.v;
    info->buttons = state.buttons;
    info->pov = state.pov;
    return true;
}

bool Window_Input_Devices::Joystick_Product_Name(int id, std::string* name) {
    if (id < 0 || id >= Joystick_Slots || name == nullptr) return false;
    return Platform_Joystick_Name(id, name);
}
