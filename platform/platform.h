// The stand-ins for the operating-system interfaces the game calls. Everything above this
// layer is free of SDL; each function says who calls it, what it returns and how it fails.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

// ---- Messages -------------------------------------------------------------------------

// The window messages the game reacts to, with the meaning of their Windows namesakes.
enum Platform_Message_Type {
    MSG_NONE = 0,
    MSG_QUIT,          // the loop's quit request; `wparam` is the exit status
    MSG_ACTIVATEAPP,   // `wparam` 1 when the application gains focus, 0 when it loses it
    MSG_SIZE,          // new client size in `low`, `high`
    MSG_CLOSE,         // the user asked to close the window
    MSG_KEYDOWN,       // `wparam` virtual-key code
    MSG_KEYUP,         // `wparam` virtual-key code
    MSG_SCREENSAVE,    // a screen-saver or monitor power-down request (swallowed)
    MSG_OTHER,         // anything else; handled by nobody
};

struct Platform_Message {
    int type = MSG_NONE;
    unsigned wparam = 0;
    int low = 0;
    int high = 0;
};

// Takes at most one pending event and translates it. False when none was pending.
// Mouse-motion events are never queued: the cursor is polled.
bool Platform_Peek_Message(Platform_Message* out);
// Posts a quit request with `status`; a later Platform_Peek_Message returns it.
void Platform_Post_Quit(int status);

// ---- Window and GL context -------------------------------------------------------------

struct Platform_Window;
struct Platform_GL_Context;

// Starts the video subsystem. False (with `error`) when there is no display.
bool Platform_Video_Init(std::string* error);
// Height of the union of all displays, 0 without a display.
int Platform_Virtual_Screen_Height();
// Size of display 0; 0 x 0 without a display.
void Platform_Primary_Screen_Size(int* width, int* height);

// Creates a window whose client area is width x height at (x, y), or full screen.
// nullptr on failure with the reason in `error`.
Platform_Window* Platform_Window_Create(const char* title, int x, int y, int width, int height,
                                        bool fullscreen, bool resizable, int colour_bits,
                                        std::string* error);
// Switches an existing window to full screen with the given mode; false when refused.
bool Platform_Window_Set_Fullscreen(Platform_Window* window, int width, int height, int bits);
void Platform_Window_Destroy(Platform_Window* window);
// Shows, raises and focuses the window.
void Platform_Window_Show(Platform_Window* window);
void Platform_Window_Set_Icon(Platform_Window* window);
// Creates the GL context (double buffer, 16-bit depth, compatibility profile).
Platform_GL_Context* Platform_GL_Create(Platform_Window* window, std::string* error);
bool Platform_GL_Make_Current(Platform_Window* window, Platform_GL_Context* context);
void Platform_GL_Delete(Platform_GL_Context* context);
// Makes buffer swaps of the current context wait for the display's refresh, so that the
// swaps pace the main loop; false when the driver cannot (the loop then runs unpaced).
bool Platform_GL_Pace_Swaps();
void Platform_GL_Swap(Platform_Window* window);
void Platform_Show_Cursor(bool show);
// Cursor in client pixels of `window`, origin top left (may lie outside the client area).
void Platform_Cursor_Position(Platform_Window* window, int* x, int* y);
void Platform_Set_Cursor_Position(Platform_Window* window, int x, int y);
// Mouse buttons held now, or pressed since the last call: bit 0 left, bit 1 right,
// bit 2 middle.
unsigned Platform_Mouse_Buttons();

// ---- Message boxes ----------------------------------------------------------------------

enum Platform_Icon { ICON_INFORMATION, ICON_WARNING, ICON_ERROR };
// Shows a box without owner and waits for it. The text also goes to standard error, so a
// failure without any display is still reported.
void Platform_Message_Box(const char* text, const char* caption, Platform_Icon icon);
// Yes/No box; true for Yes. Without a display the answer is No.
bool Platform_Message_Box_Yes_No(const char* text, const char* caption, Platform_Icon icon);

// ---- Process, files and folders --------------------------------------------------------

// Full path of the running program (/proc/self/exe), empty on failure.
std::string Platform_Module_Path();
bool Platform_Set_Current_Directory(const char* path);
// Creates the absolute folder `path` with every missing level above it, each new one
// private to the user (0700). True when `path` is a folder afterwards; otherwise false
// with the failing level and its cause in `error`.
bool Platform_Create_Directories(const char* path, std::string* error);
bool Platform_File_Exists(const char* path);

enum Platform_Folder {
    FOLDER_APPDATA,         // $XDG_DATA_HOME, default ~/.local/share
    FOLDER_LOCAL_APPDATA,   // $XDG_STATE_HOME, default ~/.local/state
    FOLDER_COMMON_APPDATA,  // /var/lib
};
// The folder's path (not created). The home folder is $HOME, else the user's password
// entry; the empty string when neither names one.
std::string Platform_Special_Folder(Platform_Folder folder);

// The single-instance guard: a name of this user's, held until the process ends (a
// crashed process leaves no stale guard) and independent of any folder. Returns 1 when
// acquired, 0 when another process of this user holds `name`, -1 when the guard cannot
// be made.
int Platform_Instance_Lock(const char* name);
void Platform_Instance_Unlock();

struct Platform_Version {
    bool nt = false;
    int major = 0;
    int minor = 0;
};
Platform_Version Platform_Get_Version();

// Opens a web page in the user's browser; fire and forget.
void Platform_Open_URL(const char* url);

// ---- Time -------------------------------------------------------------------------------

// The processor's time-stamp counter (64 bits; the frame timer uses the low 32).
std::uint64_t Platform_Cycle_Counter();
// Whether a high-resolution counter is available (the monotonic clock).
bool Platform_Performance_Counter_Available();
// Milliseconds of the monotonic clock, wrapping at 2^32.
std::uint32_t Platform_Milliseconds();
// Nanoseconds of the monotonic clock.
std::uint64_t Platform_Nanoseconds();
// Local time now; false when it cannot be read.
bool Platform_Local_Time(std::tm* out);
void Platform_Sleep(int milliseconds);

// ---- Joysticks --------------------------------------------------------------------------

// One joystick poll, the fields of the multimedia joystick record the game reads.
struct Platform_Joystick_State {
    std::uint32_t x = 32767, y = 32767, z = 32767, r = 32767, u = 32767, v = 32767;
    std::uint32_t buttons = 0;
    std::uint32_t pov = 0xFFFF;  // hundredths of degrees, 0xFFFF centred
};
// Polls joystick `id` (0..3). False when there is no such device.
bool Platform_Joystick_Position(int id, Platform_Joystick_State* out);
// Product name of joystick `id`; false when there is none.
bool Platform_Joystick_Name(int id, std::string* name);
