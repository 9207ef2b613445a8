// The menu drawn with a real GL context (under Xvfb): the projection it captures for its hit
// tests, the viewport it leaves, its grey blocks and a button's hover fill on screen.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "engine/pak.h"
#include "engine/start_up_files.h"
#include "frontend/menu.h"
#include "tests/frontend/menu_fixture.h"

namespace {

// Archive members are extracted into the process's private folder, made on first use under
// $TMPDIR. Each fixture points $TMPDIR into its own folder and removes it afterwards, so the
// private folder is made once here, before any fixture, where it outlives them all.
const char* const Extract_Folder = Private_Temp_Folder();

class Menu_Screen : public ::testing::Test, public Menu_Fixture {
  protected:
    void SetUp() override {
        window.Width = 720;
        window.Height = 540;
        ASSERT_TRUE(window.GL_Create_Window("Menu test", 720, 540, 16, false, false, false, true));
        window.GL_Init();
        menu.projection = Menu_Projection{};
        Textures_Load();
    }
    void TearDown() override {
        window.GL_Cleanup();
        if (!previous_.empty()) {
            EXPECT_EQ(chdir(previous_.c_str()), 0);
        }
    }

    // The game's sixteen textures from the archive the build made: the footer and the
    // labels are drawn over the buttons, and only their art leaves the buttons visible.
    void Textures_Load() {
        ASSERT_NE(Extract_Folder, nullptr);
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        previous_ = cwd;
        ASSERT_EQ(symlink(TINDRAL_DATA_DIR, (folder.Path() + "/data").c_str()), 0);
        ASSERT_EQ(chdir(folder.Path().c_str()), 0);
        for (int i = 0; i < 16; ++i)
            ASSERT_EQ(window.Texture_Load(Start_Up_Textures[i], i), i) << Start_Up_Textures[i];
        ASSERT_TRUE(window.Font_List_Load("font_list.txt"));
    }

    std::string previous_;

    void Draw() {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        Menu_Screen_Step(context);
        glFinish();
    }

    // The colour drawn at the 2-D point (x, y), 0..255 per channel.
    void Colour_At(float x, float y, int rgb[3]) {
        int px, py;
        Pixel_Of(window.Width, window.Height, x, y, &px, &py);
        unsigned char pixel[4] = {};
        glReadPixels(px, window.Height - 1 - py, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        for (int i = 0; i < 3; ++i) rgb[i] = pixel[i];
    }
};

TEST_F(Menu_Screen, CapturesTheTwoDProjectionAndRestoresTheViewport) {
    Draw();
    const Menu_Projection expected =
        Projection_2D(window.Width, window.Height, window.Near_Plane, window.Far_Plane);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(menu.projection.model_view[i], expected.model_view[i], 1e-4) << i;
        EXPECT_NEAR(menu.projection.projection[i], expected.projection[i], 1e-4) << i;
    }
    for (int i = 0; i < 4; ++i) EXPECT_EQ(menu.projection.viewport[i], expected.viewport[i]);

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 720);
    EXPECT_EQ(viewport[3], 540);

    // The captured projection is what the hit tests use: the Sound row is hit where it
    // was drawn, in grey.
    Move_To(68.0f, 83.3f);
    Frame();
    EXPECT_TRUE(Menu_Row_Hit(context, ROW_SOUND));
    int rgb[3];
    Colour_At(79.0f, 84.5f, rgb);  // right end of the Sound row, clear of its text
    for (int c : rgb) EXPECT_NEAR(c, 128, 3);
}

TEST_F(Menu_Screen, HoverFillIsDrawnFromTheLeftEdgeToItsWidth) {
    Draw();                 // captures the projection
    elapsed = 1.0f / 6.0f;  // half of the third of a second
    Move_To(25.8f, 16.85f);
    Frame();
    ASSERT_NEAR(menu.layout.buttons[BUTTON_NEW_GAME].Hover, 0.5f, 1e-6f);
    Draw();
    int rgb[3];
    // The strip above the label: green (half transparent) up to the middle, then black.
    Colour_At(19.0f + 13.6f * 0.25f, 18.45f, rgb);
    EXPECT_EQ(rgb[0], 0);
    EXPECT_NEAR(rgb[1], 128, 3);
    EXPECT_EQ(rgb[2], 0);
    Colour_At(19.0f + 13.6f * 0.75f, 18.45f, rgb);
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0);
}

}  // namespace
