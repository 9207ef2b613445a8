// A front-end context over real objects: a window object without a window (its key table,
// font metrics and client size are all the keys and overlay need), a match, empty tables,
// a real screen fader, a settings file in a private folder and a real URL client.
#pragma once

#include "engine/window.h"
#include "frontend/frontend_context.h"
#include "tests/engine/io_test_support.h"
#include "tests/frontend/frontend_objects.h"

class Frontend_Fixture : public Frontend_Objects {
  public:
    Frontend_Fixture();

    // A finished "High Score" run on the match screen: S spheres allowed, B best seconds.
    void High_Score_Run_Over(float spheres, float best_time);
    // Presses or releases a key by its virtual-key code.
    void Press(int key) { window.Keys[key] = 1; }
    void Release(int key) { window.Keys[key] = 0; }

    Io_Test_Folder folder;  // event log and temporary files
    CTarvelWindow window{100.0f, 800.0f, nullptr, nullptr};
    int fades_started = 0;
    Frontend_Context context;
};
