#include "shell/app.h"

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "base/log.h"
#include "engine/io.h"
#include "engine/lighting.h"
#include "engine/start_up_files.h"
#include "frontend/frontend_context.h"
#include "frontend/match_keys.h"
#include "frontend/match_screen.h"
#include "frontend/model_gl.h"
#include "game/match_frame.h"
#include "game/sound_player.h"
#include "platform/platform.h"
#include "shell/data_folder.h"
#include "shell/frame_clock.h"
#include "shell/input_devices.h"
#include "shell/os_name.h"
#include "shell/web_host.h"

namespace {

const char Product_Name[] = "Tindral";
const char Banner[] = "Tindral :: Version 1.65";

// The per-user data folder, made with every missing level on first use. Empty when it
// cannot be made (said once on standard error): the game then plays on without its log
// and settings file, and writes nowhere else instead.
const std::string& Data_Folder_Create() {
    static const std::string folder = [] {
        std::string path = Data_Folder_Path();
        std::string error = "no home folder is known";
        if (!path.empty() && Platform_Create_Directories(path.c_str(), &error)) return path;
        std::fprintf(stderr,
                     "Tindral: cannot create the data folder (%s); settings, high scores and "
                     "the log are not kept.\n",
                     error.c_str());
        return std::string();
    }();
    return folder;
}

// The log path is needed while the window is built, before main runs; computing it
// creates the data folder. Empty (no log) without a data folder.
std::string Log_Path() {
    const std::string& folder = Data_Folder_Create();
    return folder.empty() ? folder : folder + "/log.dat";
}

}  // namespace

// ---- The process-wide objects, in construction order ----------------------------------
CTarvelWindow Game_Window(100.0f, 800.0f, Log_Path().c_str(), Banner);
CTarvelAudio Game_Audio(6);
Camera Game_Camera;
Match The_Match;
CTarvelTimer Frame_Timer(Frame_Clock());
Menu_State Menu;
Screen_Fader Fader;
App_Paths Paths;

int Screen_State = SCREEN_EXIT;
Game_Settings Settings;
High_Score_Table High_Scores_A;
High_Score_Table High_Scores_B;
bool Controller_Available[9] = {};

namespace {

CTarvelIO Game_IO;
Window_Input_Devices Window_Devices(Game_Window);
Window_Texture_Source Window_Textures(Game_Window);

// The sound device as the simulation and the menus see it.
class Game_Sound_Player : public Sound_Player {
  public:
    void Play(int channel) override { Game_Audio.Play(channel); }
};
Game_Sound_Player Game_Sounds;

// What the simulation reaches of the rest of the program.
Match_Context Simulation{
    .settings = &Settings,
    .table_a = &High_Scores_A,
    .table_b = &High_Scores_B,
    .textures = &Window_Textures,
    .sound = &Game_Sounds,
    .input = &Window_Devices,
    .animate_meshes = true,
    .restart_timer = [] { Frame_Timer.Tick(); },
};

void Arena_Setup() { Match_Setup(The_Match, Simulation); }

// What the screens read and change.
Frontend_Context Screens{
    .window = Game_Window,
    .match = The_Match,
    .settings = Settings,
    .table_a = High_Scores_A,
    .table_b = High_Scores_B,
    .camera = Game_Camera,
    .fade_to = Fader.To,
    .fade_start = Fade_Start,
    .screen_state = Screen_State,
    .player_name = Paths.Player_Name,
    .os_name = Paths.OS_Name,
    .save_settings =
        [] {
            return Settings_Save(Paths.Config_File.c_str(), Settings, High_Scores_A,
                                 High_Scores_B);
        },
    .elapsed = Frame_Timer.Elapsed,
    .io = Game_IO,
    .upload_host = Game_Web_Host(),
    .local_seconds = {},
    .menu = &Menu,
    .input = &Window_Devices,
    .sound = &Game_Sounds,
    .controller_available = Controller_Available,
    .match_setup = Arena_Setup,
    .open_url = {},
};

// The fader's effects on the rest of the game.
class Game_Fader_Host : public Fader_Host {
  public:
    void Timer_Tick() override { Frame_Timer.Tick(); }
    void Match_Setup() override { Arena_Setup(); }
    void Request_Quit() override { Game_Window.Quit = true; }
    void Draw_Veil(float opacity) override {
        static const float Corners[4][3] = {{0, 100, 0}, {100, 100, 0}, {100, 0, 0}, {0, 0, 0}};
        static const float Texcoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        Game_Window.Mode_2D(1);
        Game_Window.Depth_Test(false);
        Game_Window.Draw_Quad(-1, 0.0f, 0.0f, 0.0f, 1.0f - opacity, Corners, Texcoords);
        Game_Window.Depth_Test(true);
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
    High_Score_Table_Reset(High_Scores_A);
    High_Score_Table_Reset(High_Scores_B);
    if (!Game_Window.Font_List_Load("font_list.txt")) return false;
    for (int index = 0; index < Start_Up_Texture_Count; ++index) {
        if (Game_Window.Texture_Load(Start_Up_Textures[index], index) == -1) return false;
    }
    for (int channel = 0; channel < Start_Up_Sound_Count; ++channel) {
        if (!Game_Audio.Load(channel, Start_Up_Sounds[channel], false)) return false;
    }
    return true;
}

void Resources_Failed() {
    Platform_Message_Box("Could not initialize game resources.", Product_Name, ICON_ERROR);
    std::exit(1);
}

void Intro_Draw() {
    static const float Corners[4][3] = {{30, 30, 0}, {70, 30, 0}, {70, 70, 0}, {30, 70, 0}};
    static const float Texcoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    Game_Window.Mode_2D(1);
    Game_Window.Draw_Quad(8, 1.0f, 1.0f, 1.0f, 0.0f, Corners, Texcoords);
    Game_Window.Mode_3D();
}

void Frame_Active() {
    switch (Screen_State) {
        case SCREEN_INTRO: Intro_Draw(); break;
        case SCREEN_MENU:
            Menu_Input_Step(Screens);
            Match_End_Rules(The_Match, false);
            Menu_Screen_Step(Screens);
            break;
        case SCREEN_MATCH:
            Match_Frame(The_Match, Simulation, Frame_Timer.Get_Elapsed(), false);
            Match_Screen_Draw(Screens);
            Match_Keys_Step(Screens);
            break;
        default: break;
    }
    Fader.Fade_Update(Fader_Effects, Screen_State, The_Match.phase, Frame_Timer.Get_Elapsed());
    Game_Window.Swap_Buffers();
}

void Frame_Inactive() {
    // Nothing steps, takes input or fades while another program has the focus.
    if (Screen_State == SCREEN_MENU || Screen_State == SCREEN_MATCH) {
        Match_End_Rules(The_Match, Screen_State == SCREEN_MATCH);
    }
    if (Screen_State == SCREEN_MENU) Menu_Screen_Step(Screens);
    if (Screen_State == SCREEN_MATCH) Match_Screen_Draw(Screens);
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
    if (!Paths.Data_Folder.empty()) Paths.Config_File = Paths.Data_Folder + "/config.dat";
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    const std::string web_host = Game_Web_Host();
    const std::string title = std::string(Product_Name) + " - " + web_host;
    // One game per user and data folder: games of one user with different data folders
    // (the tests' private homes) keep separate files and may run side by side.
    const std::string instance_name =
        "<" + web_host + "> This is Tindral v1.65 <" + web_host + "> " + Data_Folder_Path();
    if (Platform_Instance_Lock(instance_name.c_str()) == 0) {
        Platform_Message_Box("An instance is already running.", Product_Name, ICON_WARNING);
        Game_Window.GL_Create_Window(title.c_str(), 0, 0, 16, false, false, true, true);
        return 1;
    }
    Settings_Leftovers_Remove(Paths.Config_File.c_str());
    // The pictures and sounds decode on worker threads while the window and its OpenGL
    // context are made, which leaves the other processor idle most of the time.
    Game_Window.Texture_Prefetch(Start_Up_Textures, Start_Up_Texture_Count);
    Game_Audio.Prefetch(Start_Up_Sounds, Start_Up_Sound_Count);

    std::string display_error;
    if (!Platform_Video_Init(&display_error)) {
        std::fprintf(stderr, "Tindral: cannot open a display (%s).\n", display_error.c_str());
        Platform_Instance_Unlock();
        return 1;
    }
    Window_Size_From_Screen(Platform_Virtual_Screen_Height(), &Game_Window.Width,
                            &Game_Window.Height);
    if (!Game_Window.GL_Create_Window(title.c_str(), Game_Window.Width, Game_Window.Height, 16,
                                      false, false, true, true)) {
        return 1;
    }
    Game_Window.Set_Icon();

    if (!Game_Resources_Load()) Resources_Failed();
    Game_Window.Texture_Prefetch_End();
    Game_Audio.Prefetch_End();
#ifdef __GLIBC__
    // The pictures and sounds decoded ahead were freed on this thread, into the workers'
    // allocation arenas, which keep freed pages mapped: hand them back.
    malloc_trim(0);
#endif
    Settings_Load(Paths.Config_File.c_str(), Settings, High_Scores_A, High_Scores_B);
    Log_Write(Engine_Log, 0, "Game resources initialized [%s]", Paths.OS_Name.c_str());
    Camera_Place(Game_Camera, Settings.CameraView);
    Game_Lighting_Init();
    Menu_Layout_Set(Menu.layout);
    Paths.Player_Name.clear();
    The_Match.phase = PHASE_NEW;
    Frame_Timer.Tick();
    Fade_Start(SCREEN_EXIT, SCREEN_INTRO, 2.0f);

    while (!Game_Window.Quit) {
        Game_Audio.Update();
        Frame_Timer.Tick();
        Game_Window.Handle_Messages();
        Game_Window.Begin_Frame();
        if (Game_Window.Active) {
            Frame_Active();
        } else {
            Frame_Inactive();
        }
    }

    Platform_Instance_Unlock();
    Settings_Save(Paths.Config_File.c_str(), Settings, High_Scores_A, High_Scores_B);
    // A quit message carries the exit status; a fade into the exit screen ends normally.
    return Game_Window.Message.type == MSG_QUIT ? static_cast<int>(Game_Window.Message.wparam) : 0;
}
