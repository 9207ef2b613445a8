// Screenshots of the match display in a real window: a running match from the side and
// from above, launch arrows with the "High Score" heads-up lines, a timed match's
// ranking, the countdown's winner, and the "High Score" end with the name being typed.
// Usage (under tests/e2e/xvfb_run.sh, from the program folder that holds data/):
//   frontend_match_shots OUT_DIR
#include <GL/gl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "frontend/high_scores.h"
#include "frontend/match_keys.h"
#include "platform/platform.h"
#include "tests/frontend/display_scene.h"

namespace {

std::string Out_Dir;

bool Shot(Display_Scene& scene, const char* name) {
    glFinish();
    scene.Show();
    Platform_Sleep(300);
    const std::string command = "import -window root '" + Out_Dir + "/" + name + "'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "screenshot %s failed\n", name);
        return false;
    }
    std::printf("%s/%s\n", Out_Dir.c_str(), name);
    return true;
}

// A few frames, so that the window is mapped and the last one is complete.
void Frames(Display_Scene& scene, int count, float dt) {
    for (int i = 0; i < count; ++i) {
        scene.Frame(dt);
        if (i + 1 < count) scene.Show();
    }
}

void All_Computer(Display_Scene& scene) {
    for (int& code : scene.settings.Side_Controller) code = CONTROLLER_COMPUTER;
}

void Fill_Table(High_Score_Table& table, int slot, const char* name, int spheres, float time) {
    std::snprintf(table.Name[slot], sizeof table.Name[slot], "%s", name);
    table.Spheres[slot] = spheres;
    table.Time[slot] = time;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
        return 2;
    }
    Out_Dir = argv[1];
    char config[] = "/tmp/tindral-shots-XXXXXX";
    if (mkdtemp(config) == nullptr) return 1;
    Display_Scene scene(std::string(config) + "/log.dat");
    scene.config_file = std::string(config) + "/config.dat";
    scene.settings.UploadHighScores = 0;
    scene.settings.CameraView = 1;
    if (!scene.Open()) return 1;
    bool ok = true;

    // A running timed match, side view, then swung round to the top view with F1.
    All_Computer(scene);
    scene.Setup(0);
    scene.Simulate(45.0f);
    Frames(scene, 3, 1.0f / 60.0f);
    ok &= Shot(scene, "display_side_view.png");
    scene.window->Keys[KEY_F1] = 1;
    Frames(scene, 1, 0.1f);
    scene.window->Keys[KEY_F1] = 0;
    for (int i = 0; i < 30; ++i) {
        scene.Simulate(0.1f);
        Frames(scene, 1, 0.1f);
        scene.Show();
    }
    Frames(scene, 2, 0.0f);
    ok &= Shot(scene, "display_top_view.png");

    // "High Score": the launch arrows one second in, with the heads-up lines.
    scene.window->Keys[KEY_F2] = 1;
    Frames(scene, 1, 0.0f);
    scene.window->Keys[KEY_F2] = 0;
    Camera_Place(scene.camera, 1);
    scene.settings.Side_Controller[SIDE_BOTTOM] = CONTROLLER_COMPUTER;
    scene.Setup(6);
    scene.Simulate(1.0f);
    Frames(scene, 3, 0.0f);
    ok &= Shot(scene, "display_high_score_run.png");

    // A timed match decided with Right set to "None": three ranked lines.
    scene.settings.Side_Controller[SIDE_RIGHT] = CONTROLLER_NONE;
    scene.Setup(0);
    scene.Simulate(2.0f);
    scene.match.sides[SIDE_TOP].score = 4.0f;
    scene.match.sides[SIDE_BOTTOM].score = 2.0f;
    scene.match.sides[SIDE_LEFT].score = 7.0f;
    scene.match.match_clock = 0.0f;
    Frames(scene, 3, 1.0f / 60.0f);
    ok &= Shot(scene, "display_timed_ranking.png");

    // A countdown won by Bottom.
    All_Computer(scene);
    scene.Setup(3);
    scene.Simulate(5.0f);
    const float survived[Side_Count] = {61.3f, 0.0f, 47.9f, 88.2f};
    for (int s = 0; s < Side_Count; ++s) {
        if (s == SIDE_BOTTOM) continue;
        scene.match.sides[s].closed = true;
        scene.match.sides[s].score = 0.0f;
        scene.match.sides[s].open_time = survived[s];
    }
    scene.match.sides[SIDE_BOTTOM].score = 254.0f;
    Frames(scene, 3, 1.0f / 60.0f);
    ok &= Shot(scene, "display_countdown_won.png");

    // The end of a "High Score" run that enters the top five, then the name typed.
    Fill_Table(scene.table_a, 0, "Mira", 2, 61.2f);
    Fill_Table(scene.table_a, 1, "Tobi", 4, 38.0f);
    Fill_Table(scene.table_a, 2, "Kes", 9, 25.5f);
    Fill_Table(scene.table_b, 0, "Mira", 2, 61.2f);
    Fill_Table(scene.table_b, 1, "Tobi", 4, 38.0f);
    Fill_Table(scene.table_b, 2, "Kes", 9, 25.5f);
    scene.settings.Side_Controller[SIDE_BOTTOM] = CONTROLLER_COMPUTER;
    scene.Setup(6);
    scene.Simulate(40.0f);
    scene.match.match_clock = 0.5f;
    scene.Simulate(0.6f);
    Frames(scene, 3, 1.0f / 60.0f);
    ok &= Shot(scene, "display_high_score_end.png");
    const int typed[][2] = {{'A', 1}, {'N', 0}, {'N', 0}, {'7', 0}};
    for (const auto& key : typed) {
        scene.window->Keys[KEY_SHIFT] = static_cast<unsigned char>(key[1]);
        scene.window->Keys[key[0]] = 1;
        Frames(scene, 1, 1.0f / 60.0f);
        scene.Show();
        scene.window->Keys[KEY_SHIFT] = 0;
    }
    Frames(scene, 3, 1.0f / 60.0f);
    ok &= Shot(scene, "display_high_score_name.png");

    // Enter: the run goes into both tables; the menu's form of the tables shows no green.
    scene.window->Keys[KEY_ENTER] = 1;
    Frames(scene, 1, 1.0f / 60.0f);
    scene.window->Keys[KEY_ENTER] = 0;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    High_Score_Tables_Draw(*scene.context, 0);
    ok &= Shot(scene, "display_menu_tables.png");

    std::printf("player name [%s], table A first [%s]\n", scene.player_name.c_str(),
                scene.table_a.Name[0]);
    std::remove(scene.config_file.c_str());
    std::remove((std::string(config) + "/log.dat").c_str());
    rmdir(config);
    return ok ? 0 : 1;
}
