// The shipped arena (build/data/models.pak) under the real simulation step: a paddle
// sliding onto a sphere beside or behind its end never pushes it out of the arena, the
// goal mouth of an eliminated side closes fully, and the drawn spheres roll as the
// steps turn them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "game/input.h"
#include "game/match_rules.h"
#include "game/physics.h"
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

// A drawn sphere kept as the game first kept it: every point carried by every move and
// turned at every step (rolling: about Z by -heading, about Y by -roll, about Z back by
// heading; parked: spun about Z), always about the sphere's own position. In double, so
// that its rounding stays far below the tolerance.
class Reference_Sphere {
  public:
    void Reset(const CTarvelModel& model) {
        points.clear();
        for (const Model_Point& point : model.points) {
            points.push_back({point.position.x, point.position.y, point.position.z});
        }
    }
    void Move(Vector from, Vector to) {
        for (Point& p : points) {
            p.x += double(to.x) - double(from.x);
            p.y += double(to.y) - double(from.y);
            p.z += double(to.z) - double(from.z);
        }
    }
    void Turn_Z(Vector centre, float degrees) {
        Turn(centre.x, centre.y, degrees, &Point::x, &Point::y);
    }
    void Turn_Y(Vector centre, float degrees) {
        Turn(centre.x, centre.z, degrees, &Point::x, &Point::z);
    }
    // The largest coordinate difference between these points and the model's.
    double Gap(const CTarvelModel& model) const {
        double gap = points.size() == model.points.size() ? 0.0 : INFINITY;
        for (size_t i = 0; i < points.size() && i < model.points.size(); ++i) {
            const Vector& q = model.points[i].position;
            gap = std::max({gap, std::fabs(points[i].x - q.x), std::fabs(points[i].y - q.y),
                            std::fabs(points[i].z - q.z)});
        }
        return gap;
    }

  private:
    struct Point {
        double x, y, z;
    };
    // Counter-clockwise in the plane of coordinates u, v (as the game's turns) about (cu, cv).
    void Turn(double cu, double cv, float degrees, double Point::*u, double Point::*v) {
        const double angle = double(degrees) / double(Degree_Factor);
        const double c = std::cos(angle), s = std::sin(angle);
        for (Point& p : points) {
            const double du = p.*u - cu, dv = p.*v - cv;
            p.*u = cu + c * du - s * dv;
            p.*v = cv + s * du + c * dv;
        }
    }
    std::vector<Point> points;
};

// The same in floats, as the game did it: CTarvelModel's eager Move, Rotate_Z and
// Rotate_Y at every step. Every turn rounds every point to a float, so this chain walks
// away from the reference (about 1e-4 in 100 steps); it is measured, and only loosely
// bounded.
void Eager_Roll(CTarvelModel& model, float heading, float turn) {
    model.Rotate_Z(-heading, false);
    model.Rotate_Y(-turn, false);
    model.Rotate_Z(heading);
}

// The largest coordinate difference between the points of two models.
double Point_Gap(const CTarvelModel& a, const CTarvelModel& b) {
    double gap = a.points.size() == b.points.size() ? 0.0 : INFINITY;
    for (size_t i = 0; i < a.points.size() && i < b.points.size(); ++i) {
        const Vector& p = a.points[i].position;
        const Vector& q = b.points[i].position;
        gap = std::max({gap, double(std::fabs(p.x - q.x)), double(std::fabs(p.y - q.y)),
                        double(std::fabs(p.z - q.z))});
    }
    return gap;
}

TEST_F(Shipped_Arena, DrawnSpheresFollowTheirRollingStepAfterStep) {
    // A High Score match played by the computer, its meshes rolled. Beside it, for every
    // sphere, the reference above (and for the first 100 steps the eager float chain),
    // driven by what each step did to the sphere: reset, spun while parked, or moved and
    // rolled. After 1, 100 and 10,000 steps the settled meshes stand where the reference
    // does. A twin of the match settled after every step, as the drawing does once a
    // frame, gives the very same points: settling does not build up.
    const float dt = 1.0f / 60.0f;
    Setup(6);
    if (HasFatalFailure()) return;
    context.animate_meshes = true;
    match.controllers[SIDE_BOTTOM].type = CONTROLLER_COMPUTER;
    Match framed = match;

    Reference_Sphere reference[Max_Spheres];
    CTarvelModel eager[Max_Spheres];
    for (int i = 0; i < match.sphere_count; ++i) {
        reference[i].Reset(match.spheres[i].model);
        eager[i] = match.spheres[i].model;
        eager[i].Update_Geometry();  // a plain model again: every operation eager
    }
    int resets = 0, rolled = 0;
    for (int step = 1; step <= 10000; ++step) {
        bool parked[Max_Spheres];
        Vector before[Max_Spheres];
        for (int i = 0; i < match.sphere_count; ++i) {
            parked[i] = match.spheres[i].parked;
            before[i] = match.spheres[i].model.position;
        }
        Match_Step(match, context, dt);
        Match_Step(framed, context, dt);
        for (int i = 0; i < match.sphere_count; ++i) {
            framed.spheres[i].model.Settle();
            const Sphere& sphere = match.spheres[i];
            const Vector at = sphere.model.position;
            const bool with_eager = step <= 100;
            if (sphere.parked && sphere.launch_timer == Launch_Delay) {  // reset by this step
                reference[i].Reset(sphere.model);
                eager[i] = sphere.model;
                eager[i].Update_Geometry();
                ++resets;
            } else if (parked[i]) {
                const float spin = Launch_Spin * dt;
                reference[i].Turn_Z(at, spin);
                if (with_eager) eager[i].Rotate_Z(spin);
            } else {
                // The step's moves, then the roll the physics computes from the velocity.
                reference[i].Move(before[i], at);
                if (with_eager) eager[i].Move(Vector_Subtract(at, before[i]), true);
                const float heading = Heading_Degrees(Vector(), sphere.model.velocity);
                float turn =
                    Vector_Length(sphere.model.velocity) / (sphere.model.radius * Rolling_Factor);
                turn = turn * 360.0f;
                turn = turn * dt;
                reference[i].Turn_Z(at, -heading);
                reference[i].Turn_Y(at, -turn);
                reference[i].Turn_Z(at, heading);
                if (with_eager) Eager_Roll(eager[i], heading, turn);
                ++rolled;
            }
        }
        if (step != 1 && step != 100 && step != 10000) continue;
        double gap = 0, eager_gap = 0, apart = 0;
        for (int i = 0; i < match.sphere_count; ++i) {
            CTarvelModel& model = match.spheres[i].model;
            model.Settle();
            gap = std::max(gap, reference[i].Gap(model));
            // The drawn normals and centroids are those of the settled points (recomputed
            // from points rounded to floats, normals of these small faces err by ~1e-5).
            CTarvelModel derived = model;
            derived.Update_Geometry();
            for (size_t t = 0; t < model.triangles.size(); ++t) {
                const Model_Triangle& face = model.triangles[t];
                const Model_Triangle& expected = derived.triangles[t];
                for (int e = -2; e < 3; ++e) {
                    const Vector a = e == -2   ? face.centroid
                                     : e == -1 ? face.normal
                                               : face.edge_normals[e];
                    const Vector b = e == -2   ? expected.centroid
                                     : e == -1 ? expected.normal
                                               : expected.edge_normals[e];
                    ASSERT_NEAR(a.x, b.x, 1e-4) << "step " << step << ", triangle " << t;
                    ASSERT_NEAR(a.y, b.y, 1e-4) << "step " << step << ", triangle " << t;
                    ASSERT_NEAR(a.z, b.z, 1e-4) << "step " << step << ", triangle " << t;
                }
            }
            eager_gap = std::max(eager_gap, reference[i].Gap(eager[i]));
            apart = std::max(apart, Point_Gap(model, eager[i]));
            ASSERT_EQ(model.points.size(), framed.spheres[i].model.points.size());
            for (size_t p = 0; p < model.points.size(); ++p) {
                const Vector a = model.points[p].position;
                const Vector b = framed.spheres[i].model.points[p].position;
                ASSERT_TRUE(a.x == b.x && a.y == b.y && a.z == b.z)
                    << "step " << step << ", sphere " << i << ", point " << p;
            }
        }
        std::printf("step %5d: settled mesh %.2g from the reference", step, gap);
        if (step <= 100) {
            std::printf(", eager float chain %.2g from it and %.2g from the settled mesh",
                        eager_gap, apart);
            EXPECT_LE(eager_gap, step == 1 ? 1e-4 : 1e-3) << "step " << step;
            EXPECT_LE(apart, step == 1 ? 1e-4 : 1e-3) << "step " << step;
        }
        std::printf("\n");
        EXPECT_LE(gap, 1e-4) << "step " << step;
    }
    // The run went through every case.
    EXPECT_GT(resets, 0);
    EXPECT_GT(rolled, 1000);
}

}  // namespace
