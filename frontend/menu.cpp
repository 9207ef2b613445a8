#include "frontend/menu.h"

#include <GL/glu.h>

#include <algorithm>
#include <cstdio>

#include "engine/window.h"
#include "game/input.h"
#include "game/sound_player.h"
#include "platform/platform.h"

namespace {

constexpr float Row_Height = 3.4f;
constexpr float Block_Top = 6.0f;     // the first row's top edge lies this far below an anchor
constexpr float Block_Inset = 2.0f;   // the rows' left edge lies this far right of an anchor
constexpr float Block_Width = 30.5f;  // options and controller rows
constexpr float Hover_Rate = 3.0f;    // per second: a fill grows or shrinks in 1/3 s
constexpr float Fade_Seconds = 1.0f;
constexpr int Channel_Change = 0;  // "menu_change.ogg"
constexpr int Channel_Select = 1;  // "menu_select.ogg"

struct Row_Rect {
    float x, y;
    int row;
    float height, width;
};

Row_Rect Row_Of(const Menu_Layout& layout, int menu_row) {
    const Menu_Point& l = layout.level;
    const Menu_Point& o = layout.options;
    const Menu_Point& u = layout.controllers;
    switch (menu_row) {
        case ROW_LEVEL_DOWN:
            return {l.x + 2.0f, l.y - Block_Top, 1, Row_Height, 7.2f};
        case ROW_LEVEL_UP:
            return {l.x + 25.0f, l.y - Block_Top, 1, Row_Height, 7.5f};
        case ROW_SOUND:
        case ROW_CAMERA_VIEW:
        case ROW_UPLOAD:
            return {o.x + Block_Inset, o.y - Block_Top, menu_row - ROW_SOUND + 1, Row_Height,
                    Block_Width};
        default:
            return {u.x + Block_Inset, u.y - Block_Top, menu_row - ROW_TOP + 1, Row_Height,
                    Block_Width};
    }
}

int Not(int value) {
    return value == 0 ? 1 : 0;
}

void Play(Frontend_Context& context, int channel) {
    if (context.settings.Sound == 1 && context.sound != nullptr) context.sound->Play(channel);
}

bool Available(const Frontend_Context& context, int code) {
    if (code < CONTROLLER_ARROW_KEYS || code > CONTROLLER_NONE) return false;
    if (context.controller_available != nullptr) return context.controller_available[code];
    // Without a table only the devices that are always there.
    return code == CONTROLLER_ARROW_KEYS || code == CONTROLLER_WASD_KEYS ||
           code == CONTROLLER_COMPUTER || code == CONTROLLER_NONE;
}

void Level_Step(Frontend_Context& context, int step) {
    int& level = context.settings.Level;
    level += step;
    if (level < 0) level = Mode_Count - 1;
    if (level > Mode_Count - 1) level = 0;
    if (context.match_setup) context.match_setup();
}

void Row_Act(Frontend_Context& context, int menu_row) {
    Game_Settings& settings = context.settings;
    switch (menu_row) {
        case ROW_LEVEL_DOWN:
            Level_Step(context, -1);
            break;
        case ROW_LEVEL_UP:
            Level_Step(context, +1);
            break;
        case ROW_SOUND:
            settings.Sound = Not(settings.Sound);
            break;
        case ROW_CAMERA_VIEW:
            settings.CameraView = Not(settings.CameraView);
            break;
        case ROW_UPLOAD:
            settings.UploadHighScores = Not(settings.UploadHighScores);
            break;
        default:
            Controller_Next(context, menu_row - ROW_TOP);
            break;
    }
}

void Fade_To(Frontend_Context& context, int screen) {
    // The fader restarts the frame timer, so the fade does not count this frame's work.
    if (context.fade_start) context.fade_start(SCREEN_MENU, screen, Fade_Seconds);
}

// The four buttons; at most one acts on a click. False when the mouse is on Exit without
// a click: the frame's input ends there.
bool Buttons_Act(Frontend_Context& context, bool click) {
    Menu_Button* buttons = context.menu->layout.buttons;
    if (click && Button_Hit(context, buttons[BUTTON_NEW_GAME])) {
        Play(context, Channel_Select);
        context.match.phase = PHASE_NEW;
        Fade_To(context, SCREEN_MATCH);
    } else if (click && context.match.phase == PHASE_SUSPENDED &&
               Button_Hit(context, buttons[BUTTON_CONTINUE])) {
        Play(context, Channel_Select);
        Fade_To(context, SCREEN_MATCH);
    } else if (click && Button_Hit(context, buttons[BUTTON_WEBSITE])) {
        Play(context, Channel_Select);
        const std::string url = Website_URL(context.upload_host);
        if (context.open_url) {
            context.open_url(url);
        } else {
            Platform_Open_URL(url.c_str());  // fire and forget: the menu stays
        }
    } else if (Button_Hit(context, buttons[BUTTON_EXIT])) {
        if (!click) return false;
        Fade_To(context, SCREEN_EXIT);
    }
    return true;
}

}  // namespace

void Menu_Layout_Set(Menu_Layout& layout) {
    layout.level = {11.1f, 91.0f};
    layout.options = {54.4f, 91.0f};
    layout.controllers = {54.4f, 73.6f};
    const float label_x[Menu_Button_Count] = {19.7f, 40.4f, 59.2f, 76.9f};
    const float width[Menu_Button_Count] = {13.6f, 11.5f, 10.5f, 5.9f};
    for (int i = 0; i < Menu_Button_Count; ++i) {
        layout.labels[i] = {label_x[i], 15.0f};
        Menu_Button& button = layout.buttons[i];
        button.X = label_x[i] - static_cast<float>(0.7);
        button.Y = 15.0f;
        button.Extent_X = width[i];
        button.Extent_Y = 3.7f;
        // Empty fills, so that a menu drawn before its first input step looks right.
        button.Fill_X = button.X;
        button.Fill_Y = button.Y + button.Extent_Y;
    }
}

bool Menu_Rectangle_Hit(const Frontend_Context& context, float x0, float y0, float x1, float y1) {
    if (context.menu == nullptr) return false;
    const Menu_State& menu = *context.menu;
    const double width = context.window.Width;
    const double height = context.window.Height;
    if (width <= 0.0 || height <= 0.0) return false;
    const Menu_Projection& p = menu.projection;
    double first[3];
    double second[3];
    // Nothing captured yet (all zero) projects nowhere: gluProject fails on w = 0.
    if (gluProject(x0, y0, 0.0, p.model_view, p.projection, p.viewport, &first[0], &first[1],
                   &first[2]) != GL_TRUE ||
        gluProject(x1, y1, 0.0, p.model_view, p.projection, p.viewport, &second[0], &second[1],
                   &second[2]) != GL_TRUE) {
        return false;
    }
    const double fx0 = first[0] / width;
    const double fy0 = 1.0 - first[1] / height;
    const double fx1 = second[0] / width;
    const double fy1 = 1.0 - second[1] / height;
    const double mx = menu.mouse.mouse_position[0] / width;
    const double my = menu.mouse.mouse_position[1] / height;
    return fx0 <= mx && mx <= fx1 && fy1 <= my && my <= fy0;
}

bool Row_Hit(const Frontend_Context& context, float x, float y, int row, float row_height,
             float width) {
    const float bottom = y - static_cast<float>(row) * row_height;
    const float top = y - static_cast<float>(row - 1) * row_height;
    return Menu_Rectangle_Hit(context, x, bottom, x + width, top);
}

bool Button_Hit(const Frontend_Context& context, const Menu_Button& button) {
    return Menu_Rectangle_Hit(context, button.X, button.Y, button.X + button.Extent_X,
                              button.Y + button.Extent_Y);
}

bool Menu_Row_Hit(const Frontend_Context& context, int menu_row) {
    if (context.menu == nullptr || menu_row < 0 || menu_row >= MENU_ROW_COUNT) return false;
    const Row_Rect r = Row_Of(context.menu->layout, menu_row);
    return Row_Hit(context, r.x, r.y, r.row, r.height, r.width);
}

void Button_Update(const Frontend_Context& context, Menu_Button& button) {
    const float step = Hover_Rate * context.elapsed;
    button.Hover += Button_Hit(context, button) ? step : -step;
    button.Hover = std::clamp(button.Hover, 0.0f, 1.0f);
    button.Fill_X = button.X + button.Extent_X * button.Hover;
    button.Fill_Y = button.Y + button.Extent_Y;
}

void Controller_Next(Frontend_Context& context, int side) {
    if (side < 0 || side >= Side_Count) return;
    int& code = context.settings.Side_Controller[side];
    // A code the game does not know (a hand-edited file) starts over at the first one.
    int next = code < 0 || code >= CONTROLLER_NONE ? CONTROLLER_NONE + 1 : code + 1;
    while (next <= CONTROLLER_NONE && !Available(context, next)) ++next;
    if (next > CONTROLLER_NONE) next = CONTROLLER_ARROW_KEYS;
    code = next;
}

std::string Controller_Name(const Frontend_Context& context, int side) {
    if (side < 0 || side >= Side_Count) return std::string();
    const int code = context.settings.Side_Controller[side];
    char text[Text_Max_Length + 1];
    switch (code) {
        case CONTROLLER_ARROW_KEYS:
            return "Keyboard [Arrow keys]";
        case CONTROLLER_WASD_KEYS:
            return "Keyboard [W, A, S, D]";
        case CONTROLLER_COMPUTER:
            return "Computer";
        case CONTROLLER_NONE:
            return "None";
        default:
            break;
    }
    if (code >= CONTROLLER_JOYSTICK_1 && code < CONTROLLER_JOYSTICK_1 + Joystick_Slots) {
        std::string product;
        if (Joystick_Name(context.input, code - CONTROLLER_JOYSTICK_1, &product) == 0 &&
            !product.empty()) {
            std::snprintf(text, sizeof text, "Joystick %i [%s]", code - 2, product.c_str());
        } else {
            std::snprintf(text, sizeof text, "Joystick %i", code - 2);
        }
        return text;
    }
    std::snprintf(text, sizeof text, "--- %i --- %i", side, code);
    return text;
}

void Menu_Input_Step(Frontend_Context& context) {
    if (context.menu == nullptr) return;
    Menu_State& menu = *context.menu;
    Input_Update(menu.mouse, context.input, context.elapsed, false);
    for (Menu_Button& button : menu.layout.buttons) Button_Update(context, button);

    Hold_Timer& left = menu.mouse.buttons[0];
    const bool click = left.held < 0.0f;  // released since the menu last took a click
    if (click) {
        // Every row is tested against the same click, so one click acts on each row it hits.
        for (int row = 0; row < MENU_ROW_COUNT; ++row) {
            if (!Menu_Row_Hit(context, row)) continue;
            // Before the change: switching the sound off is heard, switching it on is not.
            Play(context, Channel_Change);
            Row_Act(context, row);
        }
    }
    if (!Buttons_Act(context, click)) return;
    if (left.held < 0.0f) left.held = 0.0f;
}

std::string Website_URL(const std::string& host) {
    return "http://" + host + "/tindral/";
}
