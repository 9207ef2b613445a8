// Sphere physics on models built in code: the edge search, the bounce, the sphere pairs,
// the paddle, wall and goal-sensor rules, escapes, and the sounds they play.
#include "game/physics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <set>
#include <vector>

#include "game/match_rules.h"
#include "tests/game/game_test_support.h"
#include "tests/game/physics_test_support.h"

namespace {

constexpr float Near = 1e-3f;

void Expect_Vector_Near(Vector actual, Vector expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(Physics_Closest_Point, InnerPointsEndsAndSlantedEdges) {
    struct Case {
        Vector a, b, p, expected;
    };
    const Case cases[] = {
        {{0, 0, 0}, {10, 0, 0}, {5, 5, 3}, {5, 0, 3}},       // inner point, P's height
        {{0, 0, 0}, {10, 0, 0}, {-3, 4, 3}, {0, 0, 0}},      // before A: A itself
        {{0, 0, 0}, {10, 0, 0}, {12, -1, 3}, {10, 0, 0}},    // beyond B: B itself
        {{10, 0, 0}, {0, 0, 0}, {5, 5, 0}, {5, 0, 0}},       // the edge the other way
        {{0, 0, 0}, {10, 10, 0}, {10, 0, 0}, {5, 5, 0}},     // slanted
        {{-4, 3, 0}, {-4, -9, 0}, {1, -2, 7}, {-4, -2, 7}},  // running towards -Y
    };
    for (const Case& c : cases) {
        Vector result = Closest_Point_On_Edge(c.a, c.b, c.p);
        Expect_Vector_Near(result, c.expected, 1e-4f);
    }
}

TEST(Physics_Collide_Edges, NearestEdgeWithinTheRadiusIsTheContact) {
    // Heading 45 towards two walls: the nearer one (above, y = 4) turns it to 315, the
    // one to the right (x = 8) would turn it to 135.
    CTarvelModel wall = Edge_Model({{{8, -30, 0}, {8, 30, 0}}, {{-30, 4, 0}, {30, 4, 0}}});
    CTarvelModel sphere = Bare_Sphere({0, 0, 10}, {70.71068f, 70.71068f, 0});
    ASSERT_TRUE(Collide_Edges(sphere, wall, 1, true));
    EXPECT_NEAR(Heading_Of(sphere.velocity), 315.0f, Near);
    EXPECT_NEAR(Vector_Length(sphere.velocity), 100.0f, Near);

    CTarvelModel far = Edge_Model({{{-30, 10.5f, 0}, {30, 10.5f, 0}}});
    CTarvelModel untouched = Bare_Sphere({0, 0, 10}, {0, 100, 0});
    EXPECT_FALSE(Collide_Edges(untouched, far, 1, true));
    Expect_Vector_Near(untouched.velocity, {0, 100, 0}, 0);
}

TEST(Physics_Collide_Edges, EqualDistancesTakeTheFirstEdgeFound) {
    // Both edges end nearest the sphere at a corner exactly 6 away: above at (0, 6) and to
    // the right at (6, 0). The first in triangle order is the contact.
    const Test_Edge above = {{0, 6, 0}, {0, 30, 0}};
    const Test_Edge right = {{6, 0, 0}, {30, 0, 0}};
    struct Case {
        std::vector<Test_Edge> edges;
        float heading_after;
    };
    const Case cases[] = {{{above, right}, 315.0f}, {{right, above}, 135.0f}};
    for (const Case& c : cases) {
        CTarvelModel wall = Edge_Model(c.edges);
        CTarvelModel sphere = Bare_Sphere({0, 0, 10}, {70.71068f, 70.71068f, 0});
        ASSERT_TRUE(Collide_Edges(sphere, wall, 1, true));
        EXPECT_NEAR(Heading_Of(sphere.velocity), c.heading_after, Near);
    }
}

TEST(Physics_Collide_Edges, OnlyFloorEdgesOfTheAskedKeyCount) {
    struct Case {
        float z_a, z_b;
        int edge_key, asked_key;
        bool respond;
        bool contact, turned;
    };
    const Case cases[] = {
        {0.0f, 0.0f, 1, 1, true, true, true},
        {0.1f, 0.1f, 1, 1, true, true, true},    // at the height limit
        {0.0f, 0.2f, 1, 1, true, false, false},  // one end above it
        {0.0f, 0.0f, 2, 1, true, false, false},  // another key
        {0.0f, 0.0f, 2, -1, true, true, true},   // any key
        {0.0f, 0.0f, 1, 1, false, true, false},  // found, not answered
    };
    for (const Case& c : cases) {
        CTarvelModel wall = Edge_Model({{{-30, 5, c.z_a}, {30, 5, c.z_b}, c.edge_key}});
        CTarvelModel sphere = Bare_Sphere({0, 0, 10}, {0, 100, 0});
        EXPECT_EQ(Collide_Edges(sphere, wall, c.asked_key, c.respond), c.contact)
            << c.z_b << " " << c.edge_key << " " << c.asked_key;
        EXPECT_EQ(sphere.velocity.y < 0, c.turned) << c.z_b << " " << c.edge_key;
    }
}

// Collide_Edges as plainly as it reads: every floor edge of the key measured, none
// passed over.
bool Measure_Every_Edge(CTarvelModel& sphere, const CTarvelModel& model, int key) {
    static const int Edges[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    bool found = false;
    float best = 0.0f;
    Vector contact;
    for (const Model_Triangle& face : model.triangles) {
        if (key != -1 && face.key != key) continue;
        for (const auto& edge : Edges) {
            const Vector start = model.points[face.corners[edge[0]]].position;
            const Vector end = model.points[face.corners[edge[1]]].position;
            if (start.z > Floor_Edge_Height || end.z > Floor_Edge_Height) continue;
            const Vector point = Closest_Point_On_Edge(start, end, sphere.position);
            const float distance = Distance_Planar(point, sphere.position);
            if (distance <= sphere.radius && (!found || distance < best)) {
                found = true;
                best = distance;
                contact = point;
            }
        }
    }
    if (found) Bounce(sphere, contact);
    return found;
}

bool Same_Bits(const Vector& a, const Vector& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(Physics_Collide_Edges, PassingOverFarEdgesChangesNoOutcome) {
    // Walls of random edges (half of them along an axis) and spheres anywhere, or within
    // a hair of the contact distance from a point of an edge, at arena size and up to
    // 30000 times larger, and with coordinates that are not finite: the result, the
    // bounce and the push out are bit for bit those of measuring every edge.
    std::mt19937 random(18);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    int contacts = 0, trials = 0;
    for (float scale : {1.0f, 30.0f, 30000.0f}) {
        for (int trial = 0; trial < 12000; ++trial) {
            std::vector<Test_Edge> edges;
            for (int e = 0; e < 6; ++e) {
                const Vector a =
                    Vector_Set(220 * scale * unit(random), 220 * scale * unit(random), 0);
                Vector along = Vector_Set(unit(random), unit(random), 0);
                if (e % 2 == 0)
                    along = e % 4 == 0 ? Vector_Set(along.x, 0, 0) : Vector_Set(0, along.y, 0);
                edges.push_back(
                    {a, Vector_Add(a, 80 * scale * along.x, 80 * scale * along.y, 0), 1});
            }
            // A point of an edge (or just beyond its ends), and a way out from it.
            const Test_Edge& near = edges[trial % edges.size()];
            const float t = 1.4f * (unit(random) + 1.0f) / 2.0f - 0.2f;
            const float clamped = std::clamp(t, 0.0f, 1.0f);
            const Vector base = Vector_Add(near.a, clamped * (near.b.x - near.a.x),
                                           clamped * (near.b.y - near.a.y), 0);
            Vector out;
            switch (trial % 4) {
                case 0:
                    out = Vector_Set(near.a.y - near.b.y, near.b.x - near.a.x, 0);
                    break;
                case 1:
                    out = Vector_Subtract(t < 0.5f ? near.a : near.b, t < 0.5f ? near.b : near.a);
                    break;
                case 2:
                    out = trial % 8 < 4 ? Vector_Set(unit(random), 0, 0)
                                        : Vector_Set(0, unit(random), 0);
                    break;
                default:
                    out = Vector_Set(unit(random), unit(random), 0);
                    break;
            }
            Vector_Normalize(out);
            const float size = std::fabs(base.x) + std::fabs(base.y);
            // Mostly about as fine as the rounding of the distance, sometimes coarser.
            const float hair = unit(random) * (trial % 5 < 3 ? 1e-6f : 1e-4f) * (10.0f + size);
            const float reach = 10.0f + hair;
            Vector centre = trial % 3 == 0 ? Vector_Set(220 * scale * unit(random),
                                                        220 * scale * unit(random), 10)
                                           : Vector_Add(base, reach * out.x, reach * out.y, 10);
            if (trial % 1000 == 1) centre.x = nan;
            if (trial % 1000 == 2) centre.y = -inf;
            if (trial % 1000 == 3) edges[0].b.y = nan;
            if (trial % 1000 == 4) edges[0].a.x = inf;

            const CTarvelModel wall = Edge_Model(edges);
            const Vector velocity = Vector_Set(300 * unit(random), 300 * unit(random), 0);
            CTarvelModel sphere = Bare_Sphere(centre, velocity);
            CTarvelModel expected = sphere;
            const bool result = Collide_Edges(sphere, wall, 1, true);
            ASSERT_EQ(result, Measure_Every_Edge(expected, wall, 1))
                << "scale " << scale << ", trial " << trial;
            ASSERT_TRUE(Same_Bits(sphere.velocity, expected.velocity))
                << "scale " << scale << ", trial " << trial;
            ASSERT_TRUE(Same_Bits(sphere.position, expected.position))
                << "scale " << scale << ", trial " << trial;
            contacts += result ? 1 : 0;
            ++trials;
        }
    }
    // Many spheres touched an edge, many did not.
    EXPECT_GT(contacts, trials / 10);
    EXPECT_LT(contacts, trials * 9 / 10);
}

TEST(Physics_Bounce, MirrorsAboutTheTangentAndPushesOutOfTheOverlap) {
    // Straight at a wall 8 away: reversed, then moved back 2 along the old path and 2 on
    // along the new one.
    CTarvelModel head_on = Bare_Sphere({0, 0, 10}, {100, 0, 0});
    Bounce(head_on, {8, 0, 0});
    Expect_Vector_Near(head_on.velocity, {-100, 0, 0}, Near);
    Expect_Vector_Near(head_on.position, {-4, 0, 10}, Near);

    // At 45 degrees under a wall above: leaves at 315 with the same speed.
    CTarvelModel slanted = Bare_Sphere({0, 0, 10}, {70.71068f, 70.71068f, 0});
    Bounce(slanted, {0, 9, 0});
    EXPECT_NEAR(Heading_Of(slanted.velocity), 315.0f, Near);
    EXPECT_NEAR(Vector_Length(slanted.velocity), 100.0f, Near);

    // Already leaving: neither turned nor pushed.
    CTarvelModel leaving = Bare_Sphere({0, 0, 10}, {-30, -100, 0});
    Bounce(leaving, {0, 7, 0});
    Expect_Vector_Near(leaving.velocity, {-30, -100, 0}, 0);
    Expect_Vector_Near(leaving.position, {0, 0, 10}, 0);
}

TEST(Physics_Collide_Spheres, ElasticExchangeOnlyWhileClosing) {
    CTarvelModel a = Bare_Sphere({0, 0, 10}, {100, 0, 0});
    CTarvelModel b = Bare_Sphere({25, 0, 10}, {-100, 0, 0});
    EXPECT_FALSE(Collide_Spheres(a, b, 0.01f, true));  // 25 apart: no contact

    b.position = Vector_Set(18, 0, 10);
    EXPECT_TRUE(Collide_Spheres(a, b, 0.01f, false));  // contact, no answer
    Expect_Vector_Near(a.velocity, {100, 0, 0}, 0);

    EXPECT_TRUE(Collide_Spheres(a, b, 0.01f, true));  // closing: exchanged
    Expect_Vector_Near(a.velocity, {-100, 0, 0}, Near);
    Expect_Vector_Near(b.velocity, {100, 0, 0}, Near);

    EXPECT_TRUE(Collide_Spheres(a, b, 0.01f, true));  // now separating: left alone
    Expect_Vector_Near(a.velocity, {-100, 0, 0}, Near);
    Expect_Vector_Near(b.velocity, {100, 0, 0}, Near);
}

// A match built in code: no walls unless a test adds them, every side open, the sound on.
class Physics_Step_Test : public ::testing::Test {
  protected:
    Physics_Step_Test() {
        settings.Sound = 1;
        context.settings = &settings;
        context.sound = &sounds;
        match.phase = PHASE_RUNNING;
        match.mode_family = FAMILY_TIMED;
        match.sphere_speed = 200.0f;
        match.sphere_count = 0;
    }
    int Add_Sphere(Vector position, Vector velocity, bool parked = false) {
        Sphere& sphere = match.spheres[match.sphere_count];
        sphere.model = Bare_Sphere(position, velocity);
        sphere.parked = parked;
        sphere.launch_timer = parked ? 2.0f : -1.0f;
        return match.sphere_count++;
    }
    CTarvelModel& Model(int i) { return match.spheres[i].model; }

    Game_Settings settings;
    Recording_Sound_Player sounds;
    Match_Context context;
    Match match;
};

TEST_F(Physics_Step_Test, OverlappingSeparatingSpheresKeepVelocitiesButSoundEveryStep) {
    Add_Sphere({0, 0, 10}, {-200, 0, 0});
    Add_Sphere({12, 0, 10}, {200, 0, 0});
    Physics_Step(match, context, 0.01f);  // 16 apart
    Physics_Step(match, context, 0.01f);  // 20 apart: still touching
    Physics_Step(match, context, 0.01f);  // 24 apart
    EXPECT_EQ(sounds.Count(SOUND_SPHERE_SPHERE), 2);
    Expect_Vector_Near(Model(0).velocity, {-200, 0, 0}, Near);
    Expect_Vector_Near(Model(1).velocity, {200, 0, 0}, Near);
    EXPECT_NEAR(Model(0).position.x, -6.0f, Near);
    EXPECT_NEAR(Model(1).position.x, 18.0f, Near);
}

TEST_F(Physics_Step_Test, SphereSpeedIsRestoredAfterEveryContact) {
    // Two spheres closing at different speeds both leave at sphere_speed.
    Add_Sphere({0, 0, 10}, {50, 0, 0});
    Add_Sphere({19, 3, 10}, {-300, 0, 0});
    Physics_Step(match, context, 0.001f);
    EXPECT_EQ(sounds.Count(SOUND_SPHERE_SPHERE), 1);
    EXPECT_NEAR(Vector_Length(Model(0).velocity), 200.0f, Near);
    EXPECT_NEAR(Vector_Length(Model(1).velocity), 200.0f, Near);
}

TEST_F(Physics_Step_Test, MovingSphereBouncesOffAParkedOneAsIfHeadOn) {
    for (bool parked_first : {false, true}) {
        match.sphere_count = 0;
        sounds.played.clear();
        Vector parked_velocity;
        Vector_From_Polar(parked_velocity, 200.0f, 0.0f, 77.0f);
        int moving = -1, parked = -1;
        if (parked_first) {
            parked = Add_Sphere({18, 0, 10}, parked_velocity, true);
            moving = Add_Sphere({0, 0, 10}, {200, 0, 0});
        } else {
            moving = Add_Sphere({0, 0, 10}, {200, 0, 0});
            parked = Add_Sphere({18, 0, 10}, parked_velocity, true);
        }
        Physics_Step(match, context, 0.01f);
        Expect_Vector_Near(Model(moving).velocity, {-200, 0, 0}, Near);
        Expect_Vector_Near(Model(parked).position, {18, 0, 10}, 0);
        EXPECT_NEAR(Heading_Of(Model(parked).velocity), 77.0f, Near);
        EXPECT_NEAR(Vector_Length(Model(parked).velocity), 200.0f, Near);
        EXPECT_TRUE(match.spheres[parked].parked);
        EXPECT_EQ(sounds.Count(SOUND_SPHERE_SPHERE), 1) << parked_first;
    }
}

TEST_F(Physics_Step_Test, WallTouchPlaysItsSoundAndTurnsOnlyAnApproachingSphere) {
    match.wall = Edge_Model({{{-50, 5, 0}, {50, 5, 0}, 1}});
    struct Case {
        float vy;
        Vector velocity_after, position_after;
    };
    const Case cases[] = {
        {-200, {0, -200, 0}, {0, -2, 10}},  // moving away: untouched, but it sounds
        {200, {0, -200, 0}, {0, -12, 10}},  // approaching: turned and pushed out
    };
    for (const Case& c : cases) {
        match.sphere_count = 0;
        sounds.played.clear();
        Add_Sphere({0, 0, 10}, {0, c.vy, 0});
        Physics_Step(match, context, 0.01f);
        Expect_Vector_Near(Model(0).velocity, c.velocity_after, Near);
        Expect_Vector_Near(Model(0).position, c.position_after, Near);
        EXPECT_EQ(sounds.played, std::vector<int>{SOUND_SPHERE_WALL});
    }
}

TEST_F(Physics_Step_Test, NoSoundUnlessTheSettingIsOne) {
    match.wall = Edge_Model({{{-50, 5, 0}, {50, 5, 0}, 1}});
    for (int sound : {0, 2}) {
        settings.Sound = sound;
        match.sphere_count = 0;
        Add_Sphere({0, 0, 10}, {0, 200, 0});
        Physics_Step(match, context, 0.01f);
        EXPECT_LT(Model(0).velocity.y, 0.0f);  // it still bounced
    }
    EXPECT_TRUE(sounds.played.empty());
    Match_Context silent;  // no settings at all
    silent.sound = &sounds;
    match.sphere_count = 0;
    Add_Sphere({0, 0, 10}, {0, 200, 0});
    Physics_Step(match, silent, 0.01f);
    EXPECT_TRUE(sounds.played.empty());
}

TEST_F(Physics_Step_Test, GoalSensorsParkForTheFirstOpenSideInOrder) {
    struct Case {
        Vector start, velocity;
        float sensor_y;  // a key-2 edge along x from 100 to 200 (or mirrored)
        std::set<int> closed;
        int goal_side;  // -1: bounced, not parked
    };
    const Case cases[] = {
        {{0, 178, 10}, {0, 200, 0}, 185, {}, SIDE_TOP},
        {{0, 178, 10}, {0, 200, 0}, 185, {SIDE_TOP}, -1},  // a closed goal is a wall
        {{165, 165, 10}, {0, 200, 0}, 172, {}, SIDE_TOP},
        {{165, 165, 10}, {0, 200, 0}, 172, {SIDE_TOP}, SIDE_RIGHT},
        {{165, 165, 10}, {0, 200, 0}, 172, {SIDE_TOP, SIDE_RIGHT}, -1},
        {{-165, -165, 10}, {0, -200, 0}, -172, {}, SIDE_BOTTOM},
        {{-165, -165, 10}, {0, -200, 0}, -172, {SIDE_BOTTOM}, SIDE_LEFT},
    };
    for (const Case& c : cases) {
        const float x0 = c.start.x < 0 ? -200.0f : (c.start.x > 0 ? 100.0f : -30.0f);
        const float x1 = c.start.x < 0 ? -100.0f : (c.start.x > 0 ? 200.0f : 30.0f);
        match.wall = Edge_Model({{{x0, c.sensor_y, 0}, {x1, c.sensor_y, 0}, 2}});
        for (int s = 0; s < Side_Count; ++s) match.sides[s].closed = c.closed.count(s) > 0;
        match.last_goal_side = -1;
        match.sphere_count = 0;
        sounds.played.clear();
        Add_Sphere(c.start, c.velocity);
        Physics_Step(match, context, 0.01f);
        const std::string label =
            std::to_string(c.start.x) + " closed " + std::to_string(c.closed.size());
        EXPECT_EQ(match.last_goal_side, c.goal_side) << label;
        EXPECT_EQ(match.spheres[0].parked, c.goal_side >= 0) << label;
        EXPECT_EQ(sounds.Count(SOUND_GOAL), c.goal_side >= 0 ? 1 : 0) << label;
        EXPECT_EQ(sounds.Count(SOUND_SPHERE_WALL), 0) << label;
        // The sensor bounces the sphere either way.
        EXPECT_LT(Model(0).velocity.y * c.velocity.y, 0.0f) << label;
        EXPECT_EQ(match.escapes, 0) << label;  // a goal is no escape
    }
}

TEST_F(Physics_Step_Test, PaddlesOfOpenSidesOnlyBounceAndSound) {
    Side& bottom = match.sides[SIDE_BOTTOM];
    bottom.paddle = Edge_Model({{{-30, -125, 0}, {30, -125, 0}}});
    bottom.paddle.position = Vector_Set(0, -130, 0);
    bottom.paddle.radius = 32.0f;
    for (bool closed : {false, true}) {
        bottom.closed = closed;
        match.sphere_count = 0;
        sounds.played.clear();
        Add_Sphere({0, -115, 10}, {0, -200, 0});
        Physics_Step(match, context, 0.01f);
        EXPECT_EQ(sounds.Count(SOUND_SPHERE_PADDLE), closed ? 0 : 1);
        EXPECT_EQ(Model(0).velocity.y > 0, !closed);
    }
}

TEST_F(Physics_Step_Test, AHugeStepThroughAWallEndsParkedBeyondTheBound) {
    match.wall = Edge_Model({{{150, -100, 0}, {150, 100, 0}}});
    Add_Sphere({0, 0, 10}, {200, 0, 0});
    Physics_Step(match, context, 1.5f);  // lands at x 300, past the wall
    EXPECT_TRUE(match.spheres[0].parked);
    EXPECT_EQ(match.last_goal_side, -1);
    EXPECT_TRUE(sounds.played.empty());
    EXPECT_EQ(match.escapes, 1);  // counted apart from goals

    // One step short of the bound it still flies.
    match.sphere_count = 0;
    Add_Sphere({0, 0, 10}, {200, 0, 0});
    Physics_Step(match, context, 1.09f);  // x 218
    EXPECT_FALSE(match.spheres[0].parked);
    EXPECT_EQ(match.escapes, 1);
}

TEST_F(Physics_Step_Test, RollingTurnsTheMeshButNotThePath) {
    match.sphere_count = 0;
    Add_Sphere({0, 0, 10}, {200, 0, 0});
    CTarvelModel& model = Model(0);
    Add_Flat_Triangle(model, {10, 0, 10}, {0, 10, 10}, {0, 0, 20}, 0);
    const Vector top_before = model.points[2].position;
    Physics_Step(match, context, 0.01f);
    Expect_Vector_Near(model.position, {2, 0, 10}, Near);
    Expect_Vector_Near(model.velocity, {200, 0, 0}, 0);
    // Rolling towards +X carries the top point forward and down about the centre, once
    // the drawing settles the mesh.
    model.Settle();
    const Vector top = model.points[2].position;
    EXPECT_GT(top.x, top_before.x + 2.0f);
    EXPECT_NEAR(Distance(top, model.position), 10.0f, Near);

    context.animate_meshes = false;
    const Vector still = model.points[2].position;
    Physics_Step(match, context, 0.01f);
    model.Settle();
    EXPECT_NEAR(model.points[2].position.x, still.x + 2.0f, Near);  // carried, not turned
    EXPECT_NEAR(model.points[2].position.z, still.z, Near);
}

// Sphere updates reload "sphere.dat": these run on the fixture arena in a folder of
// their own.
class Sphere_Update_Test : public ::testing::Test {
  protected:
    Sphere_Update_Test() {
        Write_Arena_Models(folder.Path());
        settings.Sound = 1;
        context.settings = &settings;
        context.sound = &sounds;
    }
    // Mode 0 (three spheres, speed 200) with only sphere 0 in play and only Top open.
    void Setup_Timed_With_Top_Only() {
        settings.Level = 0;
        settings.Side_Controller[SIDE_TOP] = CONTROLLER_ARROW_KEYS;
        for (int s : {SIDE_BOTTOM, SIDE_LEFT, SIDE_RIGHT}) {
            settings.Side_Controller[s] = CONTROLLER_NONE;
        }
        Match_Setup(match, context);
        match.phase = PHASE_RUNNING;
        match.sphere_count = 1;
    }
    void Fly(int index, Vector position, Vector velocity) {
        Sphere& sphere = match.spheres[index];
        sphere.parked = false;
        sphere.launch_timer = -1.0f;
        sphere.model.Move(Vector_Subtract(position, sphere.model.position), true);
        sphere.model.velocity = velocity;
    }

    Scratch_Folder folder;
    Working_Folder here{folder.Path()};
    Game_Settings settings;
    Recording_Sound_Player sounds;
    Match_Context context;
    Match match;
};

TEST_F(Sphere_Update_Test, AGoalParksRespawnsTheSameStepAndLaunchesThreeSecondsLater) {
    Setup_Timed_With_Top_Only();
    const Vector start = Sphere_Start_Position(FAMILY_TIMED, 0);
    Fly(0, {0, 176, 10}, {0, 200, 0});
    Match_Step(match, context, 1.0f / 60.0f);

    Sphere& sphere = match.spheres[0];
    EXPECT_EQ(sounds.Count(SOUND_GOAL), 1);
    EXPECT_EQ(match.last_goal_side, SIDE_TOP);
    EXPECT_EQ(match.sides[SIDE_TOP].score, 1.0f);
    EXPECT_TRUE(sphere.parked);
    EXPECT_EQ(sphere.launch_timer, Launch_Delay);
    Expect_Vector_Near(sphere.model.position, start, 0);
    // It keeps the heading the sensor's bounce gave it.
    const float heading = Heading_Of(sphere.model.velocity);
    EXPECT_NEAR(heading, 270.0f, Near);

    // Forty-eight sixteenth-second steps spin it by 750 degrees; the last one launches it.
    // (Binary fractions, sub-steps included, so that the timer reaches 0 exactly.)
    for (int step = 1; step <= 48; ++step) {
        Match_Step(match, context, 0.0625f);
        if (step < 48) {
            ASSERT_TRUE(sphere.parked) << step;
            Expect_Vector_Near(sphere.model.position, start, 0);
        }
    }
    EXPECT_FALSE(sphere.parked);
    EXPECT_EQ(sphere.launch_timer, -1.0f);
    EXPECT_LT(Heading_Gap(Heading_Of(sphere.model.velocity), heading + 750.0f + 90.0f), 0.01f);
    EXPECT_NEAR(Vector_Length(sphere.model.velocity), 200.0f, Near);
    EXPECT_EQ(match.sides[SIDE_TOP].score, 1.0f);  // charged once
}

TEST_F(Sphere_Update_Test, EscapesChargeTheLastSideThatConcededAndNobodyBeforeAnyGoal) {
    for (int last_goal_side : {-1, int(SIDE_TOP)}) {
        Setup_Timed_With_Top_Only();
        match.last_goal_side = last_goal_side;
        Fly(0, {0, 0, 10}, {-200, 0, 0});
        Physics_Step(match, context, 1.5f);  // through the Left wall, out past the bound
        ASSERT_TRUE(match.spheres[0].parked);
        Sphere_Update(match, 0, context, 1.5f);
        Expect_Vector_Near(match.spheres[0].model.position, Sphere_Start_Position(FAMILY_TIMED, 0),
                           0);
        EXPECT_EQ(match.spheres[0].launch_timer, Launch_Delay);
        float goals = 0;
        for (const Side& side : match.sides) goals += side.score;
        EXPECT_EQ(goals, last_goal_side < 0 ? 0.0f : 1.0f);
        EXPECT_EQ(sounds.Count(SOUND_GOAL), 0);
    }
}

TEST_F(Sphere_Update_Test, NothingIsChargedOnceTheMatchIsOver) {
    Setup_Timed_With_Top_Only();
    match.phase = PHASE_NEW;
    match.last_goal_side = SIDE_TOP;
    match.spheres[0].launch_timer = -1.0f;  // parked by a goal
    Sphere_Update(match, 0, context, 0.01f);
    EXPECT_EQ(match.sides[SIDE_TOP].score, 0.0f);
    EXPECT_EQ(match.spheres[0].launch_timer, Launch_Delay);
}

TEST(Sphere_Update, HighScoreKeepsBottomsBestTimeAtLeastItsOpenTime) {
    Match match;
    match.mode_family = FAMILY_HIGH_SCORE;
    match.sphere_count = 1;
    match.spheres[0].parked = false;  // a flying sphere: only the best time moves
    Side& bottom = match.sides[SIDE_BOTTOM];
    bottom.best_time = 5.0f;
    bottom.open_time = 12.5f;
    Match_Context context;
    Sphere_Update(match, 0, context, 0.01f);
    EXPECT_EQ(bottom.best_time, 12.5f);
    bottom.open_time = 1.0f;
    Sphere_Update(match, 0, context, 0.01f);
    EXPECT_EQ(bottom.best_time, 12.5f);
    match.mode_family = FAMILY_TIMED;
    bottom.open_time = 20.0f;
    Sphere_Update(match, 0, context, 0.01f);
    EXPECT_EQ(bottom.best_time, 12.5f);
}

}  // namespace
