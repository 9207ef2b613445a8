// The controllers: hold timers, polling keys, joysticks and the mouse through a fake set
// of devices, the human and computer players, and the paddle's steering model.
#include "game/input.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "tests/game/physics_test_support.h"

namespace {

Joystick_Info Stick(unsigned x, unsigned y, unsigned buttons = 0) {
    Joystick_Info info;
    info.x = x;
    info.y = y;
    info.buttons = buttons;
    info.r = 1;
    info.u = 2;
    info.v = 3;
    info.pov = 9000;
    return info;
}

TEST(Hold_Timer, CountsWhileDownAndTurnsNegativeOnRelease) {
    Hold_Timer timer;
    Hold_Timer_Update(timer, false, 0.5f);  // never pressed stays 0
    EXPECT_EQ(timer.held, 0.0f);
    Hold_Timer_Update(timer, true, 0.25f);
    Hold_Timer_Update(timer, true, 0.25f);
    EXPECT_EQ(timer.held, 0.5f);
    EXPECT_EQ(timer.duration, 0.5f);
    Hold_Timer_Update(timer, false, 0.25f);
    Hold_Timer_Update(timer, false, 0.25f);  // released stays released
    EXPECT_EQ(timer.held, -0.5f);
    Hold_Timer_Update(timer, true, 0.125f);  // a new press starts afresh
    EXPECT_EQ(timer.held, 0.125f);
    EXPECT_EQ(timer.duration, 0.125f);
}

TEST(Input_Update, KeyboardReadsItsKeysFromTheKeyTable) {
    Fake_Devices devices;
    Controller controller = Controller_Make(CONTROLLER_WASD_KEYS, 0, 0);
    Controller_Set_Match_Keys(controller);
    controller.button_keys[0] = 13;
    devices.keys['W'] = 1;
    devices.keys['D'] = 1;
    devices.keys[38] = 1;  // the arrow keys mean nothing to W, A, S, D
    devices.keys[13] = 1;
    Input_Update(controller, &devices, 0.1f, false);
    EXPECT_GT(controller.directions[DIRECTION_UP].held, 0.0f);
    EXPECT_GT(controller.directions[DIRECTION_RIGHT].held, 0.0f);
    EXPECT_EQ(controller.directions[DIRECTION_DOWN].held, 0.0f);
    EXPECT_EQ(controller.directions[DIRECTION_LEFT].held, 0.0f);
    EXPECT_GT(controller.buttons[0].held, 0.0f);
    for (int b = 1; b < Controller_Button_Count; ++b) EXPECT_EQ(controller.buttons[b].held, 0.0f);

    devices.keys['W'] = 0;
    Input_Update(controller, &devices, 0.1f, false);
    EXPECT_LT(controller.directions[DIRECTION_UP].held, 0.0f);
    EXPECT_NEAR(controller.directions[DIRECTION_RIGHT].held, 0.2f, 1e-6f);

    // Computer, none and a missing device read nothing.
    for (int type : {CONTROLLER_COMPUTER, CONTROLLER_NONE}) {
        Controller other = Controller_Make(type, 0, 0);
        Input_Update(other, &devices, 0.1f, false);
        EXPECT_EQ(other.directions[DIRECTION_UP].held, 0.0f);
    }
    Controller blind = Controller_Make(CONTROLLER_ARROW_KEYS, 0, 0);
    Input_Update(blind, nullptr, 0.1f, false);
    EXPECT_EQ(blind.directions[DIRECTION_UP].held, 0.0f);
}

TEST(Input_Update, JoystickAxisThresholds) {
    struct Case {
        unsigned value;
        bool low, high;  // up/left held, down/right held
    };
    const Case cases[] = {
        {0, true, false},      {27767, true, false}, {27768, false, false}, {32767, false, false},
        {37768, false, false}, {37769, false, true}, {65535, false, true},
    };
    for (const Case& c : cases) {
        Fake_Devices devices;
        devices.joysticks[1] = Stick(c.value, c.value);
        Controller controller = Controller_Make(CONTROLLER_JOYSTICK_1 + 1, 0, 0);
        Input_Update(controller, &devices, 0.1f, false);
        EXPECT_EQ(controller.directions[DIRECTION_LEFT].held > 0, c.low) << c.value;
        EXPECT_EQ(controller.directions[DIRECTION_UP].held > 0, c.low) << c.value;
        EXPECT_EQ(controller.directions[DIRECTION_RIGHT].held > 0, c.high) << c.value;
        EXPECT_EQ(controller.directions[DIRECTION_DOWN].held > 0, c.high) << c.value;
        EXPECT_EQ(controller.axes_copy[0], 1u);
        EXPECT_EQ(controller.axes_copy[1], 2u);
        EXPECT_EQ(controller.axes_copy[2], 3u);
        EXPECT_EQ(controller.axes_copy[3], 9000u);
    }
}

TEST(Input_Update, JoystickButtonsComeFromTheRecordBeforeThePoll) {
    Fake_Devices devices;
    // Buttons 1, 3 and 9 (bits 0, 2, 8); bit 9 has no timer.
    devices.joysticks[0] = Stick(32767, 32767, 0x305u);
    Controller controller = Controller_Make(CONTROLLER_JOYSTICK_1, 0, 0);
    Input_Update(controller, &devices, 0.1f, false);
    for (int b = 0; b < Controller_Button_Count; ++b) {
        EXPECT_EQ(controller.buttons[b].held, 0.0f) << b;  // the old record had none
    }
    Input_Update(controller, &devices, 0.1f, false);
    const std::vector<int> down = {0, 2, 8};
    for (int b = 0; b < Controller_Button_Count; ++b) {
        bool expected = b == 0 || b == 2 || b == 8;
        EXPECT_EQ(controller.buttons[b].held > 0, expected) << b;
    }
}

TEST(Input_Update, AMissingJoystickReadsCentredWithNoButtons) {
    Fake_Devices devices;  // no joystick 3
    Controller controller = Controller_Make(CONTROLLER_JOYSTICK_1 + 3, 0, 0);
    controller.joystick_info.buttons = 1u;  // held when the stick went away
    Input_Update(controller, &devices, 0.1f, false);
    Input_Update(controller, &devices, 0.1f, false);
    for (const Hold_Timer& direction : controller.directions) EXPECT_LE(direction.held, 0.0f);
    EXPECT_LE(controller.buttons[0].held, 0.0f);
}

TEST(Input_Update, MouseDeltaRecentringAndButtons) {
    Fake_Devices devices;
    Controller mouse = Controller_Make(CONTROLLER_MOUSE, 100, 100);
    devices.cursor_x = 90;
    devices.cursor_y = 130;
    devices.mouse_buttons = MOUSE_LEFT | MOUSE_MIDDLE;
    Input_Update(mouse, &devices, 0.1f, true);
    EXPECT_EQ(mouse.mouse_delta[0], 10.0f);
    EXPECT_EQ(mouse.mouse_delta[1], -30.0f);
    EXPECT_EQ(mouse.mouse_position[0], 90);
    EXPECT_EQ(mouse.mouse_previous[0], 100);
    EXPECT_TRUE(devices.warps.empty());
    EXPECT_GT(mouse.buttons[0].held, 0.0f);
    EXPECT_EQ(mouse.buttons[1].held, 0.0f);
    EXPECT_GT(mouse.buttons[2].held, 0.0f);

    // Near the left edge and below the window: back to the middle, x first.
    devices.cursor_x = 3;
    devices.cursor_y = 620;
    Input_Update(mouse, &devices, 0.1f, true);
    EXPECT_EQ(devices.warps, (std::vector<std::pair<int, int>>{{400, 620}, {400, 300}}));
    EXPECT_EQ(mouse.mouse_position[0], 400);
    EXPECT_EQ(mouse.mouse_previous[0], 400);
    EXPECT_EQ(mouse.mouse_position[1], 300);
    EXPECT_EQ(mouse.mouse_previous[1], 300);
    EXPECT_EQ(mouse.mouse_delta[0], 87.0f);  // measured before the recentring

    // Without recentring the cursor stays where it is.
    devices.warps.clear();
    devices.cursor_x = 2;
    Input_Update(mouse, &devices, 0.1f, false);
    EXPECT_TRUE(devices.warps.empty());
    EXPECT_EQ(mouse.mouse_position[0], 2);
}

TEST(Joystick_Name, ProductNameOr166) {
    Fake_Devices devices;
    devices.names[1] = "Gamepad F310";
    std::string name = "stale";
    EXPECT_EQ(Joystick_Name(&devices, 1, &name), 0);
    EXPECT_EQ(name, "Gamepad F310");
    for (int index : {0, 4, -1}) {
        name = "stale";
        EXPECT_EQ(Joystick_Name(&devices, index, &name), Joystick_No_Name) << index;
        EXPECT_EQ(name, "");
    }
    EXPECT_EQ(Joystick_Name(nullptr, 1, &name), Joystick_No_Name);
}

// A match with bare paddles at their start places; the controllers are set by the tests.
class Paddle_Test : public ::testing::Test {
  protected:
    Paddle_Test() {
        for (int s = 0; s < Side_Count; ++s) {
            CTarvelModel& paddle = match.sides[s].paddle;
            paddle = CTarvelModel();
            paddle.position = Paddle_Start_Position(s);
            paddle.origin = paddle.position;
            match.controllers[s] = Controller_Make(CONTROLLER_ARROW_KEYS, 0, 0);
        }
    }
    float Along(int side) {
        const Vector p = match.sides[side].paddle.position;
        return side == SIDE_LEFT || side == SIDE_RIGHT ? p.y : p.x;
    }
    void Place(int side, float along) {
        CTarvelModel& paddle = match.sides[side].paddle;
        paddle.position = Paddle_Start_Position(side);
        if (side == SIDE_LEFT || side == SIDE_RIGHT) {
            paddle.position.y = along;
        } else {
            paddle.position.x = along;
        }
    }
    float Steering(int side) { return Heading_Of(match.sides[side].paddle.velocity); }
    void Hold(int side, int direction) {
        for (Hold_Timer& timer : match.controllers[side].directions) timer = Hold_Timer();
        if (direction >= 0) match.controllers[side].directions[direction].held = 1.0f;
    }

    Match match;
};

TEST_F(Paddle_Test, OneLongStepTurnsTheSteeringToItsStopAndNoFurther) {
    struct Case {
        int direction;
        float start, heading, along;  // along: start twice moved by -65 cos(heading)
    };
    const Case cases[] = {
        {DIRECTION_LEFT, 60.0f, 0.0f, -70.0f},
        {DIRECTION_RIGHT, -60.0f, 180.0f, 70.0f},
    };
    for (const Case& c : cases) {
        Place(SIDE_TOP, c.start);
        Vector_From_Polar(match.sides[SIDE_TOP].paddle.velocity, 1.0f, 0.0f, 90.0f);
        Hold(SIDE_TOP, c.direction);
        Paddle_Move(match, SIDE_TOP, 1.0f);
        EXPECT_LT(Heading_Gap(Steering(SIDE_TOP), c.heading), 1e-3f);
        EXPECT_NEAR(Along(SIDE_TOP), c.along, 1e-3f);
    }
}

TEST_F(Paddle_Test, ReleasedSteeringSwingsBackToNinetyAndStays) {
    for (float from : {0.0f, 180.0f}) {
        Vector_From_Polar(match.sides[SIDE_BOTTOM].paddle.velocity, 1.0f, 0.0f, from);
        Hold(SIDE_BOTTOM, -1);
        Paddle_Move(match, SIDE_BOTTOM, 0.1f);  // 45 degrees of the way
        EXPECT_LT(Heading_Gap(Steering(SIDE_BOTTOM), from == 0.0f ? 45.0f : 135.0f), 1e-3f);
        Paddle_Move(match, SIDE_BOTTOM, 0.15f);  // would pass 90: stops at it
        EXPECT_LT(Heading_Gap(Steering(SIDE_BOTTOM), 90.0f), 1e-3f);
        const float at = Along(SIDE_BOTTOM);
        Paddle_Move(match, SIDE_BOTTOM, 0.1f);
        EXPECT_NEAR(Along(SIDE_BOTTOM), at, 1e-4f);  // standing
    }
}

TEST_F(Paddle_Test, TravelIsTwiceTheClampedStep) {
    Vector_From_Polar(match.sides[SIDE_TOP].paddle.velocity, 1.0f, 0.0f, 180.0f);
    Hold(SIDE_TOP, DIRECTION_RIGHT);
    Paddle_Move(match, SIDE_TOP, 0.01f);
    EXPECT_NEAR(Along(SIDE_TOP), 1.3f, 1e-4f);  // 65 units per second, twice
}

TEST_F(Paddle_Test, TheLimitStopsThePaddleAfterOneStepOfOvershoot) {
    for (int direction : {DIRECTION_RIGHT, DIRECTION_LEFT}) {
        const float sign = direction == DIRECTION_RIGHT ? 1.0f : -1.0f;
        Place(SIDE_RIGHT, 0.0f);
        match.sides[SIDE_RIGHT].paddle.velocity = Vector();
        Hold(SIDE_RIGHT, direction);
        const float dt = 1.0f / 60.0f;
        const float step = 2.0f * 65.0f * dt;
        int overshoots = 0;
        float before = 0.0f;
        for (int i = 0; i < 200; ++i) {
            Paddle_Move(match, SIDE_RIGHT, dt);
            const float along = sign * Along(SIDE_RIGHT);
            // Never more than one step beyond the limit ...
            EXPECT_LE(along, 60.0f + step) << i;
            if (before > 60.0f) {
                // ... and the step after, the clamp has stopped it and pulled it back.
                EXPECT_LE(along, 60.0f) << i;
                EXPECT_LT(Heading_Gap(Steering(SIDE_RIGHT), 90.0f), 1e-3f) << i;
            }
            if (along > 60.0f) ++overshoots;
            before = along;
        }
        EXPECT_GE(overshoots, 1);
        EXPECT_GT(sign * Along(SIDE_RIGHT), 60.0f - step);  // held against the limit
        Hold(SIDE_RIGHT, -1);
        for (int i = 0; i < 30; ++i) Paddle_Move(match, SIDE_RIGHT, dt);
        EXPECT_LE(sign * Along(SIDE_RIGHT), 60.0f);
        EXPECT_LT(Heading_Gap(Steering(SIDE_RIGHT), 90.0f), 1e-3f);
    }
}

TEST_F(Paddle_Test, HumansOnLeftAndRightSteerWithUpAndDown) {
    Fake_Devices devices;
    struct Case {
        int side, key;
        float sign;  // of the travel along the side
    };
    const Case cases[] = {
        {SIDE_LEFT, 38, 1.0f},  {SIDE_LEFT, 40, -1.0f},  // up: +Y, down: -Y
        {SIDE_RIGHT, 38, 1.0f}, {SIDE_RIGHT, 40, -1.0f},
        {SIDE_TOP, 37, -1.0f},  {SIDE_BOTTOM, 39, 1.0f},  // left: -X, right: +X
        {SIDE_LEFT, 37, 0.0f},  {SIDE_TOP, 38, 0.0f},     // keys that do not steer there
    };
    for (const Case& c : cases) {
        Place(c.side, 0.0f);
        match.sides[c.side].paddle.velocity = Vector();
        match.controllers[c.side] = Controller_Make(CONTROLLER_ARROW_KEYS, 0, 0);
        Controller_Set_Match_Keys(match.controllers[c.side]);
        devices.keys[c.key] = 1;
        for (int i = 0; i < 10; ++i) Human_Control(match, c.side, &devices, 1.0f / 60.0f);
        devices.keys[c.key] = 0;
        if (c.sign == 0.0f) {
            EXPECT_NEAR(Along(c.side), 0.0f, 1e-3f) << c.side << " " << c.key;
        } else {
            EXPECT_GT(c.sign * Along(c.side), 1.0f) << c.side << " " << c.key;
        }
        const Vector p = match.sides[c.side].paddle.position;
        const Vector start = Paddle_Start_Position(c.side);
        if (c.side == SIDE_LEFT || c.side == SIDE_RIGHT) {
            EXPECT_EQ(p.x, start.x);
        } else {
            EXPECT_EQ(p.y, start.y);
        }
    }
}

TEST_F(Paddle_Test, JoystickSidesPollAndSteer) {
    Fake_Devices devices;
    devices.joysticks[2] = Stick(32767, 20000);  // pushed up
    match.controllers[SIDE_RIGHT] = Controller_Make(CONTROLLER_JOYSTICK_1 + 2, 0, 0);
    Place(SIDE_RIGHT, 0.0f);
    for (int i = 0; i < 10; ++i) Human_Control(match, SIDE_RIGHT, &devices, 1.0f / 60.0f);
    EXPECT_GT(Along(SIDE_RIGHT), 1.0f);
    EXPECT_EQ(devices.polls, 20);  // one poll of its own, one in the update
}

TEST_F(Paddle_Test, ComputerAimsTenUnitsToThePositiveSide) {
    struct Case {
        int side;
        float sphere;   // the target's coordinate along the side; the paddle stands at 0
        int direction;  // -1: neither
    };
    const Case cases[] = {
        {SIDE_TOP, 10.0f, -1},
        {SIDE_TOP, 10.5f, DIRECTION_RIGHT},
        {SIDE_TOP, 9.5f, DIRECTION_LEFT},
        {SIDE_LEFT, 10.0f, -1},
        {SIDE_LEFT, 30.0f, DIRECTION_RIGHT},
        {SIDE_RIGHT, -5.0f, DIRECTION_LEFT},
    };
    for (const Case& c : cases) {
        Place(c.side, 0.0f);
        match.sides[c.side].paddle.velocity = Vector();
        match.sphere_count = 1;
        const Vector p = Paddle_Start_Position(c.side);
        Vector at = c.side == SIDE_LEFT || c.side == SIDE_RIGHT
                        ? Vector_Set(p.x * 0.5f, c.sphere, 10.0f)
                        : Vector_Set(c.sphere, p.y * 0.5f, 10.0f);
        match.spheres[0].model.position = at;
        Computer_Control(match, c.side, 1.0f / 60.0f);
        const Controller& controller = match.controllers[c.side];
        EXPECT_EQ(controller.directions[DIRECTION_LEFT].held > 0, c.direction == DIRECTION_LEFT)
            << c.side << " " << c.sphere;
        EXPECT_EQ(controller.directions[DIRECTION_RIGHT].held > 0, c.direction == DIRECTION_RIGHT)
            << c.side << " " << c.sphere;
        if (c.direction < 0) {
            EXPECT_NEAR(Along(c.side), 0.0f, 1e-4f);  // no signal: it stands
        }
    }
}

TEST_F(Paddle_Test, ComputerFollowsTheNearestSphereParkedOrNot) {
    match.sphere_count = 3;
    match.spheres[0].model.position = Vector_Set(-50, -100, 10);  // nearest, parked
    match.spheres[0].parked = true;
    match.spheres[1].model.position = Vector_Set(80, 0, 10);
    match.spheres[2].model.position = Vector_Set(50, -100, 10);  // as near: the first wins
    Computer_Control(match, SIDE_BOTTOM, 1.0f / 60.0f);
    EXPECT_GT(match.controllers[SIDE_BOTTOM].directions[DIRECTION_LEFT].held, 0.0f);
    EXPECT_EQ(match.controllers[SIDE_BOTTOM].directions[DIRECTION_RIGHT].held, 0.0f);

    match.spheres[2].model.position = Vector_Set(50, -110, 10);  // strictly nearer now
    Computer_Control(match, SIDE_BOTTOM, 1.0f / 60.0f);
    EXPECT_GT(match.controllers[SIDE_BOTTOM].directions[DIRECTION_RIGHT].held, 0.0f);
}

}  // namespace
