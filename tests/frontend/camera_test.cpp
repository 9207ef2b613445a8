// The camera's easing towards the chosen view.
#include "frontend/camera.h"

#include <gtest/gtest.h>

namespace {

TEST(CameraTargets, ViewCodes) {
    struct Case {
        int view;
        float rx, py, pz;
    } cases[] = {
        {0, 359.0f, 0.0f, -525.0f}, {1, 320.0f, 20.0f, -435.0f}, {5, 320.0f, 20.0f, -435.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.view);
        Camera camera;
        Camera_Set_Targets(camera, c.view);
        EXPECT_EQ(camera.target_rotation.x, c.rx);
        EXPECT_EQ(camera.target_position.y, c.py);
        EXPECT_EQ(camera.target_position.z, c.pz);
        EXPECT_EQ(camera.rotation[0], 0.0f);  // only the targets move
        EXPECT_EQ(camera.turn_rate, 30.0f);
        EXPECT_EQ(camera.move_rate, 37.0f);
    }
}

// The x angle after each of a few steps of `dt` seconds from `from` towards `to`.
struct Turn_Case {
    const char* what;
    float from;
    float to;
    float dt;
    float after[3];
};

TEST(CameraStep, AngleEasing) {
    const Turn_Case cases[] = {
        {"direct way down, stopping at the target", 359.0f, 320.0f, 0.5f, {344.0f, 329.0f, 320.0f}},
        {"direct way up, stopping at the target", 320.0f, 359.0f, 1.0f, {350.0f, 359.0f, 359.0f}},
        {"across 0: down past 0, wrapped next frame",
         10.0f,
         350.0f,
         1.0f,
         {-20.0f, 350.0f, 350.0f}},
        {"across 360: up past 360, wrapped next frame",
         350.0f,
         10.0f,
         1.0f,
         {380.0f, 10.0f, 10.0f}},
        {"a start outside 0..360 is wrapped first", 719.0f, 320.0f, 0.5f, {344.0f, 329.0f, 320.0f}},
        {"exactly 180 apart takes the direct way", 350.0f, 170.0f, 1.0f, {320.0f, 290.0f, 260.0f}},
    };
    for (const Turn_Case& c : cases) {
        SCOPED_TRACE(c.what);
        Camera camera;
        Camera_Set_Targets(camera, 1);
        camera.target_rotation.x = c.to;
        camera.rotation[0] = c.from;
        for (float expected : c.after) {
            Camera_Step(camera, c.dt);
            EXPECT_FLOAT_EQ(camera.rotation[0], expected);
        }
    }
}

TEST(CameraStep, PositionMovesAtItsRateAndStops) {
    Camera camera;
    Camera_Place(camera, 1);  // side view: (0, 20, -435)
    Camera_Set_Targets(camera, 0);
    Camera_Step(camera, 1.0f);
    EXPECT_FLOAT_EQ(camera.position[1], 0.0f);  // 20 - 37 stops at 0
    EXPECT_FLOAT_EQ(camera.position[2], -472.0f);
    EXPECT_FLOAT_EQ(camera.rotation[0], 350.0f);
    Camera_Step(camera, 2.0f);
    EXPECT_FLOAT_EQ(camera.position[2], -525.0f);  // stops at the target
    EXPECT_FLOAT_EQ(camera.rotation[0], 359.0f);
    Camera_Step(camera, 1.0f);
    EXPECT_FLOAT_EQ(camera.position[2], -525.0f);
    EXPECT_FLOAT_EQ(camera.position[0], 0.0f);
}

}  // namespace
