// The shipped arena (build/data/models.pak) under the real simulation step: a paddle
// sliding onto a sphere beside or behind its end never pushes it out of the arena, and
// the goal mouth of an eliminated side closes fully.
#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>

#include "game/input.h"
#include "game/match_rules.h"
#include "tests/game/game_test_support.h"

namespace {

// A match set up from the shipped models (the loaders read data/models.pak from the
// working folder), with the computer on every side.
class Shipped_Arena : public ::testing::Test {
  protected:
    void Setup(int level) {
        settings.Level = level;
        for (int& type : settings.Side_Controller) type = CONTROLLER_COMPUTER;
        context.settings = &settings;
        context.animate_meshes = false;
        Match_Setup(match, context);
        ASSERT_EQ(match.wall.point_count, 98) << "no shipped wall in " << TINDRAL_BUILD_DIR;
        match.phase = PHASE_RUNNING;
    }

    Working_Folder here{TINDRAL_BUILD_DIR};
    Game_Settings settings;
    Match_Context context;
    Match match;
};

// Bottom's frame turned onto `side`: Bottom itself, or Right (turned +90 degrees).
Vector Turned(int side, Vector v) {
    return side == SIDE_RIGHT ? Vector_Set(-v.y, v.x, v.z) : v;
}

struct Pinch_Case {
    int side;         // SIDE_BOTTOM or SIDE_RIGHT
    float direction;  // the paddle slides towards -1 or +1 along its side
    float speed;      // sphere speed
};

void PrintTo(const Pinch_Case& c, std::ostream* out) {
    *out << Side_Name(c.side) << " paddle sliding towards " << (c.direction < 0 ? "-" : "+")
         << ", spheres at " << c.speed;
}

class Paddle_Pinch : public Shipped_Arena, public ::testing::WithParamInterface<Pinch_Case> {};

TEST_P(Paddle_Pinch, NeverPushesASphereOutOfTheArena) {
    // The paddle slides at full speed from 35.5 off the middle to its limit; a sphere just
    // ahead of its leading end and 6 to 12 units behind its centre line runs back towards
    // the end, away from the wall. This is how spheres used to leave the arena (2-3 an
    // hour): the end slid onto the sphere in a gap narrower than a sphere, and the push
    // out of the overlap carried its centre through the wall behind.
    const Pinch_Case c = GetParam();
    const float dt = 1.0f / 60.0f;
    Setup(0);
    if (HasFatalFailure()) return;
    match.sphere_count = 1;
    for (Controller& controller : match.controllers) controller.type = CONTROLLER_NONE;
    match.sphere_speed = c.speed;
    const Match set_up = match;

    int tried = 0, escaped = 0;
    std::ostringstream first;
    for (int ahead = 0; ahead <= 6; ++ahead) {
        for (int depth = 136; depth <= 142; ++depth) {
            for (int turn = 20; turn <= 60; turn += 5) {
                match = set_up;
                CTarvelModel& paddle = match.sides[c.side].paddle;
                const float start = 35.5f * c.direction;
                const Vector at = Turned(c.side, Vector_Set(start, -130.0f, 0.0f));
                paddle.Move(Vector_Subtract(at, paddle.position), true);
                // Steering heading 0 drives towards -x (-y), 180 towards +x (+y).
                Vector_From_Polar(paddle.velocity, 1.0f, 0.0f, c.direction < 0 ? 0.0f : 180.0f);
                Hold_Timer& held =
                    match.controllers[c.side]
                        .directions[c.direction < 0 ? DIRECTION_LEFT : DIRECTION_RIGHT];

                Sphere& sphere = match.spheres[0];
                const float end = start + 30.0f * c.direction;  // the leading end
                const float along = end + static_cast<float>(ahead) * c.direction;
                const Vector centre =
                    Turned(c.side, Vector_Set(along, -static_cast<float>(depth), 10.0f));
                sphere.model.Move(Vector_Subtract(centre, sphere.model.position), true);
                // Back towards the end and up from the wall, `turn` degrees off the line.
                const float heading =
                    c.direction < 0 ? static_cast<float>(turn) : 180.0f - static_cast<float>(turn);
                Vector velocity;
                Vector_From_Polar(velocity, c.speed, 0.0f, heading);
                sphere.model.velocity = Turned(c.side, velocity);
                sphere.parked = false;
                sphere.launch_timer = -1.0f;

                ++tried;
                for (int frame = 0; frame < 30 && !sphere.parked; ++frame) {
                    held.held = 1.0f;
                    Paddle_Move(match, c.side, dt);
                    Match_Step(match, context, dt);
                }
                if (match.escapes > 0 && escaped++ == 0) {
                    first << "sphere " << ahead << " ahead of the paddle end, " << depth << " out, "
                          << turn << " degrees off the line";
                }
            }
        }
    }
    EXPECT_EQ(escaped, 0) << escaped << " of " << tried
                          << " spheres left the arena; first: " << first.str();
}

INSTANTIATE_TEST_SUITE_P(Sides, Paddle_Pinch,
                         ::testing::Values(Pinch_Case{SIDE_BOTTOM, -1, 200},
                                           Pinch_Case{SIDE_BOTTOM, 1, 300},
                                           Pinch_Case{SIDE_RIGHT, -1, 400},
                                           Pinch_Case{SIDE_RIGHT, 1, 200}),
                         [](const ::testing::TestParamInfo<Pinch_Case>& test_info) {
                             return std::string(Side_Name(test_info.param.side)) +
                                    (test_info.param.direction < 0 ? "Falling" : "Rising") +
                                    std::to_string(int(test_info.param.speed));
                         });

class Goal_Closing : public Shipped_Arena, public ::testing::WithParamInterface<int> {};

TEST_P(Goal_Closing, AnEliminatedSidesMouthClosesFully) {
    // Countdown with every side drained below 0 on the first step: all four are out, and
    // their mouths close at 5 units per second per coordinate, which takes 3 seconds from
    // the shipped corners. After 4 seconds every corner, floor and top, stands at its
    // closed place (+-20 across, 175 out). Float steps of 5 dt may leave the coordinate
    // that arrives second a few thousandths short.
    const int frames_per_second = GetParam();
    const float dt = 1.0f / static_cast<float>(frames_per_second);
    Setup(3);
    if (HasFatalFailure()) return;
    for (Side& side : match.sides) side.score = -0.5f;
    for (int frame = 0; frame < 4 * frames_per_second; ++frame) {
        Match_Step(match, context, dt);
    }
    struct Corner {
        int vertex;
        float x, y;  // closed place of the floor point
    };
    const Corner corners[] = {
        {10, 20, -175}, {11, -20, -175}, {22, -175, -20}, {23, -175, 20},
        {34, -20, 175}, {35, 20, 175},   {46, 175, 20},   {47, 175, -20},
    };
    for (const Side& side : match.sides) EXPECT_TRUE(side.closed);
    for (const Corner& c : corners) {
        for (int top = 0; top < 2; ++top) {
            const Vector p = match.wall.points[c.vertex + 49 * top].position;
            EXPECT_NEAR(p.x, c.x, 0.01f) << "vertex " << c.vertex + 49 * top;
            EXPECT_NEAR(p.y, c.y, 0.01f) << "vertex " << c.vertex + 49 * top;
            EXPECT_EQ(p.z, top ? 50.0f : 0.0f) << "vertex " << c.vertex + 49 * top;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Frame_Rates, Goal_Closing, ::testing::Values(30, 60, 144),
                         [](const ::testing::TestParamInfo<int>& test_info) {
                             return "At" + std::to_string(test_info.param) + "Fps";
                         });

}  // namespace
