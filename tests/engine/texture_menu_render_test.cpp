// The generated pictures drawn the way the intro screen and the menu draw them, in a real
// 1440 x 1080 window (run under Xvfb). Checks what a player would see go wrong: a footer
// hiding the buttons, an empty intro. With TINDRAL_SHOTS set to a folder, the frames are
// also saved there as intro.png and menu.png.
#include <GL/gl.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/png.h"
#include "tests/engine/texture_test_support.h"
#include "tests/tools/assets_test_support.h"
#include "engine/start_up_files.h"

namespace {

constexpr int Width = 1440, Height = 1080;

class Menu_Render : public Texture_Fixture {
  protected:
    void SetUp() override {
        Texture_Fixture::SetUp();
        window.reset();
        window = std::make_unique<CTarvelWindow>(100.0f, 800.0f, log_path.c_str(), nullptr);
        window->Width = Width;
        window->Height = Height;
        ASSERT_TRUE(
            window->GL_Create_Window("Menu render", Width, Height, 16, false, false, false, true));
        Use_Built_Archive();
        ASSERT_TRUE(window->Font_List_Load("font_list.txt"));
        for (int i = 0; i < 16; ++i) ASSERT_EQ(window->Texture_Load(Start_Up_Textures[i], i), i);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    void Quad(int texture, float r, float g, float b, float transparency, float x0, float y0,
              float x1, float y1, const float tex[4][2] = nullptr) {
        const float corners[4][3] = {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}};
        const float plain[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        window->Draw_Quad(texture, r, g, b, transparency, corners, tex ? tex : plain);
    }

    // Text as the game's text drawing lays it out: glyph cells of the font list, each
    // centred on the line, advanced by its width plus a gap of 0.12 x size x aspect.
    // `this` counts as the first argument of the format attribute.
    __attribute__((format(printf, 8, 9))) void Text(float x, float y, float size, float grey,
                                                    bool centre, bool right, const char* format,
                                                    ...) {
        char text[256] = {};
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        float a = float(Height) / float(Width), gap = a * size * 0.12f;
        float width = 0;
        for (const char* c = text; *c; ++c) {
            const float* m = window->Font_Metrics[int(*c) & 127];
            width += 10 * size * a * (m[1] + 1 - m[0]) / 256 + gap;
        }
        float pen = centre ? x - width * 0.5f : (right ? x - width : x);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(grey, grey, grey, 1);
        glBegin(GL_QUADS);
        for (const char* c = text; *c; ++c) {
            const float* m = window->Font_Metrics[int(*c) & 127];
            float s0 = m[0] / 256, s1 = (m[1] + 1) / 256, t0 = (255 - m[2]) / 256,
                  t1 = (256 - m[3]) / 256;
            float w = 10 * size * a * (s1 - s0), h = 10 * size * (t1 - t0);
            glTexCoord2f(s0, t0), glVertex3f(pen, y - h / 2, 0);
            glTexCoord2f(s1, t0), glVertex3f(pen + w, y - h / 2, 0);
            glTexCoord2f(s1, t1), glVertex3f(pen + w, y + h / 2, 0);
            glTexCoord2f(s0, t1), glVertex3f(pen, y + h / 2, 0);
            pen += w + gap;
        }
        glEnd();
    }

    // RGB of the frame at 2-D coordinates (0..100 each way, origin bottom left).
    void Pixel(float x, float y, unsigned char rgb[3]) {
        glReadPixels(int(x / 100 * Width), int(y / 100 * Height), 1, 1, GL_RGB, GL_UNSIGNED_BYTE,
                     rgb);
    }

    void Save(const char* name) {
        const char* shots = std::getenv("TINDRAL_SHOTS");
        if (shots == nullptr || shots[0] == '\0') return;
        std::vector<std::uint8_t> rows(size_t(Width) * Height * 4), top_first(rows.size());
        glReadPixels(0, 0, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
        for (int y = 0; y < Height; ++y) {
            std::copy_n(&rows[size_t(Height - 1 - y) * Width * 4], size_t(Width) * 4,
                        &top_first[size_t(y) * Width * 4]);
        }
        for (size_t i = 3; i < top_first.size(); i += 4) top_first[i] = 255;
        EXPECT_TRUE(Png_Write_RGBA((std::string(shots) + "/" + name).c_str(), Width, Height,
                                   top_first.data()));
    }
};

TEST_F(Menu_Render, IntroShowsATitleCard) {
    window->Mode_2D(1);
    Quad(8, 1, 1, 1, 0, 30, 30, 70, 70);
    window->Mode_3D();
    glFinish();
    Save("intro.png");
    unsigned char outside[3], title_max = 0;
    Pixel(20, 50, outside);
    EXPECT_EQ(outside[0] + outside[1] + outside[2], 0);
    // The title's letters, bright, in the card's upper part.
    for (float y = 61; y < 66; y += 0.5f) {
        for (float x = 35; x < 65; x += 0.25f) {
            unsigned char p[3];
            Pixel(x, y, p);
            title_max = std::max<unsigned char>(title_max, std::min({p[0], p[1], p[2]}));
        }
    }
    EXPECT_GT(title_max, 200);
    // The arena in its lower part is lit, not the black of the screen.
    unsigned char arena[3];
    Pixel(50, 42, arena);
    EXPECT_GT(arena[0] + arena[1] + arena[2], 90);
}

TEST_F(Menu_Render, FooterLeavesTheButtonsVisible) {
    const float aspect = float(Width) / float(Height), T1 = aspect * 1.8f, T2 = aspect * 2.4f;
    const float F = aspect * 19.65f, G = F * 0.26f;
    window->Mode_2D(1);
    // Blocks and their titles at the start-up anchors.
    struct Block {
        float x, y, bottom, right;
        int title;
    };
    const Block blocks[] = {{11.1f, 91.0f, 9.4f, 32.5f, 10},
                            {54.4f, 91.0f, 16.2f, 26.0f, 13},
                            {54.4f, 73.6f, 19.6f, 32.5f, 14}};
    for (const Block& b : blocks) {
        Quad(-1, 0.5f, 0.5f, 0.5f, 0, b.x + 2, b.y - b.bottom, b.x + b.right, b.y - 6);
        Quad(b.title, 1, 1, 1, 0, b.x + 2, b.y - 5.8f, b.x + 17.6f, b.y - 5.8f + T1);
    }
    // Buttons: bar, fill (New game hovered, the rest not), label.
    struct Button {
        float anchor_x, width;
        float r, g, b;
        int label;
        float label_width;
        float hover;
    };
    const Button buttons[] = {{19.7f, 13.6f, 0, 1, 0, 12, 19.3f, 1},
                              {40.4f, 11.5f, 0, 1, 0, 9, 19.3f, 0},
                              {59.2f, 10.5f, 0, 0, 1, 15, 19.4f, 0},
                              {76.9f, 5.9f, 1, 0, 0, 11, 19.4f, 1}};
    for (const Button& b : buttons) {
        float x = b.anchor_x - 0.7f, y = 15.0f, top = y + 3.7f;
        Quad(-1, b.r, b.g, b.b, 0, x, y + 0.25f, x + 0.2f, top - 0.25f);
        if (b.hover > 0) Quad(-1, b.r, b.g, b.b, 0.5f, x, y, x + b.width * b.hover, top);
        Quad(b.label, 1, 1, 1, 0, b.anchor_x, 15.0f, b.anchor_x + b.label_width, 15.0f + T2);
    }
    const float left_1[4][2] = {{1, 1}, {0.01f, 1}, {0.01f, 0.5f}, {1, 0.5f}};
    const float right_1[4][2] = {{0.01f, 0}, {1, 0}, {1, 0.5f}, {0.01f, 0.5f}};
    const float left_2[4][2] = {{1, 1}, {0.01f, 1}, {0.01f, 0.75f}, {1, 0.75f}};
    const float right_2[4][2] = {{0.01f, 0}, {1, 0}, {1, 0.25f}, {0.01f, 0.25f}};
    Quad(6, 1, 1, 1, 0, 0.3f, 0.3f, 50, F, left_1);
    Quad(6, 1, 1, 1, 0, 50, 0.3f, 99.7f, F, right_1);
    Quad(7, 1, 1, 1, 0, 0.3f, 0.3f, 40.1f, G, left_2);
    Quad(7, 1, 1, 1, 0, 59.9f, 0.3f, 99.7f, G, right_2);
    // Menu texts at size 2, as the game lays them out.
    window->Mode_3D();
    window->Mode_2D(1);
    Text(11.1f + 17.25f, 91 - 8, 2, 0, true, false, "Timed (3 min)");
    Text(11.1f + 3.7f, 91 - 8, 2, 1, false, false, "<  <  <");
    Text(11.1f + 26.2f, 91 - 8, 2, 0, false, false, ">  >  >");
    const char* options[3][2] = {
        {"Sound", "On"}, {"Camera View", "Side"}, {"Upload High Scores", "Off"}};
    for (int k = 0; k < 3; ++k) {
        Text(54.4f + 2.8f, 91 - 8 - 3.4f * float(k), 2, k == 1 ? 1.0f : 0.0f, false, false, "%s",
             options[k][0]);
        Text(54.4f + 21.8f, 91 - 8 - 3.4f * float(k), 2, k == 1 ? 1.0f : 0.0f, false, false, "%s",
             options[k][1]);
    }
    const char* players[4][2] = {{"Top", "Computer"},
                                 {"Bottom", "Keyboard [Arrow keys]"},
                                 {"Left", "Keyboard [W, A, S, D]"},
                                 {"Right", "None"}};
    for (int k = 0; k < 4; ++k) {
        Text(54.4f + 3, 73.6f - 8 - 3.4f * float(k), 2, 0, false, false, "%s", players[k][0]);
        Text(54.4f + 31.8f, 73.6f - 8 - 3.4f * float(k), 2, 0, false, true, "%s", players[k][1]);
    }
    Text(10 + 15, 37.5f + 6.3f, 1.5f, 1, false, true, "Spheres");
    Text(10 + 15, 37.5f, 1.5f, 1, false, false, "No high scores available");
    Text(3, 95, 4, 1, false, false, "%i:%.2i.%i", 2, 5, 4);
    window->Mode_3D();
    glFinish();
    Save("menu.png");

    // Inside the hovered New game button, right of its text, the green fill shows.
    unsigned char fill[3];
    Pixel(32.2f, 16.0f, fill);
    EXPECT_GT(fill[1], 100);
    EXPECT_LT(fill[0] + fill[2], fill[1] / 2);
    unsigned char exit_fill[3];
    Pixel(81.8f, 18.3f, exit_fill);
    EXPECT_GT(exit_fill[0], 100);
    // Each label's white text is seen on its button.
    for (const Button& b : buttons) {
        int white = 0;
        for (float x = b.anchor_x; x < b.anchor_x + b.width - 0.7f; x += 0.1f) {
            unsigned char p[3];
            Pixel(x, 15.0f + T2 * 0.5f, p);
            white += p[0] > 200 && p[1] > 200 && p[2] > 200;
        }
        EXPECT_GT(white, 3) << "label " << b.label;
    }
}

// The arena as the match display draws it: camera, distance fade from the centre, the
// models with their own textures, spheres at the timed start, paddles, two wall scores.
class Arena_Render : public Menu_Render {
  protected:
    struct Placed {
        Test_Model model;
        std::vector<int> slots;
    };
    Placed Load(const char* name) {
        Placed p;
        std::string error;
        EXPECT_TRUE(Parse_Model(Archive_Member("models.pak", name), &p.model, &error)) << error;
        for (const std::string& t : p.model.textures)
            p.slots.push_back(window->Texture_Load(t.c_str(), -1));
        return p;
    }
    void Draw(const Placed& p, float ox, float oy, float oz, bool turn, float r, float g, float b) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        for (const Test_Face& f : p.model.faces) {
            glBindTexture(GL_TEXTURE_2D, window->Texture_Get_Data(p.slots[size_t(f.texture)]));
            glBegin(GL_TRIANGLES);
            Test_Vertex v[3];
            for (int k = 0; k < 3; ++k) {
                v[k] = p.model.points[size_t(f.corner[k])];
                if (turn) v[k] = Test_Vertex{-v[k].y, v[k].x, v[k].z};
                v[k].x += ox, v[k].y += oy, v[k].z += oz;
            }
            float ux = v[1].x - v[0].x, uy = v[1].y - v[0].y, uz = v[1].z - v[0].z;
            float wx = v[2].x - v[0].x, wy = v[2].y - v[0].y, wz = v[2].z - v[0].z;
            float nx = uy * wz - uz * wy, ny = uz * wx - ux * wz, nz = ux * wy - uy * wx;
            float nl = std::sqrt(nx * nx + ny * ny + nz * nz);
            for (int k = 0; k < 3; ++k) {
                float fade =
                    1.0f - std::min(std::sqrt(v[k].x * v[k].x + v[k].y * v[k].y + v[k].z * v[k].z),
                                    250.0f) /
                               250.0f;
                glNormal3f(nx / nl, ny / nl, nz / nl);
                glColor4f(r * fade, g * fade, b * fade, 1);
                glTexCoord2f(f.uv[k][0], f.uv[k][1]);
                glVertex3f(v[k].x, v[k].y, v[k].z);
            }
            glEnd();
        }
        glDisable(GL_BLEND);
    }
    void Camera(bool top) {
        window->Mode_3D();
        if (top) {
            glTranslatef(0, 0, -525);
            glRotatef(359, 1, 0, 0);
        } else {
            glTranslatef(0, 20, -435);
            glRotatef(320, 1, 0, 0);
        }
    }
    // A wall score, drawn on the inner face of the Top or Bottom goal's back as the match
    // display does, with the digit cells of "font_old.png".
    void Score(bool top, const char* text) {
        int n = int(std::strlen(text));
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBindTexture(GL_TEXTURE_2D, window->Texture_Get_Data(0));
        glColor4f(1, 0.85f, 0.3f, 1);
        for (int i = 0; i < n; ++i) {
            char c = top ? text[i] : text[n - 1 - i];
            float s = 0.5f, t = 0.5f;
            const char* upper = "012345";
            const char* lower = "6789";
            if (const char* at = std::strchr(upper, c))
                s = 0.25f + 0.125f * float(at - upper), t = 0.625f;
            if (const char* at = std::strchr(lower, c)) s = 0.125f * float(at - lower), t = 0.5f;
            float a = -16.0f * float(n) + 30.5f * float(i), b = a + 33;
            float y = top ? 189.0f : -189.0f;
            float first = top ? a : b, second = top ? b : a;  // Bottom's inner face reads from +x
            glBegin(GL_QUADS);
            glTexCoord2f(s, t - 0.125f), glVertex3f(first, y, 9);
            glTexCoord2f(s + 0.125f, t - 0.125f), glVertex3f(second, y, 9);
            glTexCoord2f(s + 0.125f, t), glVertex3f(second, y, 42);
            glTexCoord2f(s, t), glVertex3f(first, y, 42);
            glEnd();
        }
        glDisable(GL_BLEND);
    }
    void Scene(bool top) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        Placed ground = Load("ground.dat"), wall = Load("wall.dat"), paddle = Load("paddle.dat"),
               sphere = Load("sphere.dat");
        Camera(top);
        Draw(ground, 0, 0, 0, false, 1, 1, 1);
        Draw(wall, 0, 0, 0, false, 1, 1, 1);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glEnable(GL_COLOR_MATERIAL);
        const float colours[3][3] = {
            {0, 0.16862746f, 0.78431374f}, {0.9098039f, 0, 0.07058824f}, {1, 1, 1}};
        const float at[3][2] = {{-40, -40}, {0, 0}, {40, 40}};
        for (int i = 0; i < 3; ++i)
            Draw(sphere, at[i][0], at[i][1], 10, false, colours[i][0], colours[i][1],
                 colours[i][2]);
        Draw(paddle, 20, 130, 0, false, 1, 1, 1);
        Draw(paddle, -35, -130, 0, false, 1, 1, 1);
        Draw(paddle, -130, 10, 0, true, 1, 1, 1);
        Draw(paddle, 130, -45, 0, true, 1, 1, 1);
        glDisable(GL_LIGHTING);
        Score(true, "3");
        Score(false, "12");
        window->Mode_3D();
        glFinish();
    }
};

TEST_F(Arena_Render, FloorWallsAndNetsShowFromBothCameras) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float light[4] = {0, 0, 0, 1}, black[4] = {0, 0, 0, 1}, white[4] = {1, 1, 1, 1},
                half[4] = {0.5f, 0.5f, 0.5f, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    glLightfv(GL_LIGHT0, GL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, half);
    for (bool top : {false, true}) {
        Scene(top);
        Save(top ? "arena_top.png" : "arena_side.png");
        // The floor around the centre is lit; beyond the arena the screen stays dark.
        unsigned char centre[3], corner[3];
        Pixel(50, top ? 58 : 45, centre);
        Pixel(2, 98, corner);
        EXPECT_GT(centre[0] + centre[1] + centre[2], 150) << (top ? "top" : "side");
        EXPECT_LT(corner[0] + corner[1] + corner[2], 30) << (top ? "top" : "side");
    }
}

}  // namespace
