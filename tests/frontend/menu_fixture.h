// The menu over real objects without a window: the front-end fixture's context with a menu,
// fake input devices, a recording sound player, a controller table and recorders
// for the arena set-up and the web page. The projection is the one the window's 2-D mode
// sets, built here by hand; the GL test checks that it is what the menu captures.
#pragma once

#include <string>
#include <vector>

#include "frontend/menu.h"
#include "tests/frontend/frontend_fixture.h"
#include "tests/support/fake_devices.h"

// The matrices and viewport of the window's 2-D mode for a width x height client area and
// the window's near and far planes.
Menu_Projection Projection_2D(int width, int height, float near_plane, float far_plane);

// Where the 2-D point (x, y) appears in client pixels (y from the top), from the geometry of
// the 2-D mode: a 45 degree view of the plane 120 units away, stretched over the window.
void Pixel_Of(int width, int height, float x, float y, int* px, int* py);

class Menu_Fixture : public Frontend_Fixture {
  public:
    Menu_Fixture();

    // One active menu frame: the input step only (drawing needs a GL context).
    void Frame() { Menu_Input_Step(context); }
    void Move_To(float x, float y);
    // Presses the left button for `frames` frames, then releases it and runs one frame.
    void Click(int frames = 1);
    void Click_At(float x, float y) {
        Move_To(x, y);
        Click();
    }

    Menu_State menu;
    Fake_Devices devices;
    Recording_Sound_Player sound;
    bool available[9] = {false, true, true, false, false, false, false, true, true};
    int setups = 0;
    std::vector<std::string> urls;
};
