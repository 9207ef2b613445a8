#include "tests/frontend/display_scene.h"

#include <GL/gl.h>

#include <cstdio>

#include "engine/lighting.h"
#include "engine/start_up_files.h"
#include "frontend/match_keys.h"
#include "frontend/match_screen.h"
#include "platform/platform.h"
#include "shell/os_name.h"

Display_Scene::Display_Scene(const std::string& log_path) {
    window = std::make_unique<CTarvelWindow>(
        100.0f, 800.0f, log_path.empty() ? nullptr : log_path.c_str(), "Display scene");
    context = std::make_unique<Frontend_Context>(Context_For(*window));
}

Display_Scene::~Display_Scene() {
    context.reset();
    window.reset();
}

bool Display_Scene::Open() {
    std::string error;
    if (!Platform_Video_Init(&error)) {
        std::fprintf(stderr, "no display: %s\n", error.c_str());
        return false;
    }
    Window_Size_From_Screen(Platform_Virtual_Screen_Height(), &window->Width, &window->Height);
    if (!window->GL_Create_Window("Tindral - display", window->Width, window->Height, 16, false,
                                  false, true, true)) {
        std::fprintf(stderr, "no window\n");
        return false;
    }
    if (!window->Font_List_Load("font_list.txt")) {
        std::fprintf(stderr, "no font list\n");
        return false;
    }
    for (int i = 0; i < 16; ++i) {
        if (window->Texture_Load(Start_Up_Textures[i], i) != i) {
            std::fprintf(stderr, "texture %s did not load\n", Start_Up_Textures[i]);
            return false;
        }
    }
    Game_Lighting_Init();
    textures_ = std::make_unique<Window_Texture_Source>(*window);
    match_context_.settings = &settings;
    match_context_.table_a = &table_a;
    match_context_.table_b = &table_b;
    match_context_.textures = textures_.get();
    Camera_Place(camera, settings.CameraView);
    return true;
}

void Display_Scene::Setup(int level) {
    settings.Level = level;
    Match_Setup(match, match_context_);
    match.phase = PHASE_RUNNING;
}

void Display_Scene::Simulate(float seconds, float dt) {
    int ranking[Side_Count];
    for (float t = 0.0f; t < seconds; t += dt) {
        if (match.phase != PHASE_SUSPENDED) Match_Step(match, match_context_, dt);
        Timed_End_Rule(match, true, ranking);
        Countdown_End_Rule(match, true, ranking);
        High_Score_End_Rule(match, true);
    }
}

void Display_Scene::Frame(float dt) {
    window->Handle_Messages();
    elapsed = dt;
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    Match_Screen_Draw(*context);
    Match_Keys_Step(*context);
}

void Display_Scene::Pixel(int x, int y, unsigned char rgb[3]) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
}
