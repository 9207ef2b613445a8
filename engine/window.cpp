#include "engine/window.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/log.h"
#include "engine/decode_ahead.h"
#include "platform/png.h"

namespace {

// Equivalent of the class registration: the video subsystem must be up before a window.
bool Video_Ready() {
    std::string error;
    return Platform_Video_Init(&error);
}

void Emit_Corner(const float corner[3], const float texcoord[2]) {
    glTexCoord2fv(texcoord);
    glVertex3fv(corner);
}

// Emits the GL_QUADS corners of the parts of a blended textured quad that can show
// anything. Texels of alpha 0 blend to no change at all, so a band of fully transparent
// texture rows may be left out: this is done for a quad that is a parallelogram along
// whose edges 0-1 and 3-2 the texture rows run (t the same at both ends of each, s the same
// at 0 and 3 and at 1 and 2), where the texture coordinates are an affine function of the
// position and the parts keep them exactly. A row of margin on each side of a band keeps
// the linear filter's reach inside it. Any other quad is emitted whole.
void Emit_Visible_Parts(const float corners[4][3], const float texcoords[4][2], int height,
                        const std::vector<std::pair<int, int>>& clear_rows) {
    const float t0 = texcoords[0][1];
    const float t3 = texcoords[3][1];
    bool parallelogram = true;
    for (int k = 0; k < 3; ++k) {
        parallelogram &= corners[1][k] - corners[0][k] == corners[2][k] - corners[3][k];
    }
    const bool rows_along_edges = texcoords[1][1] == t0 && texcoords[2][1] == t3 &&
                                  texcoords[3][0] == texcoords[0][0] &&
                                  texcoords[2][0] == texcoords[1][0];
    // The parts to keep, as stretches of v (0 at edge 0-1, 1 at edge 3-2).
    std::vector<std::pair<float, float>> keep = {{0.0f, 1.0f}};
    if (parallelogram && rows_along_edges && t0 != t3 && height > 0) {
        for (const auto& [first, last] : clear_rows) {
            const float low = (static_cast<float>(first) + 1.5f) / static_cast<float>(height);
            const float high = (static_cast<float>(last) - 1.5f) / static_cast<float>(height);
            float v_a = (low - t0) / (t3 - t0);
            float v_b = (high - t0) / (t3 - t0);
            if (v_a > v_b) std::swap(v_a, v_b);
            v_a = std::max(v_a, 0.0f);
            v_b = std::min(v_b, 1.0f);
            if (!(v_a < v_b)) continue;
            std::vector<std::pair<float, float>> cut;
            for (const auto& [from, to] : keep) {
                if (v_b <= from || v_a >= to) {
                    cut.emplace_back(from, to);
                    continue;
                }
                if (v_a > from) cut.emplace_back(from, v_a);
                if (v_b < to) cut.emplace_back(v_b, to);
            }
            keep = std::move(cut);
        }
    }
    for (const auto& [from, to] : keep) {
        if (from == 0.0f && to == 1.0f) {
            for (int i = 0; i < 4; ++i) Emit_Corner(corners[i], texcoords[i]);
            continue;
        }
        // The edges at v = 0 and v = 1 are the quad's own corners, unchanged.
        float points[4][3];
        float coords[4][2];
        // Part corner i lies on the quad's edge from corner `lower` (v = 0) to `upper` (v = 1).
        const float v[4] = {from, from, to, to};
        const int lower_of[4] = {0, 1, 1, 0};
        for (int i = 0; i < 4; ++i) {
            const int lower = lower_of[i];
            const int upper = lower == 0 ? 3 : 2;
            const float* exact = v[i] == 0.0f   ? corners[lower]
                                 : v[i] == 1.0f ? corners[upper]
                                                : nullptr;
            for (int k = 0; k < 3; ++k) {
                points[i][k] =
                    exact != nullptr
                        ? exact[k]
                        : corners[lower][k] + v[i] * (corners[upper][k] - corners[lower][k]);
            }
            coords[i][0] = texcoords[lower][0];
            coords[i][1] = v[i] == 0.0f ? t0 : v[i] == 1.0f ? t3 : t0 + v[i] * (t3 - t0);
        }
        for (int i = 0; i < 4; ++i) Emit_Corner(points[i], coords[i]);
    }
}

}  // namespace

CTarvelWindow::CTarvelWindow(float near_plane, float far_plane, const char* log_path,
                             const char* banner)
    : Far_Plane(far_plane), Near_Plane(near_plane) {
    if (log_path != nullptr) {
        Log_File = Log_Open(log_path);
        Engine_Log = Log_File;
    }
    if (banner != nullptr) Log_Write(Log_File, 0, "%s", banner);
}

CTarvelWindow::~CTarvelWindow() {
    Texture_Prefetch_End();
    while (!Textures.empty()) Texture_Remove(0);
    GL_Cleanup();
    if (Engine_Log == Log_File) Engine_Log = nullptr;
    Log_Close(Log_File);
    Log_File = nullptr;
}

bool CTarvelWindow::Fail_Create(const char* text) {
    GL_Cleanup();
    Platform_Message_Box(text, "Error", ICON_WARNING);
    return false;
}

bool CTarvelWindow::GL_Create_Window(const char* title, int width, int height, int bits,
                                     bool fullscreen, bool resizable, bool centred,
                                     bool show_cursor) {
    Fullscreen = fullscreen;
    if (!Video_Ready()) {
        Platform_Message_Box("Could not register class", "Error", ICON_WARNING);
        return false;
    }
    Platform_Show_Cursor(show_cursor);

    int x = 0, y = 0;
    if (centred) {
        int screen_w = 0, screen_h = 0;
        Platform_Primary_Screen_Size(&screen_w, &screen_h);
        x = screen_w / 2 - width / 2;
        y = screen_h / 2 - (height + 30) / 2;
    }
    std::string error;
    Window_Handle =
        Platform_Window_Create(title, x, y, width, height, false, resizable, bits, &error);
    if (Window_Handle == nullptr) return Fail_Create("Could not create window");

    if (Fullscreen && !Platform_Window_Set_Fullscreen(Window_Handle, width, height, bits)) {
        if (Platform_Message_Box_Yes_No("The requested fullscreen mode is not supported by\nyour "
                                        "video card. Try to use windowed mode instead?",
                                        "Error", ICON_WARNING)) {
            Fullscreen = false;
        } else {
            Platform_Message_Box("The program will now close", "Error", ICON_ERROR);
            GL_Cleanup();
            return false;
        }
    }

    Context = Platform_GL_Create(Window_Handle, &error);
    if (Context == nullptr) return Fail_Create("Could not create rendering context");
    if (!Platform_GL_Make_Current(Window_Handle, Context)) {
        return Fail_Create("Could not activate rendering context");
    }
    // The loop draws as fast as the swaps let it: without the display's pace it would
    // keep a processor busy drawing frames nobody sees.
    Platform_GL_Pace_Swaps();

    Platform_Window_Show(Window_Handle);
    GL_Resize(width, height);
    GL_Init();
    if (fullscreen) {
        Log_Write(Engine_Log, 0, "CTarvelWindow::GL_Create_Window() :: fullscreen=[%ix%i]", width,
                  height);
    } else {
        Log_Write(Engine_Log, 0, "CTarvelWindow::GL_Create_Window() :: window=[%ix%i]", width,
                  height);
    }
    return true;
}

void CTarvelWindow::GL_Cleanup() {
    Platform_Show_Cursor(true);
    if (Context != nullptr) {
        Platform_GL_Make_Current(Window_Handle, nullptr);
        Platform_GL_Delete(Context);
        Context = nullptr;
    }
    if (Window_Handle != nullptr) {
        // Destroying a full-screen window restores the desktop's display mode.
        Platform_Window_Destroy(Window_Handle);
        Window_Handle = nullptr;
    }
    Log_Write(Engine_Log, 0, "CTarvelWindow::GL_Cleanup()");
}

void CTarvelWindow::GL_Resize(int width, int height) {
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    GL_Set_Perspective(45.0f, static_cast<float>(width) / static_cast<float>(height));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void CTarvelWindow::GL_Init() {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

void CTarvelWindow::GL_Set_Perspective(float fov_degrees, float aspect) {
    float half_angle = fov_degrees * 3.1415927f / 360.0f;
    float top = std::tan(half_angle) * Near_Plane;
    float right = top * aspect;
    glFrustum(-right, right, -top, top, Near_Plane, Far_Plane);
}

void CTarvelWindow::Handle_Messages() {
    if (!Platform_Peek_Message(&Message)) return;
    if (Message.type == MSG_QUIT) {
        Quit = true;
        return;
    }
    Window_Procedure(Message);
}

void CTarvelWindow::Window_Procedure(const Platform_Message& message) {
    switch (message.type) {
        case MSG_ACTIVATEAPP: Active = (message.wparam & 0xFFFFu) != 0; break;
        case MSG_SIZE: GL_Resize(message.low, message.high); break;
        case MSG_CLOSE: Platform_Post_Quit(0); break;
        case MSG_KEYDOWN: Keys[message.wparam & 0xFFu] = 1; break;
        case MSG_KEYUP: Keys[message.wparam & 0xFFu] = 0; break;
        default: break;  // screen saver requests are swallowed, the rest needs nothing
    }
}

void CTarvelWindow::Mode_2D(int texture_index) {
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    unsigned gl_name = texture_index >= 0 && texture_index < Texture_Count()
                           ? Textures[static_cast<size_t>(texture_index)].gl_name
                           : 0;
    glBindTexture(GL_TEXTURE_2D, gl_name);
    Current_Texture = texture_index;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    GL_Set_Perspective(45.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(-50.0f, -50.0f, -120.0f);
}

void CTarvelWindow::Mode_3D() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    GL_Set_Perspective(45.0f, static_cast<float>(Width) / static_cast<float>(Height));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

void CTarvelWindow::Draw_Quad(int texture_index, float red, float green, float blue,
                              float transparency, const float corners[4][3],
                              const float texcoords[4][2]) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(red, green, blue, 1.0f - transparency);
    if (texture_index == -1) {
        glDisable(GL_TEXTURE_2D);
        glBegin(GL_QUADS);
        for (int i = 0; i < 4; ++i) glVertex3fv(corners[i]);
        glEnd();
        glEnable(GL_TEXTURE_2D);
    } else {
        if (texture_index != Current_Texture) {
            glBindTexture(GL_TEXTURE_2D, Texture_Get_Data(texture_index));
            Current_Texture = texture_index;
        }
        // Transparent texels still write depth where the depth test is on, which can hide
        // what is drawn later: only without it are they left out.
        const bool depth_test = glIsEnabled(GL_DEPTH_TEST) == GL_TRUE;
        glBegin(GL_QUADS);
        if (!depth_test && texture_index >= 0 && texture_index < Texture_Count()) {
            const Texture_Entry& entry = Textures[static_cast<size_t>(texture_index)];
            Emit_Visible_Parts(corners, texcoords, entry.height, entry.clear_rows);
        } else {
            Emit_Visible_Parts(corners, texcoords, 0, {});
        }
        glEnd();
    }
    glDisable(GL_BLEND);
}

void CTarvelWindow::Get_Cursor_Position(int* x, int* y) const {
    Platform_Cursor_Position(Window_Handle, x, y);
}

void CTarvelWindow::Set_Cursor_Position(int x, int y) {
    Platform_Set_Cursor_Position(Window_Handle, x, y);
}

void CTarvelWindow::Begin_Frame() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}

void CTarvelWindow::Depth_Test(bool on) {
    if (on) {
        glEnable(GL_DEPTH_TEST);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
}

void CTarvelWindow::Swap_Buffers() { Platform_GL_Swap(Window_Handle); }

void CTarvelWindow::Set_Icon() {
    if (Window_Handle != nullptr) Platform_Window_Set_Icon(Window_Handle);
}
