// Model drawing through OpenGL in a real window (run through tests/e2e/xvfb_run.sh): the
// pixels a model leaves, the texture it leaves bound, and the GL state it restores.
#include "frontend/model_gl.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/model.h"
#include "platform/png.h"
#include "tests/game/game_test_support.h"

namespace {

struct Pixel {
    int r, g, b;
};

// A 64 x 64 window looking straight at the square -1..1 with nothing but the model's own
// colours: no depth test, no lighting, no culling.
class Model_GL_Test : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(window.GL_Create_Window("Model test", 64, 64, 32, false, false, false, true));
        glViewport(0, 0, 64, 64);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        const std::uint8_t red[4 * 4] = {255, 0, 0, 255, 255, 0, 0, 255,
                                         255, 0, 0, 255, 255, 0, 0, 255};
        const std::uint8_t green[4 * 4] = {0, 255, 0, 255, 0, 255, 0, 255,
                                           0, 255, 0, 255, 0, 255, 0, 255};
        ASSERT_TRUE(Png_Write_RGBA("red.png", 2, 2, red));
        ASSERT_TRUE(Png_Write_RGBA("green.png", 2, 2, green));
        // Left half (key 1) textured red, right half (key 2) green.
        Write_File("halves.dat",
                   "0.5 2 6 4 red.png green.png\n"
                   "0 -1 -1 0 1 0 -1 0 2 0 1 0 3 -1 1 0 4 1 -1 0 5 1 1 0\n"
                   "0 0 1 0 1 2 0 0 1 0 1 1\n"
                   "1 0 1 0 2 3 0 0 1 1 0 1\n"
                   "2 1 2 1 4 5 0 0 1 0 1 1\n"
                   "3 1 2 1 5 2 0 0 1 1 0 1\n");
        ASSERT_TRUE(model.File_Load("halves.dat", &textures));
        Clear();
    }
    void Clear() {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    Pixel At(int x, int y) {
        glFinish();
        std::uint8_t rgba[4] = {};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return {rgba[0], rgba[1], rgba[2]};
    }

    Scratch_Folder folder;
    Working_Folder here{folder.Path()};
    CTarvelWindow window{1.0f, 100.0f, nullptr, nullptr};
    Window_Texture_Source textures{window};
    Model_GL_Target target{window};
    CTarvelModel model;
};

TEST_F(Model_GL_Test, TexturedDrawBindsEachTextureAndLeavesTheLastCurrent) {
    const int red = model.triangles[0].texture;
    const int green = model.triangles[2].texture;
    ASSERT_NE(red, -1);
    ASSERT_NE(green, -1);
    ASSERT_NE(red, green);
    model.Draw(target, -1, -1, true);
    Pixel left = At(16, 32), right = At(48, 32);
    EXPECT_GT(left.r, 200);
    EXPECT_LT(left.g, 50);
    EXPECT_GT(right.g, 200);
    EXPECT_LT(right.r, 50);
    EXPECT_EQ(window.Get_Current_Texture(), green);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<unsigned>(bound), window.Texture_Get_Data(green));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));  // no bind inside a batch
}

TEST_F(Model_GL_Test, KeySelectsTheFacesDrawn) {
    model.Draw(target, -1, 2, true);
    Pixel left = At(16, 32), right = At(48, 32);
    EXPECT_EQ(left.r + left.g + left.b, 0);
    EXPECT_GT(right.g, 200);
}

TEST_F(Model_GL_Test, UntexturedDrawBlendsVertexColoursByFade) {
    for (Model_Point& point : model.points) {
        point.r = 0;
        point.g = 0;
        point.b = 1;
    }
    for (Model_Triangle& face : model.triangles) face.fade = 0.5f;
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    model.Draw(target, -1, -1, false);
    Pixel p = At(32, 20);
    EXPECT_NEAR(p.r, 128, 3);  // half of the red behind
    EXPECT_EQ(p.g, 0);
    EXPECT_NEAR(p.b, 128, 3);                 // half of the model's blue, no texture
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));  // enabled again afterwards
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
