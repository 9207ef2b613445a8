// The match display in a real window under Xvfb, with the game's own font, textures and
// models: text lands where its layout says and upright, a match frame shows the arena and
// the clock, the wall numbers are painted, and F1 swings the camera to the top view.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "frontend/match_keys.h"
#include "frontend/match_screen.h"
#include "frontend/menu.h"
#include "frontend/text.h"
#include "game/match_frame.h"
#include "tests/frontend/display_scene.h"

namespace {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // bottom row first
    const unsigned char* At(int x, int y) const { return &rgb[3 * (y * width + x)]; }
};

Image Read_Back(const CTarvelWindow& window) {
    Image image;
    image.width = window.Width;
    image.height = window.Height;
    image.rgb.resize(3u * image.width * image.height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE, image.rgb.data());
    return image;
}

bool Bright(const unsigned char* p) {
    return p[0] > 160 && p[1] > 160 && p[2] > 160;
}
bool Number_Yellow(const unsigned char* p) {
    return p[0] > 150 && p[1] > 130 && p[2] < 120;
}

class DisplayGl : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        scene = new Display_Scene("");
        if (!scene->Open()) {
            delete scene;
            scene = nullptr;
        }
    }
    static void TearDownTestSuite() {
        delete scene;
        scene = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(scene, nullptr) << "no window, or data/textures.pak missing";
        scene->settings = Game_Settings();
        for (int& code : scene->settings.Side_Controller) code = CONTROLLER_COMPUTER;
        scene->settings.CameraView = 1;
        Camera_Place(scene->camera, 1);
        scene->fader.To = SCREEN_MATCH;
    }
    // Pixel column/row of a point of the 2-D space (the square 45-degree frustum at depth
    // 120 spans 50 +- 120 tan 22.5 degrees across the whole viewport).
    static float Pixel_X(float x) {
        const float half = 120.0f * std::tan(22.5f * 3.14159265f / 180.0f);
        return (x - 50.0f) / half * scene->window->Width / 2.0f + scene->window->Width / 2.0f;
    }
    static float Pixel_Y(float y) {
        const float half = 120.0f * std::tan(22.5f * 3.14159265f / 180.0f);
        return (y - 50.0f) / half * scene->window->Height / 2.0f + scene->window->Height / 2.0f;
    }
    static Display_Scene* scene;
};

Display_Scene* DisplayGl::scene = nullptr;

TEST_F(DisplayGl, TextLandsOnItsLayoutAndUpright) {
    CTarvelWindow& window = *scene->window;
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    window.Mode_2D(1);
    Text_Draw(window, 40.0f, 50.0f, 8.0f, 1.0f, 1.0f, 1.0f, 1, 0, "%s", "T");
    window.Mode_3D();
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const Image image = Read_Back(window);

    Text_Layout layout;
    Text_Layout_Line(window.Font_Metrics, window.Width, window.Height, 40.0f, 50.0f, 8.0f, 1, 0,
                     "T", layout);
    ASSERT_EQ(layout.count, 1);
    const Text_Quad& q = layout.quads[0];
    const int x0 = static_cast<int>(Pixel_X(q.x0)), x1 = static_cast<int>(Pixel_X(q.x1));
    const int y0 = static_cast<int>(Pixel_Y(q.y0)), y1 = static_cast<int>(Pixel_Y(q.y1));
    ASSERT_GT(x1 - x0, 10);
    ASSERT_GT(y1 - y0, 10);

    int inside = 0, outside = 0, top_rows = 0, bottom_rows = 0;
    const int band = (y1 - y0) / 5;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (!Bright(image.At(x, y))) continue;
            const bool in = x >= x0 - 2 && x <= x1 + 2 && y >= y0 - 2 && y <= y1 + 2;
            (in ? inside : outside) += 1;
            if (in && y >= y1 - band) ++top_rows;
            if (in && y <= y0 + band) ++bottom_rows;
        }
    }
    EXPECT_GT(inside, 100);
    EXPECT_EQ(outside, 0);
    // A "T" has its bar at the top: upside down, the stem would be there.
    EXPECT_GT(top_rows, 2 * bottom_rows);
}

TEST_F(DisplayGl, MatchFrameShowsArenaClockAndWallNumbers) {
    scene->Setup(0);
    scene->Simulate(0.5f);
    for (Side& side : scene->match.sides) side.score = 0.0f;
    scene->match.sides[SIDE_TOP].score = 88.0f;

    scene->Frame(0.0f);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const Image with_number = Read_Back(*scene->window);

    // The clock "2:59.5" in the top-left corner, white on black.
    int clock = 0;
    for (int y = static_cast<int>(Pixel_Y(93.0f)); y < Pixel_Y(97.0f); ++y) {
        for (int x = static_cast<int>(Pixel_X(2.0f)); x < Pixel_X(15.0f); ++x) {
            clock += Bright(with_number.At(x, y)) ? 1 : 0;
        }
    }
    EXPECT_GT(clock, 200);
    // The arena floor fills the middle of the screen.
    const unsigned char* middle = with_number.At(with_number.width / 2, with_number.height / 2);
    EXPECT_GT(middle[0] + middle[1] + middle[2], 60);

    // The same frame with Top out of the match: no number on its wall.
    scene->match.sides[SIDE_TOP].closed = true;
    scene->Frame(0.0f);
    const Image without = Read_Back(*scene->window);
    int added = 0, added_low = 0;
    for (int y = 0; y < with_number.height; ++y) {
        for (int x = 0; x < with_number.width; ++x) {
            if (!Number_Yellow(with_number.At(x, y)) || Number_Yellow(without.At(x, y))) continue;
            ++added;
            added_low += y < with_number.height / 2 ? 1 : 0;
        }
    }
    EXPECT_GT(added, 300);    // two digits of the Top score
    EXPECT_EQ(added_low, 0);  // all on the far (top) wall
}

// The menu's live view keeps its pixels while the match behind the menu stands still. What
// it puts back must be what drawing the match screen into the viewport shows, and it must
// follow every change the view shows (a sphere, a launch arrow, the heads-up clock, the
// camera's swing), leaving the same OpenGL state behind either way.
TEST_F(DisplayGl, MenuLiveViewShowsWhatTheMatchScreenDraws) {
    CTarvelWindow& window = *scene->window;
    const int x = static_cast<int>(0.145 * window.Width),
              y = static_cast<int>(0.542 * window.Height);
    const int w = static_cast<int>(0.276 * window.Width),
              h = static_cast<int>(0.276 * window.Height);
    auto view_pixels = [&](const Image& image) {
        std::vector<unsigned char> rgb;
        for (int row = y; row < y + h; ++row) {
            const unsigned char* start = image.At(x, row);
            rgb.insert(rgb.end(), start, start + 3 * w);
        }
        return rgb;
    };
    Menu_State menu;
    Menu_Layout_Set(menu.layout);
    scene->context->menu = &menu;
    scene->screen_state = SCREEN_MENU;
    scene->elapsed = 1.0f / 60.0f;
    // The live view as the menu draws it, with the state it leaves.
    struct Frame_Result {
        std::vector<unsigned char> view;
        GLint viewport[4];
        GLboolean blend, depth, lighting, texturing;
        GLint texture;
        bool redrawn;  // the arena was drawn again: the view's depths are not all cleared
    };
    auto menu_frame = [&] {
        window.Begin_Frame();
        Menu_Screen_Step(*scene->context);
        Frame_Result r;
        glGetIntegerv(GL_VIEWPORT, r.viewport);
        r.blend = glIsEnabled(GL_BLEND);
        r.depth = glIsEnabled(GL_DEPTH_TEST);
        r.lighting = glIsEnabled(GL_LIGHTING);
        r.texturing = glIsEnabled(GL_TEXTURE_2D);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &r.texture);
        r.view = view_pixels(Read_Back(window));
        std::vector<float> depths(static_cast<size_t>(w) * h);
        glReadPixels(x, y, w, h, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
        r.redrawn = std::any_of(depths.begin(), depths.end(), [](float d) { return d < 1.0f; });
        return r;
    };
    // The same frame drawing the match screen straight into the viewport.
    auto drawn_directly = [&] {
        const Camera camera = scene->camera;
        window.Begin_Frame();
        glViewport(x, y, w, h);
        Match_Screen_Draw(*scene->context);
        glViewport(0, 0, window.Width, window.Height);
        scene->camera = camera;
        return view_pixels(Read_Back(window));
    };

    scene->Setup(0);
    scene->match.phase = PHASE_NEW;
    scene->Simulate(1.5f);
    const std::vector<unsigned char> expected = drawn_directly();
    const Frame_Result drawn = menu_frame();
    const Frame_Result kept = menu_frame();
    EXPECT_TRUE(drawn.redrawn);
    EXPECT_FALSE(kept.redrawn);
    EXPECT_TRUE(drawn.view == expected);
    EXPECT_TRUE(kept.view == expected);
    EXPECT_TRUE(std::equal(kept.viewport, kept.viewport + 4, drawn.viewport));
    EXPECT_EQ(kept.viewport[2], window.Width);
    EXPECT_EQ(kept.blend, drawn.blend);
    EXPECT_EQ(kept.depth, drawn.depth);
    EXPECT_EQ(kept.lighting, drawn.lighting);
    EXPECT_EQ(kept.texturing, drawn.texturing);
    EXPECT_EQ(kept.texture, drawn.texture);

    const struct {
        const char* what;
        std::function<void()> change;
    } changes[] = {
        {"a sphere moves",
         [&] { scene->match.spheres[0].model.Move(Vector_Set(30, 20, 0), true); }},
        {"a launch arrow fades", [&] { scene->match.spheres[1].launch_timer = 0.3f; }},
        {"the heads-up clock", [&] { scene->match.match_clock -= 1.0f; }},
        {"the camera swings round", [&] { scene->settings.CameraView = 0; }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        const std::vector<unsigned char> before = menu_frame().view;
        c.change();
        const std::vector<unsigned char> now = drawn_directly();
        EXPECT_FALSE(now == before);
        const Frame_Result changed = menu_frame();
        EXPECT_TRUE(changed.redrawn);
        EXPECT_TRUE(changed.view == now);
        const std::vector<unsigned char> next = drawn_directly();
        EXPECT_TRUE(menu_frame().view == next);
    }
    scene->context->menu = nullptr;
    scene->settings.CameraView = 1;
}

// Everything the simulation and the end rules own, as text to compare (floats exactly).
std::string Match_State(const Match& match) {
    std::ostringstream text;
    text << std::hexfloat;
    text << "phase " << match.phase << " clock " << match.match_clock << " spheres "
         << match.sphere_count << " speed " << match.sphere_speed << " last "
         << match.last_goal_side << " end " << match.end.state << " escapes " << match.escapes
         << " ranking";
    for (int side : match.end.ranking) text << ' ' << side;
    for (const Side& side : match.sides) {
        text << "\nside " << side.score << ' ' << side.closed << ' ' << side.open_time << ' '
             << side.best_time << " at " << side.paddle.position.x << ' '
             << side.paddle.position.y;
    }
    for (const Sphere& sphere : match.spheres) {
        text << "\nsphere " << sphere.model.position.x << ' ' << sphere.model.position.y << ' '
             << sphere.model.velocity.x << ' ' << sphere.model.velocity.y << ' ' << sphere.parked
             << ' ' << sphere.launch_timer;
    }
    return text.str();
}

// Drawing only shows what the frame's end rule decided: in play, at every kind of end, and
// with a run's time up but no rule applied yet, drawing the match screen (also twice)
// leaves the match as it was and types no name.
TEST_F(DisplayGl, DrawingChangesNoMatchState) {
    struct Case {
        int level;
        float seconds;
        int end;  // after the rule; -1: the rule is not applied before drawing
    } cases[] = {{0, 2.0f, END_NONE},    {0, 181.0f, END_SUDDEN_DEATH}, {3, 1.0f, END_RANKED},
                 {6, 151.0f, END_RUN_OVER}, {6, 149.99f, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        scene->Setup(c.level);
        // A countdown is won by the last side standing: Top, Left and Right are out.
        if (c.end == END_RANKED) {
            for (int side : {SIDE_TOP, SIDE_LEFT, SIDE_RIGHT}) {
                scene->match.sides[side].closed = true;
            }
        }
        scene->Simulate(c.seconds, 1.0f / 30.0f);
        if (c.end >= 0) {
            Match_End_Rules(scene->match, true);
            if (c.end != END_SUDDEN_DEATH || scene->match.end.state != END_RANKED) {
                EXPECT_EQ(scene->match.end.state, c.end);
            }
        } else {
            scene->match.match_clock = -0.01f;
        }
        scene->player_name = "Ann";
        scene->window->Keys['B'] = 1;
        const std::string before = Match_State(scene->match);
        for (int frame = 0; frame < 2; ++frame) {
            scene->window->Begin_Frame();
            Match_Screen_Draw(*scene->context);
            EXPECT_EQ(Match_State(scene->match), before) << "frame " << frame;
            EXPECT_EQ(scene->player_name, "Ann");
        }
        scene->window->Keys['B'] = 0;
    }
}

TEST_F(DisplayGl, F1SwingsTheCameraToTheTopViewAndF2Back) {
    scene->Setup(0);
    scene->window->Keys[KEY_F1] = 1;
    scene->Frame(0.1f);
    scene->window->Keys[KEY_F1] = 0;
    EXPECT_EQ(scene->settings.CameraView, 0);
    EXPECT_EQ(scene->camera.rotation[0], 320.0f);  // the keys come after the drawing
    scene->Frame(0.1f);
    EXPECT_GT(scene->camera.rotation[0], 320.0f);  // the swing has begun
    EXPECT_LT(scene->camera.rotation[0], 359.0f);
    for (int i = 0; i < 30; ++i) scene->Frame(0.1f);
    EXPECT_FLOAT_EQ(scene->camera.rotation[0], 359.0f);
    EXPECT_FLOAT_EQ(scene->camera.position[1], 0.0f);
    EXPECT_FLOAT_EQ(scene->camera.position[2], -525.0f);

    scene->window->Keys[KEY_F2] = 1;
    scene->Frame(0.0f);
    scene->window->Keys[KEY_F2] = 0;
    for (int i = 0; i < 30; ++i) scene->Frame(0.1f);
    EXPECT_FLOAT_EQ(scene->camera.rotation[0], 320.0f);
    EXPECT_FLOAT_EQ(scene->camera.position[2], -435.0f);
}

// The camera straight above the arena's centre, looking down on all four walls.
void Camera_Above(Camera& camera) {
    for (float& r : camera.rotation) r = 0.0f;
    camera.position[0] = camera.position[1] = 0.0f;
    camera.position[2] = -600.0f;
}

bool Near(float a, float b, float tolerance = 0.01f) {
    return std::fabs(a - b) <= tolerance;
}

// A corner with its texture coordinate, in arena units.
struct Corner {
    float x, y, z, s, t;
};

std::string Describe(const Corner& c) {
    char text[96];
    std::snprintf(text, sizeof text, "(%.2f, %.2f, %.2f) st (%.3f, %.3f)", c.x, c.y, c.z, c.s, c.t);
    return text;
}

bool Same_Corner(const Corner& a, const Corner& b) {
    return Near(a.x, b.x) && Near(a.y, b.y) && Near(a.z, b.z) && Near(a.s, b.s, 1e-4f) &&
           Near(a.t, b.t, 1e-4f);
}

// Whether `corners` holds one the same as `c`.
bool Has_Corner(const std::vector<Corner>& corners, const Corner& c) {
    return std::any_of(corners.begin(), corners.end(),
                       [&](const Corner& o) { return Same_Corner(o, c); });
}

// The distinct corners among `vertices` (each quad arrives as two triangles).
std::vector<Corner> Distinct(const std::vector<Drawn_Vertex>& vertices) {
    std::vector<Corner> out;
    for (const Drawn_Vertex& v : vertices) {
        const Corner c{v.at.x, v.at.y, v.at.z, v.s, v.t};
        if (!Has_Corner(out, c)) out.push_back(c);
    }
    return out;
}

// Empty when `drawn` holds exactly the corners `expected`; otherwise what differs.
std::string Corner_Difference(const std::vector<Corner>& drawn,
                              const std::vector<Corner>& expected) {
    std::string difference;
    auto missing = [](const std::vector<Corner>& from, const std::vector<Corner>& in) {
        std::vector<Corner> out;
        for (const Corner& c : from) {
            if (!Has_Corner(in, c)) out.push_back(c);
        }
        return out;
    };
    for (const Corner& c : missing(expected, drawn)) difference += "\n  not drawn: " + Describe(c);
    for (const Corner& c : missing(drawn, expected))
        difference += "\n  drawn, not expected: " + Describe(c);
    return difference;
}

// Each side's score on both faces of the wall behind its goal, so that it reads left to
// right from inside the arena and from outside: the digits' cells, their spans along the
// wall and which end of its span each cell's left edge takes.
TEST_F(DisplayGl, WallNumbersReadOnBothFacesOfEveryWall) {
    scene->Setup(0);
    const float scores[Side_Count] = {12.0f, 34.0f, 56.0f, 90.0f};  // Top, Bottom, Left, Right
    for (int s = 0; s < Side_Count; ++s) scene->match.sides[s].score = scores[s];
    Camera_Above(scene->camera);
    const std::vector<Drawn_Vertex> vertices = scene->Frame_Vertices(0.0f);
    ASSERT_FALSE(vertices.empty());

    // The upper-left corner (s, t) of each digit's cell in the digit image.
    auto cell = [](char digit, float* s, float* t) {
        static const float Cells[10][2] = {
            {0.25f, 0.625f},  {0.375f, 0.625f}, {0.5f, 0.625f}, {0.625f, 0.625f}, {0.75f, 0.625f},
            {0.875f, 0.625f}, {0.0f, 0.5f},     {0.125f, 0.5f}, {0.25f, 0.5f},    {0.375f, 0.5f}};
        *s = Cells[digit - '0'][0];
        *t = Cells[digit - '0'][1];
    };
    struct Digit {
        char digit;
        float left_edge;   // where the cell's left edge goes along the wall
        float right_edge;  // and its right edge
    };
    struct Face {
        const char* name;
        bool along_x;  // Top and Bottom run along x at y = line; Left and Right along y
        float line;
        Digit digits[2];  // by their span: from -32 to 1, then from -1.5 to 31.5
    };
    const Face faces[] = {
        {"Top inner", true, 189.0f, {{'1', -32.0f, 1.0f}, {'2', -1.5f, 31.5f}}},
        {"Top outer", true, 191.0f, {{'2', 1.0f, -32.0f}, {'1', 31.5f, -1.5f}}},
        {"Bottom inner", true, -189.0f, {{'4', 1.0f, -32.0f}, {'3', 31.5f, -1.5f}}},
        {"Bottom outer", true, -191.0f, {{'3', -32.0f, 1.0f}, {'4', -1.5f, 31.5f}}},
        {"Left inner", false, -189.0f, {{'5', -32.0f, 1.0f}, {'6', -1.5f, 31.5f}}},
        {"Left outer", false, -191.0f, {{'6', 1.0f, -32.0f}, {'5', 31.5f, -1.5f}}},
        {"Right inner", false, 189.0f, {{'0', 1.0f, -32.0f}, {'9', 31.5f, -1.5f}}},
        {"Right outer", false, 191.0f, {{'9', -32.0f, 1.0f}, {'0', -1.5f, 31.5f}}},
    };
    for (const Face& face : faces) {
        SCOPED_TRACE(face.name);
        // Cells stand from height 9 (their lower edge, t - 0.125) to 42 (t).
        std::vector<Corner> expected;
        for (const Digit& d : face.digits) {
            float s = 0.0f, t = 0.0f;
            cell(d.digit, &s, &t);
            const float along[4] = {d.left_edge, d.right_edge, d.right_edge, d.left_edge};
            const float z[4] = {9.0f, 9.0f, 42.0f, 42.0f};
            const float u[4] = {s, s + 0.125f, s + 0.125f, s};
            const float v[4] = {t - 0.125f, t - 0.125f, t, t};
            for (int c = 0; c < 4; ++c) {
                expected.push_back(face.along_x ? Corner{along[c], face.line, z[c], u[c], v[c]}
                                                : Corner{face.line, along[c], z[c], u[c], v[c]});
            }
        }
        std::vector<Drawn_Vertex> on_face;
        for (const Drawn_Vertex& v : vertices) {
            const float across = face.along_x ? v.at.y : v.at.x;
            if (!v.clipped && Near(across, face.line) &&
                (Near(v.at.z, 9.0f) || Near(v.at.z, 42.0f))) {
                on_face.push_back(v);
            }
        }
        EXPECT_EQ(Corner_Difference(Distinct(on_face), expected), "");
    }
}

// The arrow under a sphere waiting to launch: a square of 250k with the sphere at the middle
// of one edge, turned by the heading of the sphere's velocity (so that it points a quarter
// turn on from the velocity, where the sphere will leave), k = 0.275 with one sphere in play
// and 0.175 with more; grey, as opaque as the seconds left before the launch (fully above
// one second).
TEST_F(DisplayGl, LaunchArrowSizeTurnAndOpacity) {
    scene->Setup(0);
    Camera_Above(scene->camera);
    struct Case {
        int sphere_count;
        bool parked;
        float launch_timer;
        float x, y;
        Vector velocity;
        float heading;  // of the velocity, degrees
        float k;        // 0: no arrow
        float opacity;
    };
    const Case cases[] = {
        {1, true, 2.5f, 50.0f, -40.0f, {300.0f, 0.0f, 0.0f}, 0.0f, 0.275f, 1.0f},
        {3, true, 1.0f, -20.0f, 30.0f, {0.0f, 300.0f, 0.0f}, 90.0f, 0.175f, 1.0f},
        {2, true, 0.6f, 0.0f, 0.0f, {-300.0f, 0.0f, 0.0f}, 180.0f, 0.175f, 0.6f},
        {4, true, 0.25f, 30.0f, 60.0f, {0.0f, -300.0f, 0.0f}, 270.0f, 0.175f, 0.25f},
        {1, true, 0.5f, 10.0f, -20.0f, {200.0f, 200.0f, 0.0f}, 45.0f, 0.275f, 0.5f},
        {2, false, 2.5f, 0.0f, 0.0f, {300.0f, 0.0f, 0.0f}, 0.0f, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sphere_count << " spheres, heading " << c.heading
                                        << ", timer " << c.launch_timer);
        Match& match = scene->match;
        match.sphere_count = c.sphere_count;
        for (Sphere& sphere : match.spheres) sphere.parked = false;
        Sphere& sphere = match.spheres[0];
        sphere.parked = c.parked;
        sphere.launch_timer = c.launch_timer;
        sphere.model.position = Vector_Set(c.x, c.y, Sphere_Radius);
        sphere.model.velocity = c.velocity;
        const std::vector<Drawn_Vertex> vertices = scene->Frame_Vertices(0.0f);
        ASSERT_FALSE(vertices.empty());

        std::vector<Drawn_Vertex> arrow;
        for (const Drawn_Vertex& v : vertices) {
            const bool grey = Near(v.colour[0], 0.4f, 1e-3f) && Near(v.colour[1], 0.4f, 1e-3f) &&
                              Near(v.colour[2], 0.4f, 1e-3f);
            if (!v.clipped && grey && Near(v.at.z, 1.0f)) arrow.push_back(v);
        }
        std::vector<Corner> expected;
        if (c.k > 0.0f) {
            const float h = c.heading * 3.14159265f / 180.0f;
            const float half = 125.0f * c.k, length = 250.0f * c.k;
            const float across[2] = {std::cos(h), std::sin(h)};  // the edge through the sphere
            const float ahead[2] = {-std::sin(h), std::cos(h)};  // from it to the far edge
            const float corner[4][4] = {{-half, 0.0f, 0.0f, 0.0f},
                                        {half, 0.0f, 1.0f, 0.0f},
                                        {half, length, 1.0f, 1.0f},
                                        {-half, length, 0.0f, 1.0f}};  // along, out, s, t
            for (const auto& q : corner) {
                expected.push_back(Corner{c.x + q[0] * across[0] + q[1] * ahead[0],
                                          c.y + q[0] * across[1] + q[1] * ahead[1], 1.0f, q[2],
                                          q[3]});
            }
        }
        EXPECT_EQ(Corner_Difference(Distinct(arrow), expected), "");
        for (const Drawn_Vertex& v : arrow) EXPECT_NEAR(v.colour[3], c.opacity, 1e-3f);
    }
}

// Every corner of the arena drawn takes white times 1 - min(d, 250) / 250, d its distance
// from the fade centre: the arena's centre, or in "High Score" (0, -150, 0) in front of the
// player's goal. The spheres take their own colours by the same rule.
TEST_F(DisplayGl, DistanceFadeFromTheModesCentre) {
    const float Sphere_Colours[4][3] = {{0.0f, 0.16862746f, 0.78431374f},
                                        {0.9098039f, 0.0f, 0.07058824f},
                                        {1.0f, 1.0f, 1.0f},
                                        {1.0f, 1.0f, 0.21568628f}};
    struct Case {
        int level;
        Vector centre;
    };
    const Case cases[] = {
        {0, {0.0f, 0.0f, 0.0f}},     // Timed
        {3, {0.0f, 0.0f, 0.0f}},     // Countdown
        {6, {0.0f, -150.0f, 0.0f}},  // High Score
    };
    auto fade = [](Vector centre, Vector at) {
        return 1.0f - std::min(Distance(centre, at), 250.0f) / 250.0f;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        scene->Setup(c.level);
        Match& match = scene->match;
        // Nothing but the arena and the spheres: no paddles, numbers, arrows or clock.
        for (Side& side : match.sides) side.closed = true;
        for (Sphere& sphere : match.spheres) sphere.parked = false;  // no launch arrows
        match.match_clock = 0.0f;
        scene->screen_state = SCREEN_MENU;  // no end screen is decided in the menu's view
        Camera_Above(scene->camera);
        const std::vector<Drawn_Vertex> vertices = scene->Frame_Vertices(0.0f);
        scene->screen_state = SCREEN_MATCH;
        ASSERT_FALSE(vertices.empty());

        int bright = 0, dark = 0, wrong = 0;
        for (const Drawn_Vertex& v : vertices) {
            bool on_sphere = false;  // the spheres are lit: their corners are not the fade alone
            for (int i = 0; i < match.sphere_count; ++i) {
                on_sphere = on_sphere || Distance(v.at, match.spheres[i].model.position) < 15.0f;
            }
            if (v.clipped || on_sphere) continue;
            const float f = fade(c.centre, v.at);
            bright += f > 0.5f ? 1 : 0;
            dark += f == 0.0f ? 1 : 0;
            for (int k = 0; k < 3; ++k) {
                if (!Near(v.colour[k], f, 2e-3f) && wrong++ < 5) {
                    ADD_FAILURE() << "corner (" << v.at.x << ", " << v.at.y << ", " << v.at.z
                                  << ") colour " << v.colour[k] << ", expected " << f;
                }
            }
        }
        EXPECT_EQ(wrong, 0);
        // The rule was met near the centre and past the fade distance.
        EXPECT_GT(bright, 10);
        EXPECT_GT(dark, 10);
        EXPECT_GT(match.sphere_count, 0);
        for (int i = 0; i < match.sphere_count; ++i) {
            int off = 0;
            for (const Model_Point& p : match.spheres[i].model.points) {
                const float f = fade(c.centre, p.position);
                const float* base = Sphere_Colours[i];
                off += Near(p.r, base[0] * f, 1e-5f) && Near(p.g, base[1] * f, 1e-5f) &&
                               Near(p.b, base[2] * f, 1e-5f)
                           ? 0
                           : 1;
            }
            EXPECT_EQ(off, 0) << "points of sphere " << i << " not in its faded colour";
        }
    }
}

}  // namespace
