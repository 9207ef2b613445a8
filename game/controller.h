// One controller per side (and one more for the menu's mouse): which device steers it,
// the keys it reads, and held-button timers that the paddle control asks.
#pragma once

#include <cstdint>

// Controller type codes, as stored per side in the settings.
enum Controller_Type {
    CONTROLLER_MOUSE = 0,  // menu only
    CONTROLLER_ARROW_KEYS = 1,
    CONTROLLER_WASD_KEYS = 2,
    CONTROLLER_JOYSTICK_1 = 3,  // .. CONTROLLER_JOYSTICK_1 + 3 for joystick 4
    CONTROLLER_COMPUTER = 7,
    CONTROLLER_NONE = 8,
};

// Index into direction_keys and directions.
enum Direction { DIRECTION_UP = 0, DIRECTION_DOWN = 1, DIRECTION_LEFT = 2, DIRECTION_RIGHT = 3 };

constexpr int Controller_Button_Count = 9;
constexpr int Controller_Direction_Count = 4;
constexpr int Key_None = -1;

// held > 0: down for held seconds; held < 0: released after -held seconds; 0: never
// pressed. duration counts the whole press.
struct Hold_Timer {
    float held = 0.0f;
    float duration = 0.0f;
};

// The joystick position record as the multimedia joystick interface fills it (13 words).
struct Joystick_Info {
    std::uint32_t size = 52;
    std::uint32_t flags = 0xFF;  // return all values
    std::uint32_t x = 0, y = 0, z = 0, r = 0, u = 0, v = 0;
    std::uint32_t buttons = 0;
    std::uint32_t button_number = 0;
    std::uint32_t pov = 0;
    std::uint32_t reserved1 = 0, reserved2 = 0;
};

struct Controller {
    std::uint32_t axes_copy[4] = {};  // R, U, V and point of view after a joystick poll
    Joystick_Info joystick_info;
    // Virtual-key codes for buttons 1..9 (Key_None for none): Enter and Escape first.
    int button_keys[Controller_Button_Count] = {13,       27,       Key_None, Key_None, Key_None,
                                                Key_None, Key_None, Key_None, Key_None};
    // Up, down, left, right: the arrow keys by default.
    int direction_keys[Controller_Direction_Count] = {38, 40, 37, 39};
    float mouse_delta[2] = {};  // previous minus current cursor position, pixels
    int mouse_position[2] = {};
    int mouse_previous[2] = {};
    Hold_Timer buttons[Controller_Button_Count];
    Hold_Timer directions[Controller_Direction_Count];
    int type = CONTROLLER_NONE;
};

// A new controller of `type` with both mouse positions at the cursor.
Controller Controller_Make(int type, int cursor_x, int cursor_y);
// The keys a side's keyboard controller reads in a match: the direction keys of its
// layout (arrow keys or W, S, A, D as up, down, left, right) and no button keys. Other
// types are left unchanged.
void Controller_Set_Match_Keys(Controller& controller);
