// The window under a real X server (run through tests/e2e/xvfb_run.sh).
#include "engine/window.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "base/log.h"
#include "platform/platform.h"
#include "tests/support/files.h"

namespace {

class Window_Test : public ::testing::Test {
  protected:
    Scratch_Folder folder;
    std::string log_path = folder / "log.dat";
};

TEST_F(Window_Test, ZeroSizeWindowIsStillCreatedAndLogged) {
    {
        CTarvelWindow window(100.0f, 800.0f, log_path.c_str(), "Banner");
        ASSERT_TRUE(window.GL_Create_Window("Test", 0, 0, 16, false, false, true, true));
    }
    std::string log = Read_File(log_path);
    size_t banner = log.find("\\par\\par \\cf1\\f0 ");
    ASSERT_NE(banner, std::string::npos);
    EXPECT_NE(log.find(":: Banner\\cf0\\f1\\par", banner), std::string::npos);
    EXPECT_NE(log.find("CTarvelWindow::GL_Create_Window() :: window=[0x0]"), std::string::npos);
    EXPECT_NE(log.find("CTarvelWindow::GL_Cleanup()"), std::string::npos);
    EXPECT_EQ(log.find('\n'), std::string::npos);
}

TEST_F(Window_Test, PerspectiveIsTheSymmetricFrustumOfTheNearPlane) {
    CTarvelWindow window(100.0f, 800.0f, nullptr, nullptr);
    ASSERT_TRUE(window.GL_Create_Window("Test", 64, 48, 16, false, false, false, true));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    window.GL_Set_Perspective(45.0f, 1.5f);
    float m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    const float top = std::tan(45.0f * 3.1415927f / 360.0f) * 100.0f;
    const float right = top * 1.5f;
    EXPECT_NEAR(m[0], 100.0f / right, 1e-5f);  // 2n / (r - l)
    EXPECT_NEAR(m[5], 100.0f / top, 1e-5f);    // 2n / (t - b)
    EXPECT_NEAR(m[8], 0.0f, 1e-6f);             // symmetric
    EXPECT_NEAR(m[9], 0.0f, 1e-6f);
    EXPECT_NEAR(m[10], -900.0f / 700.0f, 1e-5f);        // -(f + n) / (f - n)
    EXPECT_NEAR(m[14], -2.0f * 800.0f * 100.0f / 700.0f, 1e-3f);
    EXPECT_FLOAT_EQ(m[11], -1.0f);
}

TEST_F(Window_Test, MinimisedSizeGivesAOnePixelHighViewport) {
    CTarvelWindow window(100.0f, 800.0f, nullptr, nullptr);
    ASSERT_TRUE(window.GL_Create_Window("Test", 64, 48, 16, false, false, false, true));
    window.GL_Resize(0, 0);
    int viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 0);
    EXPECT_EQ(viewport[3], 1);
    window.GL_Resize(64, 48);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 64);
    EXPECT_EQ(viewport[3], 48);
}

TEST_F(Window_Test, WindowProcedureRecordsKeysFocusAndClose) {
    CTarvelWindow window(100.0f, 800.0f, nullptr, nullptr);
    ASSERT_TRUE(window.GL_Create_Window("Test", 64, 48, 16, false, false, false, true));
    Platform_Message message;
    message.type = MSG_KEYDOWN;
    message.wparam = 37;
    window.Window_Procedure(message);
    EXPECT_EQ(window.Keys[37], 1);
    message.type = MSG_KEYUP;
    window.Window_Procedure(message);
    EXPECT_EQ(window.Keys[37], 0);

    message.type = MSG_ACTIVATEAPP;
    message.wparam = 0;
    window.Window_Procedure(message);
    EXPECT_FALSE(window.Active);
    message.wparam = 1;
    window.Window_Procedure(message);
    EXPECT_TRUE(window.Active);

    // A close request posts a quit message with status 0; the message step takes it
    // before anything else still queued.
    message.type = MSG_CLOSE;
    window.Window_Procedure(message);
    EXPECT_FALSE(window.Quit);
    window.Handle_Messages();
    EXPECT_TRUE(window.Quit);
    EXPECT_EQ(window.Message.type, MSG_QUIT);
    EXPECT_EQ(window.Message.wparam, 0u);
}

TEST_F(Window_Test, TwoDimensionalModeMapsZeroToHundredOntoTheViewport) {
    CTarvelWindow window(100.0f, 800.0f, nullptr, nullptr);
    ASSERT_TRUE(window.GL_Create_Window("Test", 200, 100, 16, false, false, false, true));
    window.Mode_2D(1);
    double model[16], projection[16];
    int viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    // Project (50, 50) and (0, 0) by hand: the centre lands mid-viewport and the corner
    // just inside it (the square frustum shows about +-49.7 around the centre).
    auto project = [&](double x, double y, double* wx, double* wy) {
        double eye[4], clip[4];
        for (int r = 0; r < 4; ++r) eye[r] = model[r] * x + model[4 + r] * y + model[12 + r];
        for (int r = 0; r < 4; ++r) {
            clip[r] = projection[r] * eye[0] + projection[4 + r] * eye[1] +
                      projection[8 + r] * eye[2] + projection[12 + r] * eye[3];
        }
        *wx = viewport[0] + (clip[0] / clip[3] + 1) * viewport[2] / 2;
        *wy = viewport[1] + (clip[1] / clip[3] + 1) * viewport[3] / 2;
    };
    double wx, wy;
    project(50, 50, &wx, &wy);
    EXPECT_NEAR(wx, 100.0, 1e-6);
    EXPECT_NEAR(wy, 50.0, 1e-6);
    project(0, 0, &wx, &wy);
    EXPECT_NEAR(wx, -0.6, 0.1);
    EXPECT_NEAR(wy, -0.3, 0.1);
    window.Mode_3D();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

}  // namespace
