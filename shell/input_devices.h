// The controllers' view of the real devices: the window's key table, cursor and size, the
// mouse buttons and the joysticks of the platform layer.
#pragma once

#include "engine/window.h"
#include "game/input_devices.h"

class Window_Input_Devices : public Input_Devices {
  public:
    explicit Window_Input_Devices(CTarvelWindow& window) : window_(window) {}

    const unsigned char* Keys() override { return window_.Keys; }
    void Cursor_Position(int* x, int* y) override;
    void Set_Cursor_Position(int x, int y) override;
    unsigned Mouse_Buttons() override;
    bool Joystick_Position(int id, Joystick_Info* info) override;
    bool Joystick_Product_Name(int id, std::string* name) override;
    int Window_Width() override { return window_.Width; }
    int Window_Height() override { return window_.Height; }

  private:
    CTarvelWindow& window_;
};
