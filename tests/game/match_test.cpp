#include "game/match.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "tests/game/game_test_support.h"

namespace {

class Match_Test : public ::testing::Test {
  protected:
    Match_Test() {
        Write_Arena_Models(folder.Path());
        context.settings = &settings;
        context.table_a = &table_a;
        context.table_b = &table_b;
        context.restart_timer = [this] { ++timer_restarts; };
        High_Score_Table_Clear(table_a);
        High_Score_Table_Clear(table_b);
    }
    static void High_Score_Table_Clear(High_Score_Table& table) {
        std::memset(&table, 0, sizeof table);
    }
    void Setup(int level, std::vector<int> sides) {
        settings.Level = level;
        for (int s = 0; s < Side_Count; ++s) settings.Side_Controller[s] = sides[s];
        Match_Setup(match, context);
    }

    Scratch_Folder folder;
    Working_Folder here{folder.Path()};
    Game_Settings settings;
    High_Score_Table table_a, table_b;
    int timer_restarts = 0;
    Match_Context context;
    Match match;
};

TEST_F(Match_Test, ModesSetCountsSpeedsClocksAndStarts) {
    struct Start {
        float x, y, heading;
    };
    struct Case {
        int level;
        int family;
        float speed;
        float clock;  // -1: not set (Countdown keeps the previous clock)
        std::vector<Start> spheres;
    };
    const std::vector<Start> timed = {{-40, -40, 145}, {0, 0, 45}, {40, 40, 315}};
    const Case cases[] = {
        {0, FAMILY_TIMED, 200, 180, timed},
        {1, FAMILY_TIMED, 200, 360, timed},
        {2, FAMILY_TIMED, 200, 540, timed},
        {3, FAMILY_COUNTDOWN, 400, -1, {{0, 0, 0}}},
        {5, FAMILY_COUNTDOWN, 400, -1, {{0, 0, 0}}},
        {6,
         FAMILY_HIGH_SCORE,
         300,
         150,
         {{-50, 50, 225}, {50, 50, 135}, {50, -50, 45}, {-50, -50, 315}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        match.match_clock = 77.5f;
        match.last_goal_side = 2;
        match.phase = PHASE_RUNNING;
        Setup(c.level, {7, 1, 7, 7});
        EXPECT_EQ(match.mode, c.level);
        EXPECT_EQ(match.mode_family, c.family);
        EXPECT_EQ(match.sphere_count, static_cast<int>(c.spheres.size()));
        EXPECT_EQ(match.sphere_speed, c.speed);
        EXPECT_EQ(match.match_clock, c.clock < 0 ? 77.5f : c.clock);
        EXPECT_EQ(match.last_goal_side, -1);
        EXPECT_EQ(match.phase, PHASE_NEW);
        for (size_t i = 0; i < c.spheres.size(); ++i) {
            const Sphere& sphere = match.spheres[i];
            EXPECT_EQ(sphere.model.position.x, c.spheres[i].x) << i;
            EXPECT_EQ(sphere.model.position.y, c.spheres[i].y) << i;
            EXPECT_EQ(sphere.model.position.z, 10.0f) << i;
            EXPECT_NEAR(Heading_Degrees(Vector(), sphere.model.velocity), c.spheres[i].heading,
                        1e-3f);
            EXPECT_NEAR(Vector_Length(sphere.model.velocity), 1.0f, 1e-6f);
            EXPECT_TRUE(sphere.parked);
            EXPECT_EQ(sphere.launch_timer, 3.0f);
            EXPECT_EQ(sphere.model.Radius(), 10.0f);
            // The mesh is baked at the start: the pyramid's apex stands 10 above it.
            EXPECT_FLOAT_EQ(sphere.model.points[4].position.x, c.spheres[i].x);
            EXPECT_FLOAT_EQ(sphere.model.points[4].position.z, 20.0f);
        }
    }
}

TEST_F(Match_Test, SidesScoresAndControllers) {
    struct Case {
        int level;
        std::vector<int> sides;
        std::vector<int> types;  // after set-up
        std::vector<bool> closed;
        std::vector<float> scores;
    };
    const Case cases[] = {
        {4, {7, 1, 8, 2}, {7, 1, 8, 2}, {false, false, true, false}, {600, 600, 0, 600}},
        {3, {8, 8, 7, 7}, {8, 8, 7, 7}, {true, true, false, false}, {0, 0, 300, 300}},
        {5, {1, 1, 1, 1}, {1, 1, 1, 1}, {false, false, false, false}, {900, 900, 900, 900}},
        {0, {7, 8, 7, 3}, {7, 8, 7, 3}, {false, true, false, false}, {0, 0, 0, 0}},
        // High Score: one player on Bottom, whatever the other sides say.
        {6, {1, 2, 1, 7}, {8, 2, 8, 8}, {true, false, true, true}, {0, 0, 0, 0}},
        {6, {7, 7, 7, 7}, {8, 7, 8, 8}, {true, false, true, true}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        for (Side& side : match.sides) {
            side.open_time = 5;
            side.best_time = 6;
        }
        Setup(c.level, c.sides);
        for (int s = 0; s < Side_Count; ++s) {
            EXPECT_EQ(match.controllers[s].type, c.types[s]) << s;
            EXPECT_EQ(match.sides[s].closed, c.closed[s]) << s;
            EXPECT_EQ(match.sides[s].score, c.scores[s]) << s;
            EXPECT_EQ(match.sides[s].open_time, 0.0f);
            EXPECT_EQ(match.sides[s].best_time, 0.0f);
        }
        // The settings themselves are left as they were.
        EXPECT_EQ(std::vector<int>(settings.Side_Controller, settings.Side_Controller + 4),
                  c.sides);
    }
}

TEST_F(Match_Test, KeyboardSidesGetTheirKeys) {
    match.controllers[2].button_keys[0] = 13;
    match.controllers[3].direction_keys[0] = 1;
    Setup(0, {1, 2, 2, 7});
    const int arrows[4] = {38, 40, 37, 39};
    const int letters[4] = {'W', 'S', 'A', 'D'};
    for (int d = 0; d < 4; ++d) {
        EXPECT_EQ(match.controllers[0].direction_keys[d], arrows[d]);
        EXPECT_EQ(match.controllers[1].direction_keys[d], letters[d]);
        EXPECT_EQ(match.controllers[2].direction_keys[d], letters[d]);
    }
    for (int b = 0; b < Controller_Button_Count; ++b) {
        EXPECT_EQ(match.controllers[0].button_keys[b], Key_None);
        EXPECT_EQ(match.controllers[2].button_keys[b], Key_None);
    }
    EXPECT_EQ(match.controllers[3].direction_keys[0], 1);  // computer: untouched
}

TEST_F(Match_Test, PaddlesStandAtTheirSidesTurnedAlongThem) {
    match.sides[0].paddle.velocity = Vector_Set(0, 0, 0);
    match.sides[1].paddle.velocity = Vector_Set(-1, 0, 0);  // steering at full speed
    Setup(0, {7, 7, 7, 7});
    const Vector starts[4] = {{0, 130, 0}, {0, -130, 0}, {-130, 0, 0}, {130, 0, 0}};
    for (int s = 0; s < Side_Count; ++s) {
        const CTarvelModel& paddle = match.sides[s].paddle;
        EXPECT_EQ(paddle.position.x, starts[s].x);
        EXPECT_EQ(paddle.position.y, starts[s].y);
        // The plate is 40 long: along x at Top and Bottom, along y at Left and Right.
        float extent_x = paddle.points[1].position.x - paddle.points[0].position.x;
        float extent_y = paddle.points[1].position.y - paddle.points[0].position.y;
        if (s < 2) {
            EXPECT_NEAR(extent_x, 40, 1e-4f) << s;
            EXPECT_NEAR(extent_y, 0, 1e-4f) << s;
        } else {
            EXPECT_NEAR(extent_x, 0, 1e-4f) << s;
            EXPECT_NEAR(extent_y, 40, 1e-4f) << s;
        }
        EXPECT_NEAR(paddle.points[0].position.x + paddle.points[2].position.x, 2 * starts[s].x,
                    1e-4f);
    }
    // Steering turned to heading 90 with its length kept.
    EXPECT_NEAR(match.sides[1].paddle.velocity.x, 0, 1e-6f);
    EXPECT_NEAR(match.sides[1].paddle.velocity.y, 1, 1e-6f);
    EXPECT_NEAR(Vector_Length(match.sides[0].paddle.velocity), 0, 1e-6f);
}

TEST_F(Match_Test, SetupClearsNewMarksAndRestartsTheTimer) {
    for (int i = 0; i < 6; ++i) table_a.Is_New[i] = table_b.Is_New[i] = true;
    table_a.Spheres[0] = 3;
    Setup(6, {7, 1, 7, 7});
    for (int i = 0; i < 6; ++i) {
        EXPECT_FALSE(table_a.Is_New[i]);
        EXPECT_FALSE(table_b.Is_New[i]);
    }
    EXPECT_EQ(table_a.Spheres[0], 3);
    EXPECT_EQ(timer_restarts, 1);
}

TEST_F(Match_Test, SphereResetKeepsTheHeading) {
    Setup(6, {7, 1, 7, 7});
    Sphere& sphere = match.spheres[2];
    sphere.model.Move(Vector_Set(30, -70, 0), true);  // rolled somewhere
    Vector_From_Polar(sphere.model.velocity, 300, 0, 77);
    sphere.parked = false;
    sphere.launch_timer = -1;
    match.sphere_speed = 1;
    Sphere_Reset(match, 2, context);
    EXPECT_EQ(sphere.model.position.x, 50);
    EXPECT_EQ(sphere.model.position.y, -50);
    EXPECT_FLOAT_EQ(sphere.model.points[4].position.x, 50);  // the mesh came back too
    EXPECT_NEAR(Heading_Degrees(Vector(), sphere.model.velocity), 77, 1e-3f);
    EXPECT_NEAR(Vector_Length(sphere.model.velocity), 300, 1e-3f);
    EXPECT_TRUE(sphere.parked);
    EXPECT_EQ(sphere.launch_timer, 3.0f);
    EXPECT_EQ(match.sphere_speed, 300);
}

// Every point of every model and every counter, for comparing whole set-ups.
std::vector<float> Snapshot(const Match& match) {
    std::vector<float> values = {static_cast<float>(match.mode), match.match_clock,
                                 static_cast<float>(match.sphere_count), match.sphere_speed};
    auto add_model = [&](const CTarvelModel& model) {
        for (const Model_Point& point : model.points) {
            values.insert(values.end(), {point.position.x, point.position.y, point.position.z});
        }
        for (const Model_Triangle& face : model.triangles) {
            values.insert(values.end(), {face.centroid.x, face.normal.x, face.normal.y});
        }
        values.insert(values.end(), {model.position.x, model.position.y, model.velocity.x,
                                     model.velocity.y, model.Radius()});
    };
    add_model(match.ground);
    add_model(match.wall);
    for (const Side& side : match.sides) {
        add_model(side.paddle);
        values.insert(values.end(), {side.closed ? 1.0f : 0.0f, side.score});
    }
    for (int i = 0; i < match.sphere_count; ++i) {
        add_model(match.spheres[i].model);
        values.push_back(match.spheres[i].launch_timer);
    }
    return values;
}

TEST_F(Match_Test, SetupsInARowAreIdentical) {
    for (int level : {0, 4, 6}) {
        SCOPED_TRACE(level);
        Setup(level, {8, 7, 8, 7});
        std::vector<float> first = Snapshot(match);
        // Play with everything a match changes, then set up again.
        for (int i = 0; i < 40; ++i) Close_Goals(match, 0.5f);
        for (Sphere& sphere : match.spheres) {
            sphere.model.Move(Vector_Set(13, 17, 0), true);
            sphere.model.Rotate_Z(33);
        }
        for (Side& side : match.sides) side.paddle.Move(Vector_Set(21, 0, 0), true);
        match.sides[1].score = 9;
        Setup(level, {8, 7, 8, 7});
        EXPECT_EQ(Snapshot(match), first);
    }
}

TEST_F(Match_Test, MissingModelsDoNotStopTheSetup) {
    std::remove("wall.dat");
    std::remove("sphere.dat");
    Setup(4, {7, 1, 7, 8});
    EXPECT_EQ(match.wall.point_count, 0);
    EXPECT_EQ(match.spheres[0].model.point_count, 0);
    EXPECT_EQ(match.spheres[0].model.position.y, 0.0f);
    EXPECT_TRUE(match.spheres[0].parked);
    EXPECT_EQ(match.sides[0].score, 600);
    EXPECT_EQ(match.sides[1].paddle.position.y, -130);
    Close_Goals(match, 1.0f);  // no wall: nothing to move, nothing touched
    EXPECT_EQ(match.wall.point_count, 0);
}

struct Mouth {
    int side;
    int reference;
    int vertices[4];
};
// Goal-mouth corners per side: floor pair and the top pair above it.
const Mouth Mouths[4] = {
    {SIDE_TOP, 35, {34, 35, 83, 84}},
    {SIDE_BOTTOM, 10, {10, 11, 59, 60}},
    {SIDE_LEFT, 23, {22, 23, 71, 72}},
    {SIDE_RIGHT, 46, {46, 47, 95, 96}},
};

// Every corner of a mouth stands `across` from the centre line and `out` from the centre,
// on the same side of each axis as in the fixture file, at its ring's height.
void Expect_Mouth(const Match& match, const Mouth& mouth, float across, float out) {
    CTarvelModel fixture;
    ASSERT_TRUE(fixture.File_Load("wall.dat", nullptr));
    for (int v : mouth.vertices) {
        const Vector& p = match.wall.points[v].position;
        const Vector& q = fixture.points[v].position;
        bool along_x = mouth.side == SIDE_TOP || mouth.side == SIDE_BOTTOM;
        float sign_x = q.x < 0 ? -1.0f : 1.0f;
        float sign_y = q.y < 0 ? -1.0f : 1.0f;
        EXPECT_NEAR(p.x, sign_x * (along_x ? across : out), 1e-4f) << v;
        EXPECT_NEAR(p.y, sign_y * (along_x ? out : across), 1e-4f) << v;
        EXPECT_EQ(p.z, v >= 49 ? 50.0f : 0.0f) << v;
    }
}

TEST_F(Match_Test, CloseGoalsNarrowsClosedMouthsAtFiveUnitsPerSecond) {
    // Every side closed: every mouth closes.
    Setup(0, {8, 8, 8, 8});
    for (const Mouth& mouth : Mouths) Expect_Mouth(match, mouth, 30, 185);

    Close_Goals(match, 0.5f);
    for (const Mouth& mouth : Mouths) Expect_Mouth(match, mouth, 27.5f, 182.5f);
    // The goal sensors' centroids follow the moved corners.
    const Model_Triangle& top_sensor = match.wall.triangles[0];  // 34, 35, 84
    EXPECT_NEAR(top_sensor.centroid.y, 182.5f, 1e-4f);

    Close_Goals(match, 1.5f);  // reaches 20 and 175 exactly
    for (const Mouth& mouth : Mouths) Expect_Mouth(match, mouth, 20, 175);
    for (int i = 0; i < 10; ++i) Close_Goals(match, 1.0f);
    for (const Mouth& mouth : Mouths) Expect_Mouth(match, mouth, 20, 175);

    // A new set-up opens them again.
    Setup(0, {8, 8, 8, 8});
    for (const Mouth& mouth : Mouths) Expect_Mouth(match, mouth, 30, 185);
}

TEST_F(Match_Test, CloseGoalsLeavesOpenSidesAndClampsALongStep) {
    Setup(3, {7, 8, 7, 8});  // Bottom and Right closed
    Close_Goals(match, 100.0f);
    Expect_Mouth(match, Mouths[SIDE_TOP], 30, 185);
    Expect_Mouth(match, Mouths[SIDE_LEFT], 30, 185);
    Expect_Mouth(match, Mouths[SIDE_BOTTOM], 20, 175);
    Expect_Mouth(match, Mouths[SIDE_RIGHT], 20, 175);

    // Closing a side later (an eliminated side) starts its animation then.
    match.sides[SIDE_TOP].closed = true;
    Close_Goals(match, 1.0f);
    Expect_Mouth(match, Mouths[SIDE_TOP], 25, 180);
    Expect_Mouth(match, Mouths[SIDE_LEFT], 30, 185);
}

TEST_F(Match_Test, CloseGoalsStopsWhenEitherCoordinateArrives) {
    // A mouth 12 across and 5 out from its limits: the out coordinate arrives first,
    // and from then on the mouth no longer moves.
    Setup(0, {8, 7, 7, 7});
    for (int v : {34, 35, 83, 84}) {
        Vector& p = match.wall.points[v].position;
        p.x = p.x < 0 ? -32.0f : 32.0f;
        p.y = 180.0f;
    }
    Close_Goals(match, 1.0f);
    Expect_Mouth(match, Mouths[SIDE_TOP], 27, 175);
    Close_Goals(match, 1.0f);
    Expect_Mouth(match, Mouths[SIDE_TOP], 27, 175);
}

}  // namespace
