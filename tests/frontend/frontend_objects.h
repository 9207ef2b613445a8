// The objects a front-end context works on, owned by a test, with a screen fader whose
// effects do nothing: empty tables, the match screen showing (its fade from the menu
// ended), an OS name of "Unknown" and an upload host where nothing listens.
#pragma once

#include <string>

#include "engine/io.h"
#include "engine/window.h"
#include "frontend/frontend_context.h"
#include "shell/fader.h"
#include "shell/settings.h"

class Frontend_Objects {
  public:
    Frontend_Objects();

    // A context over these objects and `window`; its fades go to `fader`. No menu, input
    // devices, sound or URL opener: a test that needs them sets them.
    Frontend_Context Context_For(CTarvelWindow& window);
    void Fade_Start(int from, int to, float seconds) {
        fader.Fade_Start(host_, from, to, seconds);
    }

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
    float elapsed = 0.0f;
    CTarvelIO io;
    int local_seconds = 4;  // even: the name cursor shows

  private:
    class Quiet_Host : public Fader_Host {
        void Timer_Tick() override {}
        void Match_Setup() override {}
        void Request_Quit() override {}
        void Draw_Veil(float) override {}
    } host_;
};
