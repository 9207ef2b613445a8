#include "tests/frontend/menu_fixture.h"

#include <cmath>

Menu_Projection Projection_2D(int width, int height, float near_plane, float far_plane) {
    Menu_Projection p;
    // glFrustum with a square 45 degree view, column-major.
    const double top = std::tan(45.0 * 3.14159265358979 / 360.0) * near_plane;
    const double n = near_plane;
    const double f = far_plane;
    p.projection[0] = n / top;
    p.projection[5] = n / top;
    p.projection[10] = -(f + n) / (f - n);
    p.projection[11] = -1.0;
    p.projection[14] = -2.0 * f * n / (f - n);
    // The 2-D space's origin sits 50 units left of and below the view axis, 120 units away.
    p.model_view[0] = p.model_view[5] = p.model_view[10] = p.model_view[15] = 1.0;
    p.model_view[12] = -50.0;
    p.model_view[13] = -50.0;
    p.model_view[14] = -120.0;
    p.viewport[2] = width;
    p.viewport[3] = height;
    return p;
}

void Pixel_Of(int width, int height, float x, float y, int* px, int* py) {
    const double span = 2.0 * 120.0 * std::tan(45.0 * 3.14159265358979 / 360.0);
    *px = static_cast<int>(std::lround(width * (0.5 + (x - 50.0) / span)));
    *py = static_cast<int>(std::lround(height * (0.5 - (y - 50.0) / span)));
}

Menu_Fixture::Menu_Fixture() {
    screen_state = SCREEN_MENU;
    match.phase = PHASE_NEW;
    fader = Screen_Fader{};
    Menu_Layout_Set(menu.layout);
    menu.projection =
        Projection_2D(window.Width, window.Height, window.Near_Plane, window.Far_Plane);
    context.menu = &menu;
    devices.width = 1440;
    devices.height = 1080;
    context.input = &devices;
    context.sound = &sound;
    context.controller_available = available;
    context.match_setup = [this] { ++setups; };
    context.open_url = [this](const std::string& url) { urls.push_back(url); };
    elapsed = 0.02f;
}

void Menu_Fixture::Move_To(float x, float y) {
    Pixel_Of(window.Width, window.Height, x, y, &devices.cursor_x, &devices.cursor_y);
}

void Menu_Fixture::Click(int frames) {
    devices.mouse_buttons = MOUSE_LEFT;
    for (int i = 0; i < frames; ++i) Frame();
    devices.mouse_buttons = 0;
    Frame();
}
