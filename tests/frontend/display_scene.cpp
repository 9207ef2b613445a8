#include "tests/frontend/display_scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>

#include "engine/lighting.h"
#include "engine/start_up_files.h"
#include "frontend/match_keys.h"
#include "frontend/match_screen.h"
#include "game/match_frame.h"
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
    for (float t = 0.0f; t < seconds; t += dt) Match_Frame(match, match_context_, dt, false);
}

void Display_Scene::Frame(float dt) {
    window->Handle_Messages();
    elapsed = dt;
    window->Begin_Frame();
    Match_End_Rules(match, screen_state == SCREEN_MATCH);
    Match_Screen_Draw(*context);
    Match_Keys_Step(*context);
}

std::vector<Drawn_Vertex> Display_Scene::Frame_Vertices(float dt) {
    std::vector<GLfloat> buffer(std::size_t{1} << 23);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    Frame(dt);
    const GLint used = glRenderMode(GL_RENDER);
    if (used < 0) {
        std::fprintf(stderr, "the frame overflowed the feedback buffer\n");
        return {};
    }

    // The frame ends in the 3-D mode, whose projection its 3-D part drew with.
    GLdouble projection[16], modelview[16];
    GLint viewport[4];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(camera.position[0], camera.position[1], camera.position[2]);
    glRotatef(camera.rotation[0], 1.0f, 0.0f, 0.0f);
    glRotatef(camera.rotation[2], 0.0f, 0.0f, 1.0f);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glPopMatrix();

    // GL_3D_COLOR_TEXTURE: window x, y, depth; RGBA; s, t, r, q.
    constexpr int Vertex_Floats = 11;
    auto edge = [](double value, double low, double high) {
        return std::fabs(value - low) < 1e-3 || std::fabs(value - high) < 1e-3;
    };
    std::vector<Drawn_Vertex> vertices;
    for (GLint i = 0; i < used;) {
        const GLint token = static_cast<GLint>(buffer[static_cast<std::size_t>(i++)]);
        int count = 0;
        if (token == GL_POLYGON_TOKEN) {
            count = static_cast<int>(buffer[static_cast<std::size_t>(i++)]);
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            ++i;
            continue;
        } else {
            // Points, lines and pixel rectangles: none is drawn by the match screen.
            const bool line = token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN;
            i += (line ? 2 : 1) * Vertex_Floats;
            continue;
        }
        for (int k = 0; k < count; ++k, i += Vertex_Floats) {
            const GLfloat* v = &buffer[static_cast<std::size_t>(i)];
            GLdouble x = 0.0, y = 0.0, z = 0.0;
            gluUnProject(v[0], v[1], v[2], modelview, projection, viewport, &x, &y, &z);
            Drawn_Vertex out;
            out.at =
                Vector_Set(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
            for (int c = 0; c < 4; ++c) out.colour[c] = v[3 + c];
            out.s = v[7];
            out.t = v[8];
            out.clipped = edge(v[0], viewport[0], viewport[0] + viewport[2]) ||
                          edge(v[1], viewport[1], viewport[1] + viewport[3]) ||
                          edge(v[2], 0.0, 1.0);
            vertices.push_back(out);
        }
    }
    return vertices;
}

void Display_Scene::Pixel(int x, int y, unsigned char rgb[3]) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
}
