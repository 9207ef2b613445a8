// Stand-ins for what the simulation and the menus reach outside themselves, whose state
// the tests set and read: the input devices and the sound player.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "game/input_devices.h"
#include "game/sound_player.h"

// Keys, cursor, mouse buttons and joysticks as the test sets them. A joystick is present
// when `joysticks` holds its id; a product name is reported when `names` holds a non-empty
// one for the id. Every cursor warp is recorded, and every joystick poll counted.
class Fake_Devices : public Input_Devices {
  public:
    const unsigned char* Keys() override { return keys; }
    void Cursor_Position(int* x, int* y) override {
        *x = cursor_x;
        *y = cursor_y;
    }
    void Set_Cursor_Position(int x, int y) override {
        cursor_x = x;
        cursor_y = y;
        warps.push_back({x, y});
    }
    unsigned Mouse_Buttons() override { return mouse_buttons; }
    bool Joystick_Position(int id, Joystick_Info* info) override {
        ++polls;
        auto found = joysticks.find(id);
        if (found == joysticks.end()) return false;
        info->x = found->second.x;
        info->y = found->second.y;
        info->r = found->second.r;
        info->u = found->second.u;
        info->v = found->second.v;
        info->pov = found->second.pov;
        info->buttons = found->second.buttons;
        return true;
    }
    bool Joystick_Product_Name(int id, std::string* name) override {
        auto found = names.find(id);
        if (found == names.end() || found->second.empty()) return false;
        *name = found->second;
        return true;
    }
    int Window_Width() override { return width; }
    int Window_Height() override { return height; }

    unsigned char keys[Key_Table_Size] = {};
    int cursor_x = 0, cursor_y = 0;
    std::vector<std::pair<int, int>> warps;
    unsigned mouse_buttons = 0;
    std::map<int, Joystick_Info> joysticks;
    std::map<int, std::string> names;
    int polls = 0;
    int width = 800;
    int height = 600;
};

// Records every channel it is asked to play, in order.
class Recording_Sound_Player : public Sound_Player {
  public:
    void Play(int channel) override { played.push_back(channel); }
    int Count(int channel) const {
        int n = 0;
        for (int c : played) n += c == channel ? 1 : 0;
        return n;
    }
    std::vector<int> played;
};
