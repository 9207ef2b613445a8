// The match display in a real window under Xvfb, with the game's own font, textures and
// models: text lands where its layout says and upright, a match frame shows the arena and
// the clock, the wall numbers are painted, and F1 swings the camera to the top view.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "frontend/match_keys.h"
#include "frontend/match_screen.h"
#include "frontend/text.h"
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

}  // namespace
