// A front-end context over real objects: a window object without a window (its key table,
// font metrics and client size are all the keys and overlay need), a match, empty tables,
// a real screen fader, a settings file in a private folder and a real URL client.
#pragma once

#include <string>

#include "engine/io.h"
#include "engine/window.h"
#include "frontend/frontend_context.h"
#include "tests/engine/io_test_support.h"

class Frontend_Fixture {
  public:
    Frontend_Fixture();

    // A finished "High Score" run on the match screen: S spheres allowed, B best seconds.
    void High_Score_Run_Over(float spheres, float best_time);
    // Presses or releases a key by its virtual-key code.
    void Press(int key) { window.Keys[key] = 1; }
    void Release(int key) { window.Keys[key] = 0; }

    Io_Test_Folder folder;  // event log and temporary files
    CTarvelWindow window{100.0f, 800.0f, nullptr, nullptr};
    Match match;
    Game_Settings settings;
    High_Score_Table table_a;
    High_Score_Table table_b;
    Camera camera;
    Screen_Fader fader;
    int screen_state = SCREEN_MATCH;
    std::string player_name;
    std::string os_name = "Unknown";
    std::string config_file;
    float elapsed = 0.02f;
    CTarvelIO io;
    int fades_started = 0;
    int local_seconds = 4;
    Frontend_Context context;

  private:
    class Quiet_Host : public Fader_Host {
        void Timer_Tick() override {}
        void Match_Setup() override {}
        void Request_Quit() override {}
        void Draw_Veil(float) override {}
    } host_;
};
