// Controllers in motion: polling a controller's device into its hold timers, the human
// and computer players that turn those into left/right signals, and the steering model
// that slides a paddle along its side.
#pragma once

#include <string>

#include "game/controller.h"
#include "game/input_devices.h"
#include "game/match.h"

// Result of Joystick_Name when there is no device or no name (JOYERR_NOCANDO).
constexpr int Joystick_No_Name = 166;

// The joystick axis thresholds: below Joystick_Low is up (y) or left (x), at or above
// Joystick_High is down or right; between them the axis counts as centred.
constexpr unsigned Joystick_Low = 27768;
constexpr unsigned Joystick_High = 37769;

// How far a paddle's centre may travel from the arena's centre line, the rates of its
// steering heading (degrees per second) and of its travel (units per second at full
// lock, before the double move).
constexpr float Paddle_Limit = 60.0f;
constexpr float Steering_Rate = 450.0f;
constexpr float Paddle_Rate = 65.0f;
// The computer aims this far to the positive side of its paddle's centre.
constexpr float Computer_Aim_Offset = 10.0f;

// One step of a hold timer: held > 0 while down (seconds), negated on release.
void Hold_Timer_Update(Hold_Timer& timer, bool down, float dt);

// Polls the device of the controller's type into its timers: the mouse (type 0; with
// `recenter` the cursor is put back in the middle once it nears an edge), the keys of the
// window's key table (types 1 and 2), joystick type - 3 (types 3..6). Other types, or a
// null `devices`, do nothing.
void Input_Update(Controller& controller, Input_Devices* devices, float dt, bool recenter);

// The human player of `side`: polls its keyboard or joystick, takes the up and down
// directions as right and left on the Left and Right sides, and moves the paddle.
void Human_Control(Match& match, int side, Input_Devices* devices, float dt);

// The computer player of `side`: steers towards the sphere nearest to its paddle (parked
// ones included), aiming Computer_Aim_Offset to the positive side of the paddle's centre.
void Computer_Control(Match& match, int side, float dt);

// The steering model of `side`'s paddle, driven by its controller's left and right
// timers: turns the steering heading (the paddle model's velocity, kept in 0..180),
// slides the paddle by -65 cos(heading) units per second along its side, clamped to
// +-Paddle_Limit, and then moves it once more by the same displacement.
void Paddle_Move(Match& match, int side, float dt);

// The product name of joystick `index` (0..3): 0 with `name` filled, or Joystick_No_Name
// with `name` empty when there is no device or no name.
int Joystick_Name(Input_Devices* devices, int index, std::string* name);
