// The menu screen: the level selector, the options, the controller of each side, the four
// buttons (New game, Continue, Website, Exit), both high-score tables and a small live
// view of the arena. It is worked with the mouse only; a click is a release of the left
// button. The menu keeps no state of its own beyond the buttons' hover fills and the
// projection it last drew with; every row is drawn from the settings each frame.
#pragma once

#include <string>

#include "frontend/frontend_context.h"
#include "frontend/live_view.h"
#include "frontend/text_lines.h"
#include "game/controller.h"

// A point of the 0..100 space of the window's 2-D mode.
struct Menu_Point {
    float x = 0.0f;
    float y = 0.0f;
};

struct Menu_Button {
    float X = 0.0f;  // lower-left corner of the rectangle
    float Y = 0.0f;
    float Fill_X = 0.0f;  // right end of the hover fill, derived each frame
    float Fill_Y = 0.0f;  // top of the rectangle, derived each frame
    float Extent_X = 0.0f;
    float Extent_Y = 0.0f;
    float Hover = 0.0f;  // 0..1: how far the hover fill has grown
};

enum Menu_Button_Index {
    BUTTON_NEW_GAME = 0,
    BUTTON_CONTINUE = 1,
    BUTTON_WEBSITE = 2,
    BUTTON_EXIT = 3,
};
constexpr int Menu_Button_Count = 4;

// Where the blocks and buttons stand, set once at start-up (Menu_Layout_Set).
struct Menu_Layout {
    Menu_Point level;                      // the level selector block
    Menu_Point options;                    // Sound, Camera View, Upload High Scores
    Menu_Point controllers;                // Top, Bottom, Left, Right
    Menu_Point labels[Menu_Button_Count];  // where each button's label image starts
    Menu_Button buttons[Menu_Button_Count];
};

// The matrices and viewport just after the menu entered the 2-D mode: hit tests project
// the 2-D rectangles through them, so a rectangle is hit exactly where it is seen.
struct Menu_Projection {
    double model_view[16] = {};
    double projection[16] = {};
    int viewport[4] = {};
};

struct Menu_State {
    Menu_Layout layout;
    Menu_Projection projection;  // refreshed by every Menu_Screen_Step
    Live_View live_view;         // the arena's view, kept while it does not change
    // The menu's mouse: its left-button timer is negative from a release (a pending
    // click) until the menu takes the click.
    Controller mouse = Controller_Make(CONTROLLER_MOUSE, 0, 0);
};

// The start-up layout: block anchors (11.1, 91), (54.4, 91), (54.4, 73.6); button label
// anchors at y 15 and x 19.7, 40.4, 59.2, 76.9; each button's rectangle starts 0.7 left of
// its label, 3.7 high, 13.6, 11.5, 10.5 and 5.9 wide.
void Menu_Layout_Set(Menu_Layout& layout);

// The rows a click acts on, in the order a click is tested against them.
enum Menu_Row {
    ROW_LEVEL_DOWN = 0,  // the left arrows of the level selector
    ROW_LEVEL_UP,        // the right arrows
    ROW_SOUND,
    ROW_CAMERA_VIEW,
    ROW_UPLOAD,
    ROW_TOP,  // the controller rows, one per side in side order
    ROW_BOTTOM,
    ROW_LEFT,
    ROW_RIGHT,
    MENU_ROW_COUNT,
};

// Whether the menu mouse lies in the 2-D rectangle (x0, y0)-(x1, y1) as drawn with the
// captured projection, bounds included. False before anything was captured or while the
// window has no size.
bool Menu_Rectangle_Hit(const Frontend_Context& context, float x0, float y0, float x1, float y1);
// Row `row` (from 1, counting down from `y`) of a block of rows `row_height` high and
// `width` wide: the rectangle (x, y - row * row_height) to (x + width, y - (row - 1) *
// row_height).
bool Row_Hit(const Frontend_Context& context, float x, float y, int row, float row_height,
             float width);
bool Button_Hit(const Frontend_Context& context, const Menu_Button& button);
// Row_Hit for one of the menu's rows.
bool Menu_Row_Hit(const Frontend_Context& context, int menu_row);

// Grows the hover fill while the mouse is on the button and shrinks it otherwise, over a
// third of a second either way, and derives Fill_X and Fill_Y.
void Button_Update(const Frontend_Context& context, Menu_Button& button);

// Black separator lines between `rows` rows (2-D mode current).
void Row_Lines_Draw(float x, float y, int rows, float row_height, float width);

// Steps the controller code of `side` to the next available one, skipping absent
// joysticks and wrapping from None (8) to the arrow keys (1).
void Controller_Next(Frontend_Context& context, int side);
// What the menu shows for the controller code of `side`: "Keyboard [Arrow keys]",
// "Keyboard [W, A, S, D]", "Joystick 2 [product]" (or "Joystick 2" without a product
// name), "Computer", "None", or "--- side --- code" for a code the game does not know.
std::string Controller_Name(const Frontend_Context& context, int side);

// Once per active frame on the menu screen, before drawing: polls the mouse, updates the
// hover fills and acts on a click: every row it hits, then at most one of New game,
// Continue (only while a match is suspended), Website and Exit. The click is then
// consumed, so it never carries over into the next frame.
void Menu_Input_Step(Frontend_Context& context);

// The rows' texts of one frame, white for the row under the mouse.
void Menu_Text_Lines(const Frontend_Context& context, Text_Lines& lines);

// Once per frame on the menu screen: captures the 2-D projection, draws the blocks, the
// buttons, the footer, the texts, the high-score tables and the live view of the arena.
// Starts and ends in the 3-D mode with the full-window viewport.
void Menu_Screen_Step(Frontend_Context& context);

// The maker's web page for `host`: "http://" + host + "/tindral/".
std::string Website_URL(const std::string& host);
