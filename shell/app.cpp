#include "shell/app.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/platform.h"
#include "shell/log.h"
#include "shell/os_name.h"

#ifndef TINDRAL_WEB_HOST
#error "TINDRAL_WEB_HOST must name the maker's web host"
#endif

namespace {

const char kProductName[] = "Tindral";
const char kBanner[] = "Tindral :: Version 1.65";

std::string Data_Folder_Create() {
    std::string folder = Platform_Special_Folder(FOLDER_APPDATA) + "/Tindral";
    Platform_Create_Directory(Platform_Special_Folder(FOLDER_APPDATA).c_str());
    Platform_Create_Directory(folder.c_str());
    return folder;
}

// The log path is needed while the window is built, before main runs; computing it
// creates the data folder.
std::string Log_Path() { return Data_Folder_Create() + "/log.dat"; }

}  // namespace

// ---- The process-wide objects, in construction order ----------------------------------
CTarvelWindow Game_Window(100.0f, 800.0f, Log_Path().c_str(), kBanner);
CTarvelTimer Frame_Timer;
Screen_Fader Fader;
App_Paths Paths;

int Screen_State = SCREEN_EXIT;
int Match_Phase = PHASE_NEW;
bool Controller_Available[9] = {};

namespace {

// The fader's effects on the rest of the game.
class Game_Fader_Host : public Fader_Host {
public:
    void Timer_Tick() override { Frame_Timer.Tick(); }
    void Match_Setup() override {}
    void Request_Quit() override { Game_Window.Quit = true; }
    void Draw_Veil(float opacity) override {
        static const float kCorners[4][3] = {{0, 100, 0}, {100, 100, 0}, {100, 0, 0}, {0, 0, 0}};
        static const float kTexcoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        Game_Window.Mode_2D(1);
        glDisable(GL_DEPTH_TEST);
        Game_Window.Draw_Quad(-1, 0.0f, 0.0f, 0.0f, 1.0f - opacity, kCorners, kTexcoords);
        glEnable(GL_DEPTH_TEST);
        Game_Window.Mode_3D();
    }
};

Game_Fader_Host Fader_Effects;

void Paths_Init() {
    std::string program = Platform_Module_Path();
    size_t slash = program.rfind('/');
    Paths.Program_Folder = slash == std::string::npos ? "." : program.substr(0, slash);
    Platform_Set_Current_Directory(Paths.Program_Folder.c_str());
    Paths.Data_Folder = Data_Folder_Create();
}

void Controllers_Detect() {
    Controller_Available[1] = Controller_Available[2] = true;
    Controller_Available[7] = Controller_Available[8] = true;
    for (int id = 0; id < 4; ++id) {
        Platform_Joystick_State state;
        Controller_Available[3 + id] = Platform_Joystick_Position(id, &state);
    }
}

bool Game_Resources_Load() {
    Controllers_Detect();
    return true;
}

void Resources_Failed() {
    Platform_Message_Box("Could not initialize game resources.", kProductName, ICON_ERROR);
    std::exit(1);
}

void Lighting_Init() {
    static const float kPosition[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    static const float kAmbient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    static const float kSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    static const float kModelAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, kPosition);
    glLightfv(GL_LIGHT0, GL_AMBIENT, kAmbient);
    glLightfv(GL_LIGHT0, GL_SPECULAR, kSpecular);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, kModelAmbient);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
}

void Intro_Draw() {
    static const float kCorners[4][3] = {{30, 30, 0}, {70, 30, 0}, {70, 70, 0}, {30, 70, 0}};
    static const float kTexcoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    Game_Window.Mode_2D(1);
    Game_Window.Draw_Quad(8, 1.0f, 1.0f, 1.0f, 0.0f, kCorners, kTexcoords);
    Game_Window.Mode_3D();
}

void Frame_Active() {
    switch (Screen_State) {
        case SCREEN_INTRO: Intro_Draw(); break;
        case SCREEN_MENU: break;
        case SCREEN_MATCH: break;
        default: break;
    }
    Fader.Fade_Update(Fader_Effects, Screen_State, Match_Phase, Frame_Timer.Get_Elapsed());
    Game_Window.Swap_Buffers();
}

void Frame_Inactive() {
    // Nothing steps, takes input or fades while another program has the focus.
    Game_Window.Swap_Buffers();
    Platform_Sleep(100);
}

}  // namespace

void Fade_Start(int from, int to, float seconds) {
    Fader.Fade_Start(Fader_Effects, from, to, seconds);
}

int Tindral_Main() {
    Paths_Init();
    Paths.OS_Name = OS_Name_Get();
    Paths.Config_File = Paths.Data_Folder + "/config.dat";
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    const std::string title = std::string(kProductName) + " - " + TINDRAL_WEB_HOST;
    const std::string instance_name =
        "<" TINDRAL_WEB_HOST "> This is Tindral v1.65 <" TINDRAL_WEB_HOST ">";
    const std::string lock_path = Paths.Data_Folder + "/instance.lock";
    if (Platform_Instance_Lock(lock_path.c_str(), instance_name.c_str()) == 0) {
        Platform_Message_Box("An instance is already running.", kProductName, ICON_WARNING);
        Game_Window.GL_Create_Window(title.c_str(), 0, 0, 16, false, false, true, true);
        return 1;
    }

    std::string display_error;
    if (!Platform_Video_Init(&display_error)) {
        std::fprintf(stderr, "Tindral: cannot open a display (%s).\n", display_error.c_str());
    }
    Window_Size_From_Screen(Platform_Virtual_Screen_Height(), &Game_Window.Width,
                            &Game_Window.Height);
    if (!Game_Window.GL_Create_Window(title.c_str(), Game_Window.Width, Game_Window.Height, 16,
                                      false, false, true, true)) {
        return 1;
    }
    Game_Window.Set_Icon();

    if (!Game_Resources_Load()) Resources_Failed();
    Log_Write(Engine_Log, 0, "Game resources initialized [%s]", Paths.OS_Name.c_str());
    Lighting_Init();
    Paths.Player_Name.clear();
    Match_Phase = PHASE_NEW;
    Frame_Timer.Tick();
    Fade_Start(SCREEN_EXIT, SCREEN_INTRO, 2.0f);

    while (!Game_Window.Quit) {
        Frame_Timer.Tick();
        Game_Window.Handle_Messages();
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        if (Game_Window.Active) {
            Frame_Active();
        } else {
            Frame_Inactive();
        }
    }

    Platform_Instance_Unlock();
    // A quit message carries the exit status; a fade into the exit screen ends normally.
    return Game_Window.Message.type == MSG_QUIT ? static_cast<int>(Game_Window.Message.wparam) : 0;
}
