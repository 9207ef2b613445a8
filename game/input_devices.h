// What the controllers read from the outside world: the window's key table, the cursor
// and mouse buttons, and the joysticks. The simulation sees only this interface, so it
// builds and runs headless; the game hands it the window's devices (shell/input_devices.h)
// and tests hand it a fake whose state they set.
#pragma once

#include <string>

#include "game/controller.h"

constexpr int Key_Table_Size = 256;
constexpr int Joystick_Slots = 4;

// Bits of Input_Devices::Mouse_Buttons.
enum Mouse_Button_Bit { MOUSE_LEFT = 1u, MOUSE_RIGHT = 2u, MOUSE_MIDDLE = 4u };

class Input_Devices {
  public:
    virtual ~Input_Devices() = default;

    // The window's key-down flags by virtual-key code (Key_Table_Size entries, non-zero
    // while the key is down). Never null.
    virtual const unsigned char* Keys() = 0;
    // The cursor in client pixels, origin top left; it may lie outside the client area.
    virtual void Cursor_Position(int* x, int* y) = 0;
    virtual void Set_Cursor_Position(int x, int y) = 0;
    // Mouse buttons held now, as Mouse_Button_Bit flags.
    virtual unsigned Mouse_Buttons() = 0;
    // Polls joystick `id` (0..3) into the position fields of `info` (x, y, z, r, u, v,
    // buttons, pov); false, leaving `info` untouched, when there is no such device.
    virtual bool Joystick_Position(int id, Joystick_Info* info) = 0;
    // Product name of joystick `id`; false when there is no device or no name.
    virtual bool Joystick_Product_Name(int id, std::string* name) = 0;
    // Client area size in pixels.
    virtual int Window_Width() = 0;
    virtual int Window_Height() = 0;

    // Whether `code` is marked down; codes outside the table (Key_None) never are.
    bool Key_Down(int code) { return code >= 0 && code < Key_Table_Size && Keys()[code] != 0; }
};
