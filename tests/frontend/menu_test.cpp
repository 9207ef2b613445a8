// The menu's rules: where its rows and buttons are hit, what a click does to the settings,
// the match and the fader, which sounds it plays, the hover fills and the controller rows.
#include "frontend/menu.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/match.h"
#include "tests/frontend/menu_fixture.h"

namespace {

// Centres of the rows and buttons as a player aims at them, in the 2-D space.
struct Spot {
    float x, y;
};
constexpr Spot Left_Arrows{16.7f, 83.3f};
constexpr Spot Right_Arrows{39.85f, 83.3f};
constexpr Spot Sound_Row{68.0f, 83.3f};
constexpr Spot Camera_Row{68.0f, 79.9f};
constexpr Spot Upload_Row{68.0f, 76.5f};
constexpr Spot Side_Rows[4] = {{68.0f, 65.9f}, {68.0f, 62.5f}, {68.0f, 59.1f}, {68.0f, 55.7f}};
constexpr Spot New_Game{25.8f, 16.85f};
constexpr Spot Continue{45.45f, 16.85f};
constexpr Spot Website{63.75f, 16.85f};
constexpr Spot Exit{79.15f, 16.85f};

class Menu : public ::testing::Test, public Menu_Fixture {
  protected:
    using Menu_Fixture::Click_At;
    using Menu_Fixture::Move_To;
    void Click_At(Spot spot) { Menu_Fixture::Click_At(spot.x, spot.y); }
    void Move_To(Spot spot) { Menu_Fixture::Move_To(spot.x, spot.y); }
};

// ---- Where things are hit --------------------------------------------------------------

TEST_F(Menu, RectanglesAreHitWhereTheyAreSeenBoundsIncluded) {
    // Each rectangle: its corners in the 2-D space and what a test of it asks.
    struct Case {
        const char* name;
        float x0, y0, x1, y1;
        std::function<bool()> hit;
    };
    const Menu_Button* b = menu.layout.buttons;
    const std::vector<Case> cases = {
        {"left arrows", 13.1f, 81.6f, 20.3f, 85.0f,
         [&] { return Menu_Row_Hit(context, ROW_LEVEL_DOWN); }},
        {"right arrows", 36.1f, 81.6f, 43.6f, 85.0f,
         [&] { return Menu_Row_Hit(context, ROW_LEVEL_UP); }},
        {"Upload row", 56.4f, 74.8f, 86.9f, 78.2f,
         [&] { return Menu_Row_Hit(context, ROW_UPLOAD); }},
        {"Right row", 56.4f, 54.0f, 86.9f, 57.4f, [&] { return Menu_Row_Hit(context, ROW_RIGHT); }},
        {"New game", 19.0f, 15.0f, 32.6f, 18.7f, [&] { return Button_Hit(context, b[0]); }},
        {"Continue", 39.7f, 15.0f, 51.2f, 18.7f, [&] { return Button_Hit(context, b[1]); }},
        {"Website", 58.5f, 15.0f, 69.0f, 18.7f, [&] { return Button_Hit(context, b[2]); }},
        {"Exit", 76.2f, 15.0f, 82.1f, 18.7f, [&] { return Button_Hit(context, b[3]); }},
    };
    const float in = 0.25f;   // about 3 pixels inside an edge
    const float out = 0.35f;  // about 4 pixels outside
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const float mx = (c.x0 + c.x1) / 2;
        const float my = (c.y0 + c.y1) / 2;
        for (Spot inside : {Spot{c.x0 + in, c.y0 + in}, Spot{c.x1 - in, c.y1 - in}, Spot{mx, my}}) {
            Move_To(inside.x, inside.y);
            Frame();
            EXPECT_TRUE(c.hit()) << inside.x << ", " << inside.y;
        }
        for (Spot outside : {Spot{c.x0 - out, my}, Spot{c.x1 + out, my}, Spot{mx, c.y0 - out},
                             Spot{mx, c.y1 + out}}) {
            Move_To(outside.x, outside.y);
            Frame();
            EXPECT_FALSE(c.hit()) << outside.x << ", " << outside.y;
        }
    }
}

TEST_F(Menu, NothingIsHitBeforeTheMenuWasFirstDrawn) {
    menu.projection = Menu_Projection{};  // nothing captured yet
    Click_At(Sound_Row);
    Click_At(New_Game);
    EXPECT_EQ(settings.Sound, 0);
    EXPECT_EQ(fades_started, 0);
    EXPECT_EQ(menu.mouse.buttons[0].held, 0.0f);  // the click was still consumed
}

// ---- Clicks -----------------------------------------------------------------------------

TEST_F(Menu, HeldPressDoesNothingUntilReleaseAndActsOnce) {
    settings.Sound = 1;
    Move_To(Camera_Row);
    devices.mouse_buttons = MOUSE_LEFT;
    for (int i = 0; i < 10; ++i) Frame();
    EXPECT_EQ(settings.CameraView, 1);
    EXPECT_TRUE(sound.played.empty());
    EXPECT_GT(menu.mouse.buttons[0].held, 0.0f);

    devices.mouse_buttons = 0;
    Frame();
    EXPECT_EQ(settings.CameraView, 0);
    EXPECT_EQ(sound.played, std::vector<int>{0});
    // The click is consumed: later frames over the same row change nothing.
    for (int i = 0; i < 5; ++i) Frame();
    EXPECT_EQ(settings.CameraView, 0);
    EXPECT_EQ(sound.played.size(), 1u);
}

TEST_F(Menu, ReleaseOffEveryRowIsConsumedAndDoesNotCarryOver) {
    Move_To(10.0f, 50.0f);  // empty space
    Click();
    Move_To(Upload_Row);  // no press here
    Frame();
    EXPECT_EQ(settings.UploadHighScores, 1);
}

TEST_F(Menu, OneClickActsOnEveryRowItHits) {
    // Blocks laid over each other: the options rows now share the controller rows' places.
    menu.layout.controllers = menu.layout.options;
    settings.Sound = 1;
    Click_At(Sound_Row);  // also the Top row
    EXPECT_EQ(settings.Sound, 0);
    EXPECT_EQ(settings.Side_Controller[SIDE_TOP], CONTROLLER_NONE);  // from Computer
    // One change sound per row, each played before its row acts: the Sound row first
    // (heard, sound still on), then the Top row (silent, sound already off).
    EXPECT_EQ(sound.played, std::vector<int>{0});

    settings.Sound = 1;
    sound.played.clear();
    Click_At(Camera_Row);  // also the Bottom row
    EXPECT_EQ(settings.CameraView, 0);
    EXPECT_EQ(settings.Side_Controller[SIDE_BOTTOM], CONTROLLER_WASD_KEYS);
    EXPECT_EQ(sound.played, (std::vector<int>{0, 0}));
}

TEST_F(Menu, SoundRowIsSilentSwitchingOnAndHeardSwitchingOff) {
    struct Case {
        Spot row;
        int sound_before;
        int sound_after;
        std::vector<int> played;
    } cases[] = {
        {Sound_Row, 0, 1, {}},   {Sound_Row, 1, 0, {0}},
        {Sound_Row, 7, 0, {}},  // any other value counts as on but only 1 plays
        {Upload_Row, 1, 1, {0}}, {Upload_Row, 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sound_before);
        settings.Sound = c.sound_before;
        sound.played.clear();
        Click_At(c.row);
        EXPECT_EQ(settings.Sound, c.sound_after);
        EXPECT_EQ(sound.played, c.played);
    }
}

TEST_F(Menu, OptionRowsToggle) {
    struct Case {
        Spot row;
        int Game_Settings::*field;
        int before, after;
    } cases[] = {
        {Camera_Row, &Game_Settings::CameraView, 1, 0},
        {Camera_Row, &Game_Settings::CameraView, 0, 1},
        {Camera_Row, &Game_Settings::CameraView, 2, 0},
        {Upload_Row, &Game_Settings::UploadHighScores, 1, 0},
        {Upload_Row, &Game_Settings::UploadHighScores, 0, 1},
    };
    for (const Case& c : cases) {
        settings.*c.field = c.before;
        Click_At(c.row);
        EXPECT_EQ(settings.*c.field, c.after) << c.before;
    }
}

TEST_F(Menu, LevelArrowsWrapAndRebuildTheArena) {
    // The real arena set-up, for the settings' level.
    Match_Context setup;
    setup.settings = &settings;
    context.match_setup = [&] {
        ++setups;
        Match_Setup(match, setup);
    };
    struct Case {
        Spot arrows;
        int before, after;
        int family;
    } cases[] = {
        {Left_Arrows, 0, 6, FAMILY_HIGH_SCORE}, {Right_Arrows, 6, 0, FAMILY_TIMED},
        {Right_Arrows, 3, 4, FAMILY_COUNTDOWN}, {Left_Arrows, 3, 2, FAMILY_TIMED},
        {Right_Arrows, 2, 3, FAMILY_COUNTDOWN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        settings.Level = c.before;
        setups = 0;
        Click_At(c.arrows);
        EXPECT_EQ(settings.Level, c.after);
        EXPECT_EQ(setups, 1);
        EXPECT_EQ(match.mode, c.after);
        EXPECT_EQ(match.mode_family, c.family);
    }
}

TEST_F(Menu, ContinueActsOnlyOnASuspendedMatch) {
    settings.Sound = 1;
    for (int phase : {PHASE_NEW, PHASE_RUNNING}) {
        match.phase = phase;
        Click_At(Continue);
        EXPECT_EQ(fades_started, 0);
        EXPECT_TRUE(sound.played.empty());
        EXPECT_EQ(match.phase, phase);
        EXPECT_EQ(menu.mouse.buttons[0].held, 0.0f);
    }

    match.phase = PHASE_SUSPENDED;
    Click_At(Continue);
    EXPECT_EQ(fades_started, 1);
    EXPECT_EQ(fader.From, SCREEN_MENU);
    EXPECT_EQ(fader.To, SCREEN_MATCH);
    EXPECT_EQ(fader.Half, 0.5f);
    EXPECT_EQ(match.phase, PHASE_SUSPENDED);  // the fader resumes it, not the menu
    EXPECT_EQ(sound.played, std::vector<int>{1});
}

TEST_F(Menu, NewGameWebsiteAndExit) {
    settings.Sound = 1;
    match.phase = PHASE_SUSPENDED;
    Click_At(New_Game);
    EXPECT_EQ(match.phase, PHASE_NEW);  // the suspended match is given up
    EXPECT_EQ(fader.To, SCREEN_MATCH);
    EXPECT_EQ(fader.Fade_Phase, 2);
    EXPECT_EQ(fader.Remaining, 0.5f);
    EXPECT_EQ(sound.played, std::vector<int>{1});

    fader = Screen_Fader{};
    sound.played.clear();
    Click_At(Website);
    EXPECT_EQ(urls, std::vector<std::string>{"http://127.0.0.1:9/tindral/"});
    EXPECT_EQ(sound.played, std::vector<int>{1});
    EXPECT_EQ(fader.Fade_Phase, 0);  // the menu stays

    sound.played.clear();
    Click_At(Exit);
    EXPECT_EQ(fader.From, SCREEN_MENU);
    EXPECT_EQ(fader.To, SCREEN_EXIT);
    EXPECT_EQ(fader.Half, 0.5f);
    EXPECT_TRUE(sound.played.empty());  // leaving makes no sound

    // With sound off the buttons are silent too.
    settings.Sound = 0;
    Click_At(New_Game);
    Click_At(Website);
    EXPECT_TRUE(sound.played.empty());
}

// ---- Hover fills -------------------------------------------------------------------------

TEST_F(Menu, HoverFillGrowsAndShrinksInAThirdOfASecond) {
    elapsed = 1.0f / 30.0f;  // ten frames make a third of a second
    const Menu_Button& button = menu.layout.buttons[BUTTON_NEW_GAME];
    const Menu_Button& other = menu.layout.buttons[BUTTON_EXIT];
    Move_To(New_Game);
    struct Step {
        int frames;
        float hover;
    };
    for (Step step : {Step{5, 0.5f}, Step{5, 1.0f}, Step{5, 1.0f}}) {
        for (int i = 0; i < step.frames; ++i) Frame();
        EXPECT_NEAR(button.Hover, step.hover, 1e-5f);
        EXPECT_NEAR(button.Fill_X, 19.0f + 13.6f * step.hover, 1e-4f);
        EXPECT_FLOAT_EQ(button.Fill_Y, 18.7f);
        EXPECT_EQ(other.Hover, 0.0f);
    }
    Move_To(10.0f, 50.0f);
    for (Step step : {Step{5, 0.5f}, Step{5, 0.0f}, Step{5, 0.0f}}) {
        for (int i = 0; i < step.frames; ++i) Frame();
        EXPECT_NEAR(button.Hover, step.hover, 1e-5f);
        EXPECT_NEAR(button.Fill_X, 19.0f + 13.6f * step.hover, 1e-4f);
    }
}

// ---- Controller rows ----------------------------------------------------------------------

TEST_F(Menu, ControllerNextSkipsAbsentJoysticksAndWraps) {
    struct Case {
        std::vector<int> joysticks;  // present joysticks, 1..4
        int from, to;
    } cases[] = {
        {{}, 1, 2},
        {{}, 2, 7},
        {{}, 7, 8},
        {{}, 8, 1},
        {{2}, 2, 4},
        {{2}, 4, 7},
        {{1, 2, 3, 4}, 2, 3},
        {{1, 2, 3, 4}, 6, 7},
        {{4}, 2, 6},
        // Codes the game does not know (a hand-edited file) start over at the arrow keys.
        {{}, 0, 1},
        {{}, 9, 1},
        {{}, -4, 1},
        {{}, 1000000, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        for (int j = 0; j < 4; ++j) available[3 + j] = false;
        for (int j : c.joysticks) available[2 + j] = true;
        settings.Side_Controller[SIDE_LEFT] = c.from;
        Controller_Next(context, SIDE_LEFT);
        EXPECT_EQ(settings.Side_Controller[SIDE_LEFT], c.to);
    }
}

TEST_F(Menu, ClickingAControllerRowCyclesItsSideOnly) {
    settings.Side_Controller[SIDE_BOTTOM] = CONTROLLER_ARROW_KEYS;
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) {
        Click_At(Side_Rows[SIDE_BOTTOM]);
        seen.push_back(settings.Side_Controller[SIDE_BOTTOM]);
    }
    EXPECT_EQ(seen, (std::vector<int>{2, 7, 8, 1, 2}));
    EXPECT_EQ(settings.Side_Controller[SIDE_TOP], 7);
    EXPECT_EQ(settings.Side_Controller[SIDE_LEFT], 7);
    EXPECT_EQ(settings.Side_Controller[SIDE_RIGHT], 7);
}

TEST_F(Menu, ControllerNames) {
    devices.joysticks[1] = {};
    devices.names[1] = "Gamepad F310";
    devices.joysticks[2] = {};  // present, but no product name
    struct Case {
        int side, code;
        const char* name;
    } cases[] = {
        {0, 1, "Keyboard [Arrow keys]"},
        {1, 2, "Keyboard [W, A, S, D]"},
        {2, 4, "Joystick 2 [Gamepad F310]"},
        {3, 5, "Joystick 3"},
        {0, 3, "Joystick 1"},  // absent
        {1, 7, "Computer"},
        {2, 8, "None"},
        {3, 9, "--- 3 --- 9"},
        {1, 0, "--- 1 --- 0"},
    };
    for (const Case& c : cases) {
        settings.Side_Controller[c.side] = c.code;
        EXPECT_EQ(Controller_Name(context, c.side), c.name) << c.code;
    }
    context.input = nullptr;  // no device interface: no product name
    settings.Side_Controller[0] = 4;
    EXPECT_EQ(Controller_Name(context, 0), "Joystick 2");
}

// ---- Texts -------------------------------------------------------------------------------

TEST_F(Menu, RowUnderTheMouseIsWhiteAndTheOthersBlack) {
    settings.Side_Controller[SIDE_RIGHT] = CONTROLLER_WASD_KEYS;
    Move_To(Side_Rows[SIDE_RIGHT]);
    Frame();
    Text_Lines lines;
    Menu_Text_Lines(context, lines);
    for (const char* text : {"Right", "Keyboard [W, A, S, D]"}) {
        const Text_Line* line = lines.Find(text);
        ASSERT_NE(line, nullptr) << text;
        EXPECT_EQ(line->red + line->green + line->blue, 3.0f) << text;
    }
    for (const char* text : {"Top", "Bottom", "Left", "Sound", "Off", "Camera View", "Side",
                             "<  <  <", ">  >  >", "Countdown (300)"}) {
        const Text_Line* line = lines.Find(text);
        ASSERT_NE(line, nullptr) << text;
        EXPECT_EQ(line->red + line->green + line->blue, 0.0f) << text;
    }
    const Text_Line* name = lines.Find("Keyboard [W, A, S, D]");
    EXPECT_EQ(name->right_align, 1);
    EXPECT_FLOAT_EQ(name->x, 54.4f + 31.8f);
    EXPECT_FLOAT_EQ(name->y, 73.6f - 8.0f - 3.4f * 3);

    Move_To(Left_Arrows);
    Frame();
    lines = Text_Lines{};
    Menu_Text_Lines(context, lines);
    EXPECT_EQ(lines.Find("<  <  <")->red, 1.0f);
    EXPECT_EQ(lines.Find(">  >  >")->red, 0.0f);
    EXPECT_EQ(lines.Find("Countdown (300)")->red, 0.0f);  // the level name stays black
}

TEST_F(Menu, LevelNamesAndOptionValues) {
    const char* names[] = {"Timed (3 min)",   "Timed (6 min)",   "Timed (9 min)", "Countdown (300)",
                           "Countdown (600)", "Countdown (900)", "High Score"};
    for (int level = -1; level <= 8; ++level) {
        settings.Level = level;
        Text_Lines lines;
        Menu_Text_Lines(context, lines);
        const char* expected = level >= 0 && level <= 5 ? names[level] : names[6];
        const Text_Line* line = lines.Find(expected);
        ASSERT_NE(line, nullptr) << level;
        EXPECT_EQ(line->centre, 1);
        EXPECT_FLOAT_EQ(line->x, 11.1f + 17.25f);
    }

    struct Case {
        int sound, camera, upload;
        const char* shown[3];
    } cases[] = {
        {1, 0, 1, {"On", "Top", "On"}},
        {0, 1, 0, {"Off", "Side", "Off"}},
        {2, 5, 3, {"Off", "Side", "Off"}},
    };
    for (const Case& c : cases) {
        settings.Sound = c.sound;
        settings.CameraView = c.camera;
        settings.UploadHighScores = c.upload;
        Text_Lines lines;
        Menu_Text_Lines(context, lines);
        for (int k = 0; k < 3; ++k) {
            const float y = 91.0f - 8.0f - 3.4f * k;
            bool found = false;
            for (const Text_Line& line : lines.lines) {
                found |= line.text == c.shown[k] && line.x == 54.4f + 21.8f && line.y == y;
            }
            EXPECT_TRUE(found) << c.shown[k] << " on row " << k + 1;
        }
    }
}

}  // namespace
