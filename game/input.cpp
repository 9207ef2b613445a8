#include "game/input.h"

#include <cmath>

namespace {

bool Held(const Hold_Timer& timer) {
    return timer.held > 0.0f;
}

void Mouse_Update(Controller& c, Input_Devices& devices, float dt, bool recenter) {
    c.mouse_previous[0] = c.mouse_position[0];
    c.mouse_previous[1] = c.mouse_position[1];
    devices.Cursor_Position(&c.mouse_position[0], &c.mouse_position[1]);
    c.mouse_delta[0] = static_cast<float>(c.mouse_previous[0] - c.mouse_position[0]);
    c.mouse_delta[1] = static_cast<float>(c.mouse_previous[1] - c.mouse_position[1]);
    if (recenter) {
        int width = devices.Window_Width();
        int height = devices.Window_Height();
        int x = c.mouse_position[0];
        if (x > width + 5 || x < 5) {
            x = width / 2;
            devices.Set_Cursor_Position(x, c.mouse_position[1]);
            c.mouse_position[0] = c.mouse_previous[0] = x;
        }
        int y = c.mouse_position[1];
        if (y > height + 5 || y < 5) {
            devices.Set_Cursor_Position(x, height / 2);
            c.mouse_position[1] = c.mouse_previous[1] = height / 2;
        }
    }
    unsigned buttons = devices.Mouse_Buttons();
    Hold_Timer_Update(c.buttons[0], (buttons & MOUSE_LEFT) != 0, dt);
    Hold_Timer_Update(c.buttons[1], (buttons & MOUSE_RIGHT) != 0, dt);
    Hold_Timer_Update(c.buttons[2], (buttons & MOUSE_MIDDLE) != 0, dt);
}

void Keyboard_Update(Controller& c, Input_Devices& devices, float dt) {
    for (int b = 0; b < Controller_Button_Count; ++b) {
        Hold_Timer_Update(c.buttons[b], devices.Key_Down(c.button_keys[b]), dt);
    }
    for (int d = 0; d < Controller_Direction_Count; ++d) {
        Hold_Timer_Update(c.directions[d], devices.Key_Down(c.direction_keys[d]), dt);
    }
}

// One poll of the controller's joystick into its info record. A device that is missing
// (unplugged, or named in the settings but never present) reads as centred with no
// buttons: its record would otherwise keep stale or zero axes, and a zero axis is a
// direction held for good.
void Joystick_Poll(Controller& c, Input_Devices& devices) {
    if (devices.Joystick_Position(c.type - CONTROLLER_JOYSTICK_1, &c.joystick_info)) return;
    Joystick_Info& info = c.joystick_info;
    info.x = info.y = info.z = info.r = info.u = info.v = 32767;
    info.buttons = 0;
    info.pov = 0xFFFF;
}

void Joystick_Update(Controller& c, Input_Devices& devices, float dt) {
    // The buttons come from the record as it stood before this poll: Human_Control polls
    // just before, so for a side they are current.
    const std::uint32_t mask = c.joystick_info.buttons;
    Joystick_Poll(c, devices);
    for (int bit = Controller_Button_Count - 1; bit >= 0; --bit) {
        Hold_Timer_Update(c.buttons[bit], (mask >> bit & 1u) != 0, dt);
    }
    const Joystick_Info& info = c.joystick_info;
    Hold_Timer_Update(c.directions[DIRECTION_UP], info.y < Joystick_Low, dt);
    Hold_Timer_Update(c.directions[DIRECTION_DOWN], info.y >= Joystick_High, dt);
    Hold_Timer_Update(c.directions[DIRECTION_LEFT], info.x < Joystick_Low, dt);
    Hold_Timer_Update(c.directions[DIRECTION_RIGHT], info.x >= Joystick_High, dt);
    c.axes_copy[0] = info.r;
    c.axes_copy[1] = info.u;
    c.axes_copy[2] = info.v;
    c.axes_copy[3] = info.pov;
}

bool Is_Joystick(int type) {
    return type >= CONTROLLER_JOYSTICK_1 && type < CONTROLLER_JOYSTICK_1 + Joystick_Slots;
}

// Top and Bottom paddles slide along x, Left and Right along y.
bool Slides_Along_Y(int side) {
    return side == SIDE_LEFT || side == SIDE_RIGHT;
}

float Steering_Heading(const Vector& steering) {
    return Heading_Degrees(Vector(), steering);
}

}  // namespace

void Hold_Timer_Update(Hold_Timer& timer, bool down, float dt) {
    if (down) {
        if (timer.held >= 0.0f) {
            timer.held = timer.held + dt;
            timer.duration = timer.duration + dt;
        } else {
            timer.held = dt;
            timer.duration = dt;
        }
    } else if (timer.held > 0.0f) {
        timer.held = -timer.held;
    }
}

void Input_Update(Controller& controller, Input_Devices* devices, float dt, bool recenter) {
    if (devices == nullptr) return;
    if (controller.type == CONTROLLER_MOUSE) {
        Mouse_Update(controller, *devices, dt, recenter);
    } else if (controller.type == CONTROLLER_ARROW_KEYS ||
               controller.type == CONTROLLER_WASD_KEYS) {
        Keyboard_Update(controller, *devices, dt);
    } else if (Is_Joystick(controller.type)) {
        Joystick_Update(controller, *devices, dt);
    }
}

void Human_Control(Match& match, int side, Input_Devices* devices, float dt) {
    if (side < 0 || side >= Side_Count) return;
    Controller& controller = match.controllers[side];
    if (Is_Joystick(controller.type) && devices != nullptr) {
        Joystick_Poll(controller, *devices);
        Input_Update(controller, devices, dt, false);
    } else if (controller.type == CONTROLLER_ARROW_KEYS ||
               controller.type == CONTROLLER_WASD_KEYS) {
        Input_Update(controller, devices, dt, false);
    }
    if (Slides_Along_Y(side)) {
        // Along y "right" is towards +Y: up on the keyboard or stick.
        controller.directions[DIRECTION_LEFT] = controller.directions[DIRECTION_DOWN];
        controller.directions[DIRECTION_RIGHT] = controller.directions[DIRECTION_UP];
        controller.directions[DIRECTION_UP] = Hold_Timer();
        controller.directions[DIRECTION_DOWN] = Hold_Timer();
    }
    Paddle_Move(match, side, dt);
}

void Computer_Control(Match& match, int side, float dt) {
    if (side < 0 || side >= Side_Count) return;
    const Vector paddle = match.sides[side].paddle.position;
    // Sphere 0 stands in when none is in play (a finished match), as the table always
    // holds it.
    int target = 0;
    float nearest = 0.0f;
    for (int i = 0; i < match.sphere_count && i < Max_Spheres; ++i) {
        float distance = Distance_Planar(paddle, match.spheres[i].model.position);
        if (i == 0 || distance < nearest) {
            target = i;
            nearest = distance;
        }
    }
    const Vector sphere = match.spheres[target].model.position;
    const bool along_y = Slides_Along_Y(side);
    const float p = along_y ? paddle.y : paddle.x;
    const float s = along_y ? sphere.y : sphere.x;
    const float aim = p + Computer_Aim_Offset;

    Controller& controller = match.controllers[side];
    controller.directions[DIRECTION_LEFT] = Hold_Timer();
    controller.directions[DIRECTION_RIGHT] = Hold_Timer();
    if (s < aim) {
        controller.directions[DIRECTION_LEFT].held = 1.0f;
    } else if (s > aim) {
        controller.directions[DIRECTION_RIGHT].held = 1.0f;
    }
    Paddle_Move(match, side, dt);
}

void Paddle_Move(Match& match, int side, float dt) {
    if (side < 0 || side >= Side_Count) return;
    CTarvelModel& paddle = match.sides[side].paddle;
    const Controller& controller = match.controllers[side];
    Vector& steering = paddle.velocity;
    const float turn = Steering_Rate * dt;

    // Steering: the heading swings within 0..180; left turns it towards 0, right
    // towards 180, nothing held brings it back to 90 (standing still).
    float h = Steering_Heading(steering);
    if (Held(controller.directions[DIRECTION_LEFT])) {
        Vector_From_Polar(steering, 1.0f, 0.0f, h - turn);
        // Above 180 means it wrapped below 0.
        if (Steering_Heading(steering) > 180.0f) Vector_From_Polar(steering, 1.0f, 0.0f, 0.0f);
    } else if (Held(controller.directions[DIRECTION_RIGHT])) {
        Vector_From_Polar(steering, 1.0f, 0.0f, h + turn);
        if (Steering_Heading(steering) > 180.0f) Vector_From_Polar(steering, 1.0f, 0.0f, 180.0f);
    } else if (h < 90.0f) {
        Vector_From_Polar(steering, 1.0f, 0.0f, h + turn);
        if (Steering_Heading(steering) > 90.0f) Vector_From_Polar(steering, 1.0f, 0.0f, 90.0f);
    } else if (h > 90.0f) {
        Vector_From_Polar(steering, 1.0f, 0.0f, h - turn);
        if (Steering_Heading(steering) < 90.0f) Vector_From_Polar(steering, 1.0f, 0.0f, 90.0f);
    }

    // Travel along the side: heading 0 drives towards -X/-Y, 180 towards +X/+Y.
    const bool along_y = Slides_Along_Y(side);
    const float p = along_y ? paddle.position.y : paddle.position.x;
    const float radians = Steering_Heading(steering) / Degree_Factor;
    float travel = Paddle_Rate * dt;
    travel = travel * std::cos(radians);
    float moved = p - travel;
    if (moved < -Paddle_Limit) {
        moved = -Paddle_Limit;
        Vector_Rescale_Polar(steering, 0.0f, 90.0f);
    } else if (moved > Paddle_Limit) {
        moved = Paddle_Limit;
        Vector_Rescale_Polar(steering, 0.0f, 90.0f);
    }
    const float step = moved - p;
    paddle.Move(along_y ? Vector_Set(0.0f, step, 0.0f) : Vector_Set(step, 0.0f, 0.0f), true);
    // The same displacement once more: the paddle travels twice the clamped step, and can
    // stand one step beyond the limit until the next step's clamp pulls it back.
    const Vector shift = Vector_Set(paddle.position.x - paddle.previous_position.x,
                                    paddle.position.y - paddle.previous_position.y, 0.0f);
    paddle.Move(shift, true);
}

int Joystick_Name(Input_Devices* devices, int index, std::string* name) {
    if (name != nullptr) name->clear();
    if (devices == nullptr || name == nullptr || index < 0 || index >= Joystick_Slots) {
        return Joystick_No_Name;
    }
    std::string product;
    if (!devices->Joystick_Product_Name(index, &product) || product.empty()) {
        return Joystick_No_Name;
    }
    *name = product;
    return 0;
}
