// The controllers' devices over a real window under Xvfb (run through
// tests/e2e/xvfb_run.sh): keys pressed with xdotool reach a keyboard controller through the
// window's key table, the cursor is read and put back in the middle, mouse buttons are
// read, and without joysticks every joystick query fails cleanly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "game/input.h"
#include "platform/platform.h"
#include "shell/input_devices.h"

namespace {

constexpr const char* Title = "Tindral input test";

bool Xdotool(const std::string& arguments) {
    return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

class Input_Window_Test : public ::testing::Test {
  protected:
    void SetUp() override {
        window.Width = 320;
        window.Height = 240;
        ASSERT_TRUE(window.GL_Create_Window(Title, 320, 240, 16, false, false, true, true));
        Pump_Until([] { return false; }, 300);
        Xdotool(std::string("search --sync --name '") + Title + "' windowactivate --sync");
        Pump_Until([] { return false; }, 200);
    }
    // Handles the window's messages one per "frame" until `done` or `milliseconds` pass.
    bool Pump_Until(const std::function<bool()>& done, int milliseconds) {
        for (int waited = 0; waited < milliseconds; waited += 5) {
            window.Handle_Messages();
            if (done()) return true;
            Platform_Sleep(5);
        }
        return done();
    }

    CTarvelWindow window{100.0f, 800.0f, nullptr, nullptr};
    Window_Input_Devices devices{window};
};

TEST_F(Input_Window_Test, KeysPressedReachTheKeyboardController) {
    Controller controller = Controller_Make(CONTROLLER_ARROW_KEYS, 0, 0);
    Controller_Set_Match_Keys(controller);
    ASSERT_TRUE(Xdotool("keydown Up"));
    ASSERT_TRUE(Pump_Until([&] { return devices.Key_Down(38); }, 3000));
    Input_Update(controller, &devices, 0.1f, false);
    EXPECT_GT(controller.directions[DIRECTION_UP].held, 0.0f);
    EXPECT_EQ(controller.directions[DIRECTION_DOWN].held, 0.0f);

    ASSERT_TRUE(Xdotool("keyup Up"));
    ASSERT_TRUE(Pump_Until([&] { return !devices.Key_Down(38); }, 3000));
    Input_Update(controller, &devices, 0.1f, false);
    EXPECT_LT(controller.directions[DIRECTION_UP].held, 0.0f);

    EXPECT_FALSE(devices.Key_Down(Key_None));
    EXPECT_FALSE(devices.Key_Down(256));
    EXPECT_EQ(devices.Keys(), window.Keys);
}

// Real key presses land in the key table under their Windows virtual-key codes.
TEST_F(Input_Window_Test, KeysArriveUnderTheirWindowsCodes) {
    const struct {
        const char* key;  // as xdotool names it
        int vk;
    } cases[] = {{"BackSpace", 8}, {"Return", 13}, {"KP_Enter", 13}, {"Shift_L", 16},
                 {"Shift_R", 16},  {"Escape", 27}, {"space", 32},    {"Left", 37},
                 {"Up", 38},       {"Right", 39},  {"Down", 40},     {"0", 48},
                 {"9", 57},        {"a", 65},      {"w", 87},        {"z", 90},
                 {"F1", 112},      {"F2", 113}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        ASSERT_TRUE(Xdotool(std::string("keydown ") + c.key));
        EXPECT_TRUE(Pump_Until([&] { return devices.Key_Down(c.vk); }, 3000));
        ASSERT_TRUE(Xdotool(std::string("keyup ") + c.key));
        EXPECT_TRUE(Pump_Until([&] { return !devices.Key_Down(c.vk); }, 3000));
    }
}

TEST_F(Input_Window_Test, CursorIsReadAndRecentredInClientPixels) {
    EXPECT_EQ(devices.Window_Width(), 320);
    EXPECT_EQ(devices.Window_Height(), 240);
    devices.Set_Cursor_Position(100, 50);
    int x = -1, y = -1;
    ASSERT_TRUE(Pump_Until(
        [&] {
            devices.Cursor_Position(&x, &y);
            return x == 100 && y == 50;
        },
        2000))
        << x << "," << y;

    // Near the left edge: the menu's mouse is put back in the middle of the width.
    Controller mouse = Controller_Make(CONTROLLER_MOUSE, 100, 50);
    devices.Set_Cursor_Position(2, 120);
    Pump_Until(
        [&] {
            devices.Cursor_Position(&x, &y);
            return x == 2;
        },
        2000);
    Input_Update(mouse, &devices, 0.1f, true);
    EXPECT_EQ(mouse.mouse_delta[0], 98.0f);
    EXPECT_EQ(mouse.mouse_position[0], 160);
    EXPECT_TRUE(Pump_Until(
        [&] {
            devices.Cursor_Position(&x, &y);
            return x == 160 && y == 120;
        },
        2000))
        << x << "," << y;
}

TEST_F(Input_Window_Test, MouseButtonsDriveTheFirstButtonTimers) {
    Controller mouse = Controller_Make(CONTROLLER_MOUSE, 0, 0);
    devices.Set_Cursor_Position(160, 120);
    ASSERT_TRUE(Xdotool("mousedown 3"));
    ASSERT_TRUE(Pump_Until([&] { return (devices.Mouse_Buttons() & MOUSE_RIGHT) != 0; }, 3000));
    Input_Update(mouse, &devices, 0.1f, false);
    EXPECT_EQ(mouse.buttons[0].held, 0.0f);
    EXPECT_GT(mouse.buttons[1].held, 0.0f);
    ASSERT_TRUE(Xdotool("mouseup 3"));
    ASSERT_TRUE(Pump_Until([&] { return devices.Mouse_Buttons() == 0; }, 3000));
    Input_Update(mouse, &devices, 0.1f, false);
    EXPECT_LT(mouse.buttons[1].held, 0.0f);
}

TEST_F(Input_Window_Test, JoysticksThatAreNotThereAnswerWithoutTouchingTheRecord) {
    // The test machines have no joystick; one that is plugged in must be named.
    for (int id = 0; id < Joystick_Slots; ++id) {
        Joystick_Info info;
        info.x = 12345;
        std::string name = "stale";
        if (devices.Joystick_Position(id, &info)) {
            EXPECT_EQ(Joystick_Name(&devices, id, &name), 0) << id;
            continue;
        }
        EXPECT_EQ(info.x, 12345u);
        EXPECT_EQ(Joystick_Name(&devices, id, &name), Joystick_No_Name);
        EXPECT_EQ(name, "");
    }
    Joystick_Info info;
    EXPECT_FALSE(devices.Joystick_Position(4, &info));
    EXPECT_FALSE(devices.Joystick_Position(-1, &info));
}

}  // namespace
