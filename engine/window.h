// CTarvelWindow: the engine's single window with its OpenGL 1.x context, the key table,
// the 2-D overlay and 3-D modes, textured quads, the texture table and the font metrics.
// It also owns the event log, which it opens first and closes last.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

template <typename Decoded>
class Decode_Ahead;
struct Png_Image;

class CTarvelWindow {
  public:
    // Opens the log at `log_path` (none for nullptr) and writes `banner` at level 0.
    CTarvelWindow(float near_plane, float far_plane, const char* log_path, const char* banner);
    ~CTarvelWindow();
    CTarvelWindow(const CTarvelWindow&) = delete;
    CTarvelWindow& operator=(const CTarvelWindow&) = delete;

    // Creates the window and makes its GL context current. On failure shows the box of
    // the failing step, leaves nothing held and returns false.
    bool GL_Create_Window(const char* title, int width, int height, int bits, bool fullscreen,
                          bool resizable, bool centred, bool show_cursor);
    void GL_Cleanup();
    void GL_Resize(int width, int height);
    void GL_Init();
    void GL_Set_Perspective(float fov_degrees, float aspect);
    // Takes at most one pending message and gives it its effect.
    void Handle_Messages();
    void Mode_2D(int texture_index);
    void Mode_3D();
    // Corners and texture coordinates are given as 4x3 and 4x2 floats. Without the depth
    // test, a textured quad may be drawn in parts that leave out bands of fully transparent
    // texture rows: blended, those would change no pixel.
    void Draw_Quad(int texture_index, float red, float green, float blue, float transparency,
                   const float corners[4][3], const float texcoords[4][2]);
    void Get_Cursor_Position(int* x, int* y) const;
    // Puts the cursor at client pixel (x, y); nothing without a window.
    void Set_Cursor_Position(int x, int y);
    // Starts a frame: black colour and depth buffers, the identity model-view matrix.
    void Begin_Frame();
    // Turns the depth test on or off (the 2-D overlays that must cover everything).
    void Depth_Test(bool on);
    void Swap_Buffers();
    void Set_Icon();

    // Texture table and font list (textures.cpp).
    int Texture_Load(const char* name, int index);
    unsigned Texture_Get_Data(int index);
    void Texture_Remove(int index);
    int Get_Current_Texture() const { return Current_Texture; }
    void Set_Current_Texture(int index);
    bool Font_List_Load(const char* name);
    int Texture_Count() const { return static_cast<int>(Textures.size()); }
    // Starts decoding the textures `names` on a worker thread (see engine/decode_ahead.h),
    // so that start-up can make the window meanwhile; Texture_Load then takes their pixels
    // instead of decoding them. Texture_Prefetch_End waits for the worker and drops what
    // it decoded that was not taken; the destructor does the same.
    void Texture_Prefetch(const char* const* names, int count);
    void Texture_Prefetch_End();

    // What the window procedure does with one message.
    void Window_Procedure(const Platform_Message& message);

    unsigned char Keys[256] = {};
    std::FILE* Log_File = nullptr;
    float Font_Metrics[128][4] = {};
    bool Active = true;
    Platform_Message Message = {};
    bool Quit = false;
    float Far_Plane;
    float Near_Plane;
    int Height = 480;
    int Width = 640;
    bool Fullscreen = true;

  private:
    struct Texture_Entry {
        std::string name;
        unsigned gl_name = 0;
        int height = 0;
        // Bands of rows (first, last; row 0 is t = 0) in which every texel is fully
        // transparent, four rows or more high, lowest first.
        std::vector<std::pair<int, int>> clear_rows;
    };
    bool Texture_Decode_Upload(const char* path, int index);
    bool Fail_Create(const char* text);

    Platform_Window* Window_Handle = nullptr;
    Platform_GL_Context* Context = nullptr;
    std::vector<Texture_Entry> Textures;
    int Current_Texture = -1;
    std::unique_ptr<Decode_Ahead<Png_Image>> Prefetched;
};
