// The match rules: the step's clock, drain and open times, goal charging, and the three
// end rules with their rankings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "game/match_frame.h"
#include "game/match_rules.h"
#include "game/physics.h"
#include "tests/game/game_test_support.h"
#include "tests/game/physics_test_support.h"

namespace {

// A match without models or spheres: the rules only read the sides and the clock.
Match Rules_Match(int family, std::vector<float> scores, std::vector<bool> closed) {
    Match match;
    match.mode_family = family;
    match.phase = PHASE_RUNNING;
    match.sphere_count = 0;
    for (int s = 0; s < Side_Count; ++s) {
        match.sides[s].score = scores[s];
        match.sides[s].closed = closed[s];
        match.controllers[s].type = closed[s] ? CONTROLLER_NONE : CONTROLLER_ARROW_KEYS;
    }
    return match;
}

std::vector<int> Ranking(const int ranking[Side_Count]) {
    return std::vector<int>(ranking, ranking + Side_Count);
}

TEST(Timed_End_Rule, SuddenDeathThenTheNextGoalDecides) {
    Match match = Rules_Match(FAMILY_TIMED, {2, 2, 5, 0}, {false, false, false, true});
    match.sphere_count = 3;
    int ranking[Side_Count] = {-1, -1, -1, -1};

    match.match_clock = 0.5f;
    EXPECT_EQ(Timed_End_Rule(match, true, ranking), TIMED_END_NOT_YET);
    EXPECT_FALSE(match.sides[SIDE_LEFT].closed);

    match.match_clock = -0.01f;
    EXPECT_EQ(Timed_End_Rule(match, true, ranking), TIMED_END_SUDDEN_DEATH);
    EXPECT_TRUE(match.sides[SIDE_LEFT].closed);
    EXPECT_FALSE(match.sides[SIDE_TOP].closed);
    EXPECT_FALSE(match.sides[SIDE_BOTTOM].closed);
    EXPECT_EQ(match.phase, PHASE_RUNNING);
    EXPECT_EQ(match.sphere_count, 3);

    Charge_Goal(match, SIDE_TOP);  // the next goal, against Top
    match.match_clock = -5.0f;
    EXPECT_EQ(Timed_End_Rule(match, true, ranking), TIMED_END_FINISHED);
    EXPECT_TRUE(match.sides[SIDE_TOP].closed);
    EXPECT_FALSE(match.sides[SIDE_BOTTOM].closed);
    EXPECT_EQ(match.phase, PHASE_NEW);
    EXPECT_EQ(match.sphere_count, 0);
    // By goals: Right (none, not shown), Bottom 2, Top 3, Left 5.
    EXPECT_EQ(Ranking(ranking), (std::vector<int>{SIDE_RIGHT, SIDE_BOTTOM, SIDE_TOP, SIDE_LEFT}));
}

TEST(Timed_End_Rule, DecidedOffTheMatchScreenChangesNothingElse) {
    Match match = Rules_Match(FAMILY_TIMED, {1, 2, 3, 4}, {false, false, false, false});
    match.sphere_count = 3;
    match.match_clock = 0.0f;
    int ranking[Side_Count] = {-1, -1, -1, -1};
    EXPECT_EQ(Timed_End_Rule(match, false, ranking), TIMED_END_DECIDED_ELSEWHERE);
    EXPECT_EQ(match.phase, PHASE_RUNNING);
    EXPECT_EQ(match.sphere_count, 3);
    EXPECT_EQ(ranking[0], -1);
    EXPECT_EQ(Timed_End_Rule(match, true, ranking), TIMED_END_FINISHED);
    EXPECT_EQ(Ranking(ranking), (std::vector<int>{0, 1, 2, 3}));
}

TEST(Timed_End_Rule, EqualScoresRankByLongerOpenTime) {
    Match match = Rules_Match(FAMILY_TIMED, {1, 3, 3, 3}, {false, true, true, true});
    match.sides[SIDE_BOTTOM].open_time = 10;
    match.sides[SIDE_LEFT].open_time = 30;
    match.sides[SIDE_RIGHT].open_time = 20;
    match.match_clock = -0.1f;
    int ranking[Side_Count];
    ASSERT_EQ(Timed_End_Rule(match, true, ranking), TIMED_END_FINISHED);
    EXPECT_EQ(Ranking(ranking), (std::vector<int>{SIDE_TOP, SIDE_LEFT, SIDE_RIGHT, SIDE_BOTTOM}));
}

TEST(Countdown, TheLastToConcedeDrainsThreePointsASecondPlusOnePerGoal) {
    Match match = Rules_Match(FAMILY_COUNTDOWN, {300, 300, 0, 300}, {false, false, true, false});
    Match_Context context;
    match.last_goal_side = SIDE_TOP;
    for (int i = 0; i < 60; ++i) Match_Step(match, context, 1.0f / 60.0f);
    EXPECT_NEAR(match.sides[SIDE_TOP].score, 297.0f, 1e-3f);
    EXPECT_EQ(match.sides[SIDE_BOTTOM].score, 300.0f);
    EXPECT_NEAR(match.sides[SIDE_BOTTOM].open_time, 1.0f, 1e-4f);
    EXPECT_EQ(match.sides[SIDE_LEFT].open_time, 0.0f);  // closed: not in play

    Charge_Goal(match, SIDE_TOP);
    EXPECT_NEAR(match.sides[SIDE_TOP].score, 298.0f, 1e-3f);

    // Bottom concedes: +1, then the drain moves to it.
    match.last_goal_side = SIDE_BOTTOM;
    Charge_Goal(match, SIDE_BOTTOM);
    EXPECT_EQ(match.sides[SIDE_BOTTOM].score, 301.0f);
    for (int i = 0; i < 30; ++i) Match_Step(match, context, 1.0f / 30.0f);
    EXPECT_NEAR(match.sides[SIDE_BOTTOM].score, 298.0f, 1e-3f);
    EXPECT_NEAR(match.sides[SIDE_TOP].score, 298.0f, 1e-3f);
    int ranking[Side_Count];
    EXPECT_FALSE(Countdown_End_Rule(match, true, ranking));  // three still in play
}

TEST(Countdown, ASideDrainedToZeroIsOutAndTheSurvivorWins) {
    Match match = Rules_Match(FAMILY_COUNTDOWN, {0.05f, 12, 0, 0}, {false, false, true, true});
    Match_Context context;
    match.last_goal_side = SIDE_TOP;
    match.sides[SIDE_TOP].open_time = 40;
    match.sides[SIDE_BOTTOM].open_time = 40;
    Match_Step(match, context, 0.01f);
    EXPECT_FALSE(match.sides[SIDE_TOP].closed);  // 0.02 left
    Match_Step(match, context, 0.01f);
    EXPECT_TRUE(match.sides[SIDE_TOP].closed);
    EXPECT_EQ(match.sides[SIDE_TOP].score, 0.0f);

    int ranking[Side_Count];
    EXPECT_FALSE(Countdown_End_Rule(match, false, ranking));  // not on the match screen
    EXPECT_EQ(match.phase, PHASE_RUNNING);
    ASSERT_TRUE(Countdown_End_Rule(match, true, ranking));
    EXPECT_EQ(match.phase, PHASE_NEW);
    EXPECT_EQ(match.sphere_count, 0);
    EXPECT_EQ(match.sides[SIDE_BOTTOM].open_time, 10000.0f);
    EXPECT_NEAR(match.sides[SIDE_TOP].open_time, 40.02f, 1e-4f);
    EXPECT_EQ(ranking[0], SIDE_BOTTOM);
    EXPECT_EQ(ranking[1], SIDE_TOP);
}

TEST(High_Score, AGoalAfterTheLongestStretchMovesItIntoTheBestTime) {
    Match match = Rules_Match(FAMILY_HIGH_SCORE, {0, 0, 0, 0}, {true, false, true, true});
    Side& bottom = match.sides[SIDE_BOTTOM];
    bottom.best_time = 30.0f;
    bottom.open_time = 40.0f;
    Charge_Goal(match, SIDE_BOTTOM);
    EXPECT_EQ(bottom.best_time, 40.0f);
    EXPECT_EQ(bottom.open_time, 0.0f);
    EXPECT_EQ(bottom.score, 1.0f);

    // A shorter stretch leaves the best time as it was.
    bottom.open_time = 10.0f;
    Charge_Goal(match, SIDE_BOTTOM);
    EXPECT_EQ(bottom.best_time, 40.0f);
    EXPECT_EQ(bottom.score, 2.0f);
}

TEST(High_Score, TheRunEndsAtZeroWithTheOvershootTakenOffTheRunningStretch) {
    struct Case {
        float clock, best, open;
        bool on_screen;
        bool over;
        float best_after;
    };
    const Case cases[] = {
        {0.5f, 20, 20, true, false, 20},       // still running
        {-0.25f, 20, 20, false, false, 20},    // off the match screen: untouched
        {0.0f, 20, 20, true, true, 20},        // exactly at the end
        {-0.25f, 20, 20, true, true, 19.75f},  // the running stretch overshot
        // The best stretch ended before the clock ran out: it is exact already.
        {-0.25f, 30, 20, true, true, 30},
        {-0.25f, 0, 0, true, true, 0},  // Bottom never played: no negative best time
    };
    for (const Case& c : cases) {
        Match match = Rules_Match(FAMILY_HIGH_SCORE, {3, 3, 0, 0}, {true, false, true, true});
        match.sphere_count = 4;
        match.match_clock = c.clock;
        match.sides[SIDE_BOTTOM].best_time = c.best;
        match.sides[SIDE_BOTTOM].open_time = c.open;
        EXPECT_EQ(High_Score_End_Rule(match, c.on_screen), c.over) << c.clock;
        EXPECT_EQ(match.sides[SIDE_BOTTOM].best_time, c.best_after) << c.clock << " " << c.best;
        EXPECT_EQ(match.phase, c.over ? PHASE_NEW : PHASE_RUNNING);
        EXPECT_EQ(match.sphere_count, c.over ? 0 : 4);
        EXPECT_EQ(match.match_clock, c.over ? 0.0f : c.clock);
        // The next frames change nothing more.
        if (c.over) {
            EXPECT_TRUE(High_Score_End_Rule(match, true));
            EXPECT_EQ(match.sides[SIDE_BOTTOM].best_time, c.best_after);
        }
    }
}

TEST(Charge_Goal, NothingOnceTheMatchIsOverOrForNoSide) {
    Match match = Rules_Match(FAMILY_TIMED, {0, 0, 0, 0}, {false, false, false, false});
    for (int side : {-1, 4}) Charge_Goal(match, side);
    match.phase = PHASE_NEW;
    Charge_Goal(match, SIDE_TOP);
    for (const Side& side : match.sides) EXPECT_EQ(side.score, 0.0f);
}

TEST(Match_Step, ClockAndOpenTimesRunOnlyForAMatchInPlay) {
    Match match = Rules_Match(FAMILY_TIMED, {0, 0, 0, 0}, {false, false, true, false});
    Match_Context context;
    match.match_clock = 10.0f;
    Match_Step(match, context, 0.5f);
    EXPECT_EQ(match.match_clock, 9.5f);
    EXPECT_EQ(match.sides[SIDE_TOP].open_time, 0.5f);
    EXPECT_EQ(match.sides[SIDE_LEFT].open_time, 0.0f);

    // A finished match still on screen: every side closed, the clock stands.
    match.phase = PHASE_NEW;
    Match_Step(match, context, 0.5f);
    EXPECT_EQ(match.match_clock, 9.5f);
    for (const Side& side : match.sides) {
        EXPECT_TRUE(side.closed);
        EXPECT_LE(side.open_time, 0.5f);
    }
}

// A frame applies the end rule before the step: a "High Score" run whose clock runs out
// in a frame's step ends in the next frame, at exactly zero, with that overshoot taken off.
TEST(Match_Frame, TheEndRuleComesBeforeTheStep) {
    struct Case {
        int phase;
        bool stop_when_over;
        float clock_after_second;  // after the frame that finds the run over
    } cases[] = {
        {PHASE_RUNNING, false, 0.0f},  // stepped on, but a finished match's clock stands
        {PHASE_RUNNING, true, 0.0f},
        {PHASE_SUSPENDED, false, 0.01f},  // no step at all: the clock keeps its time
    };
    Match_Context context;
    for (const Case& c : cases) {
        Match match = Rules_Match(FAMILY_HIGH_SCORE, {0, 0, 0, 0}, {true, false, true, true});
        match.phase = c.phase;
        match.match_clock = 0.01f;
        match.sides[SIDE_BOTTOM].open_time = 5.0f;
        match.sides[SIDE_BOTTOM].best_time = 5.0f;
        // First frame: the rule sees time left, then the step overshoots the end.
        EXPECT_FALSE(Match_Frame(match, context, 0.25f, c.stop_when_over));
        EXPECT_EQ(match.end.state, END_NONE);
        if (c.phase == PHASE_SUSPENDED) {
            EXPECT_EQ(match.match_clock, 0.01f);
            EXPECT_FALSE(Match_Frame(match, context, 0.25f, c.stop_when_over));
            EXPECT_EQ(match.match_clock, c.clock_after_second);
            continue;
        }
        EXPECT_FLOAT_EQ(match.match_clock, -0.24f);
        EXPECT_FLOAT_EQ(match.sides[SIDE_BOTTOM].open_time, 5.25f);
        // Second frame: the rule ends the run before anything else moves, so only the
        // first frame's overshoot comes off the stretch (a step first would take twice).
        EXPECT_TRUE(Match_Frame(match, context, 0.25f, c.stop_when_over));
        EXPECT_EQ(match.end.state, END_RUN_OVER);
        EXPECT_EQ(match.phase, PHASE_NEW);
        EXPECT_EQ(match.match_clock, c.clock_after_second);
        EXPECT_FLOAT_EQ(match.sides[SIDE_BOTTOM].best_time, 4.76f);
    }
}

// The menu's live view: a timed match past its time closes the sides behind the leader,
// but only the match screen finishes it.
TEST(Match_End_Rules, OnlyTheMatchScreenFinishesAMatch) {
    Match match = Rules_Match(FAMILY_TIMED, {2, 1, 3, 1}, {false, false, false, false});
    match.match_clock = -0.1f;
    Match_End_Rules(match, false);
    EXPECT_EQ(match.end.state, END_SUDDEN_DEATH);
    EXPECT_EQ(match.phase, PHASE_RUNNING);
    match.sides[SIDE_RIGHT].score = 2.0f;
    Match_End_Rules(match, false);
    EXPECT_EQ(match.end.state, END_NONE);
    EXPECT_EQ(match.phase, PHASE_RUNNING);
    Match_End_Rules(match, true);
    EXPECT_EQ(match.end.state, END_RANKED);
    EXPECT_EQ(match.phase, PHASE_NEW);
    EXPECT_EQ(match.end.ranking[0], SIDE_BOTTOM);
}

// A match on the fixture arena with the computer on every side.
class Rules_Arena_Test : public ::testing::Test {
  protected:
    Rules_Arena_Test() { Write_Arena_Models(folder.Path()); }
    void Setup(Match& match) {
        Game_Settings settings;
        settings.Level = 0;
        for (int& type : settings.Side_Controller) type = CONTROLLER_COMPUTER;
        Match_Context context;
        context.settings = &settings;
        Match_Setup(match, context);
        match.phase = PHASE_RUNNING;
    }
    static void Expect_Same(const Match& a, const Match& b) {
        EXPECT_EQ(a.match_clock, b.match_clock);
        EXPECT_EQ(a.last_goal_side, b.last_goal_side);
        for (int s = 0; s < Side_Count; ++s) {
            EXPECT_EQ(a.sides[s].score, b.sides[s].score);
            EXPECT_EQ(a.sides[s].open_time, b.sides[s].open_time);
            EXPECT_EQ(0, std::memcmp(&a.sides[s].paddle.position, &b.sides[s].paddle.position,
                                     sizeof(Vector)));
        }
        for (int i = 0; i < a.sphere_count; ++i) {
            const CTarvelModel& x = a.spheres[i].model;
            const CTarvelModel& y = b.spheres[i].model;
            EXPECT_EQ(0, std::memcmp(&x.position, &y.position, sizeof(Vector))) << i;
            EXPECT_EQ(0, std::memcmp(&x.velocity, &y.velocity, sizeof(Vector))) << i;
            EXPECT_EQ(a.spheres[i].parked, b.spheres[i].parked);
            EXPECT_EQ(a.spheres[i].launch_timer, b.spheres[i].launch_timer);
        }
    }

    Scratch_Folder folder;
    Working_Folder here{folder.Path()};
};

TEST_F(Rules_Arena_Test, APauseKeepsEveryValueAndPlayGoesOnAsIfUninterrupted) {
    Match_Context context;
    const float dt = 1.0f / 60.0f;
    Match straight, paused;
    Setup(straight);
    Setup(paused);
    for (int i = 0; i < 400; ++i) Match_Step(straight, context, dt);

    int ranking[Side_Count];
    for (int i = 0; i < 200; ++i) Match_Step(paused, context, dt);
    paused.phase = PHASE_SUSPENDED;
    const float clock = paused.match_clock;
    // Suspended: the main loop only draws; the menu's live view applies the end rule.
    for (int frame = 0; frame < 50; ++frame) {
        EXPECT_EQ(Timed_End_Rule(paused, false, ranking), TIMED_END_NOT_YET);
    }
    EXPECT_EQ(paused.match_clock, clock);
    paused.phase = PHASE_RUNNING;  // Continue
    for (int i = 0; i < 200; ++i) Match_Step(paused, context, dt);
    Expect_Same(paused, straight);
    // Play really went on: some sphere is in flight.
    bool flying = false;
    for (int i = 0; i < straight.sphere_count; ++i) flying |= !straight.spheres[i].parked;
    EXPECT_TRUE(flying);
}

TEST_F(Rules_Arena_Test, AMatchScreenFramePlacesTheMeshesItDraws) {
    // The steps only compose the spheres' rolling. After every frame of the match screen
    // each sphere's mesh is placed, exactly where settling after the same steps puts it; a
    // frame with the meshes not animated (nothing drawn) leaves that work undone.
    const float dt = 1.0f / 60.0f;
    Match_Context context;
    Match framed, stepped;
    Setup(framed);
    Setup(stepped);
    for (int frame = 0; frame < 300; ++frame) {
        Match_Frame(framed, context, dt, false);
        Match_Step(stepped, context, dt);
        for (int i = 0; i < framed.sphere_count; ++i) {
            ASSERT_FALSE(framed.spheres[i].model.Pose_Pending()) << "frame " << frame;
        }
    }
    bool pending = false;
    for (int i = 0; i < stepped.sphere_count; ++i) {
        CTarvelModel& model = stepped.spheres[i].model;
        pending |= model.Pose_Pending();
        model.Settle();
        const CTarvelModel& drawn = framed.spheres[i].model;
        ASSERT_EQ(drawn.points.size(), model.points.size());
        for (size_t p = 0; p < model.points.size(); ++p) {
            EXPECT_EQ(0, std::memcmp(&drawn.points[p].position, &model.points[p].position,
                                     sizeof(Vector)))
                << "sphere " << i << ", point " << p;
        }
    }
    EXPECT_TRUE(pending);  // the spheres did roll

    Match_Context undrawn;
    undrawn.animate_meshes = false;
    Match_Frame(framed, undrawn, dt, false);
    bool left = false;
    for (int i = 0; i < framed.sphere_count; ++i) {
        left |= !framed.spheres[i].parked && framed.spheres[i].model.Pose_Pending();
    }
    EXPECT_TRUE(left);
}

// One sphere at countdown speed heading straight for a wall at x = 100, nothing else in
// the arena: every side closed, no paddles, no goals.
Match Wall_Run_Match() {
    Match match;
    match.mode_family = FAMILY_TIMED;
    match.phase = PHASE_RUNNING;
    match.match_clock = 100.0f;
    match.sphere_speed = 400.0f;
    match.sphere_count = 1;
    for (int s = 0; s < Side_Count; ++s) {
        match.sides[s].closed = true;
        match.controllers[s].type = CONTROLLER_NONE;
    }
    match.wall = Edge_Model({{Vector_Set(100.0f, -200.0f, 0.0f), Vector_Set(100.0f, 200.0f, 0.0f)}});
    match.spheres[0].parked = false;
    match.spheres[0].launch_timer = -1.0f;
    match.spheres[0].model =
        Bare_Sphere(Vector_Set(75.0f, 0.0f, 10.0f), Vector_Set(400.0f, 0.0f, 0.0f));
    return match;
}

struct Frame_Case {
    float speed;  // Timed 200, High Score 300, Countdown 400
    int frames_per_second;
};

void PrintTo(const Frame_Case& c, std::ostream* out) {
    *out << c.speed << " units per second at " << c.frames_per_second << " fps";
}

class Ordinary_Frames : public ::testing::TestWithParam<Frame_Case> {};

TEST_P(Ordinary_Frames, RunOnePhysicsPassAsOneStepWouldOnAnObliqueWallHit) {
    // At 50 and 60 frames per second no sphere moves as far as its contact distance in a
    // frame, so the step must not split it: contacts are then tested only at the frame's
    // end, and an oblique bounce lands exactly where one physics pass puts it.
    const Frame_Case c = GetParam();
    const float dt = 1.0f / static_cast<float>(c.frames_per_second);
    Match stepped = Wall_Run_Match();
    stepped.sphere_speed = c.speed;
    Vector_From_Polar(stepped.spheres[0].model.velocity, c.speed, 0.0f, 35.0f);
    Match single = stepped;
    Match_Context context;
    bool bounced = false;
    for (int frame = 0; frame < 20; ++frame) {
        Match_Step(stepped, context, dt);
        Physics_Step(single, context, dt);
        Sphere_Update(single, 0, context, dt);
        const CTarvelModel& a = stepped.spheres[0].model;
        const CTarvelModel& b = single.spheres[0].model;
        ASSERT_EQ(0, std::memcmp(&a.position, &b.position, sizeof(Vector)))
            << "frame " << frame << ": (" << a.position.x << ", " << a.position.y << ") against ("
            << b.position.x << ", " << b.position.y << ")";
        ASSERT_EQ(0, std::memcmp(&a.velocity, &b.velocity, sizeof(Vector))) << "frame " << frame;
        bounced = bounced || a.velocity.x < 0.0f;
    }
    EXPECT_TRUE(bounced);
    EXPECT_FALSE(stepped.spheres[0].parked);
}

INSTANTIATE_TEST_SUITE_P(Frame_Rates, Ordinary_Frames,
                         ::testing::Values(Frame_Case{200, 60}, Frame_Case{200, 50},
                                           Frame_Case{300, 60}, Frame_Case{300, 50},
                                           Frame_Case{400, 60}, Frame_Case{400, 50}),
                         [](const ::testing::TestParamInfo<Frame_Case>& test_info) {
                             return "Speed" + std::to_string(int(test_info.param.speed)) + "At" +
                                    std::to_string(test_info.param.frames_per_second) + "Fps";
                         });

class Long_Frames : public ::testing::TestWithParam<float> {};

TEST_P(Long_Frames, DoNotCarryASphereThroughAWall) {
    // At 15 or 30 frames per second one frame moves the sphere 27 or 13 units, more than
    // the contact distance of 10: without sub-steps its centre lands past the wall and it
    // leaves the arena.
    Match match = Wall_Run_Match();
    Match_Context context;
    const float dt = GetParam();
    float furthest = 0.0f;
    for (int frame = 0; frame * dt < 0.25f; ++frame) {  // there and well back
        Match_Step(match, context, dt);
        furthest = std::max(furthest, match.spheres[0].model.position.x);
    }
    EXPECT_LT(furthest, 100.0f);
    EXPECT_LT(match.spheres[0].model.velocity.x, 0.0f);
    EXPECT_FALSE(match.spheres[0].parked);
}

INSTANTIATE_TEST_SUITE_P(Frame_Rates, Long_Frames,
                         ::testing::Values(1.0f / 60.0f, 1.0f / 30.0f, 1.0f / 15.0f));

TEST(Long_Frames, AStallBeyondTheSubStepsStillEndsAtTheEscapeBound) {
    Match match = Wall_Run_Match();
    Match_Context context;
    Match_Step(match, context, 1.0f);  // 400 units in 8 sub-steps of 50
    EXPECT_TRUE(match.spheres[0].parked);
}

}  // namespace
