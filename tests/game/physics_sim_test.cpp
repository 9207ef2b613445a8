// Whole matches on the shipped arena (build/data/models.pak), played by tindral-sim with
// the computer on every side: every mode finishes through its end rule, goals come at a
// plausible rate, no sphere leaves the arena, and nothing turns into NaN over an hour of
// play at frame times from 1/240 to 1/15 of a second.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "tests/game/game_test_support.h"

namespace {

Run_Result Sim(const std::string& arguments) {
    return Run_Command(std::string(TINDRAL_SIM_PATH) + " " + arguments);
}

double Number(const std::string& json, const std::string& key) {
    std::vector<double> values = Numbers(json, key);
    EXPECT_EQ(values.size(), 1u) << key;
    return values.empty() ? NAN : values[0];
}

bool Flag(const std::string& json, const std::string& key) {
    return json.find("\"" + key + "\": true") != std::string::npos;
}

std::vector<bool> Closed(const std::string& json) {
    std::vector<bool> values;
    std::regex pattern("\"closed\": (true|false)");
    for (auto it = std::sregex_iterator(json.begin(), json.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        values.push_back((*it)[1] == "true");
    }
    return values;
}

std::vector<std::string> Ranking(const std::string& json) {
    std::smatch list;
    std::vector<std::string> names;
    if (!std::regex_search(json, list, std::regex("\"ranking\": \\[([^\\]]*)\\]"))) return names;
    const std::string inside = list[1];
    std::regex name("\"([A-Za-z]+)\"");
    for (auto it = std::sregex_iterator(inside.begin(), inside.end(), name);
         it != std::sregex_iterator(); ++it) {
        names.push_back((*it)[1]);
    }
    return names;
}

int Side_Index(const std::string& name) {
    const char* names[] = {"Top", "Bottom", "Left", "Right"};
    for (int s = 0; s < 4; ++s) {
        if (name == names[s]) return s;
    }
    return -1;
}

// What every run must show: no value went bad, no sphere left the arena (none is ever
// seen in flight beyond the walls, whose furthest point is a goal's back at 190), and
// every reset follows a goal.
void Expect_Sound_Play(const std::string& json, double minutes) {
    EXPECT_EQ(Number(json, "first_bad_step"), -1);
    EXPECT_EQ(Number(json, "escapes"), 0);
    EXPECT_LT(Number(json, "max_extent"), 190.0);
    const double goals = Number(json, "2");
    const double resets = Number(json, "resets");
    EXPECT_EQ(resets, goals);
    // Goals at a plausible rate: some, but not dozens a minute.
    EXPECT_GT(goals, 0);
    EXPECT_LT(goals / minutes, 24.0) << goals << " goals in " << minutes << " minutes";
    // Spheres hit paddles and walls.
    EXPECT_GT(Number(json, "3"), 0);
    EXPECT_GT(Number(json, "5"), 0);
}

class Whole_Match : public ::testing::TestWithParam<int> {};

TEST_P(Whole_Match, FinishesThroughItsEndRule) {
    const int level = GetParam();
    Run_Result run =
        Sim("--level " + std::to_string(level) + " --sides 7,7,7,7 --sound 1 --meshes 0");
    ASSERT_EQ(run.status, 0) << run.output;
    const std::string& json = run.output;
    ASSERT_TRUE(Flag(json, "finished")) << json;
    EXPECT_EQ(Number(json, "phase"), 2);
    EXPECT_EQ(Number(json, "sphere_count"), 0);
    const double seconds = Number(json, "simulated_seconds");
    Expect_Sound_Play(json, seconds / 60.0);

    const std::vector<double> scores = Numbers(json, "score");
    const std::vector<bool> closed = Closed(json);
    ASSERT_EQ(scores.size(), 4u);
    ASSERT_EQ(closed.size(), 4u);
    int open = 0;
    for (bool c : closed) open += c ? 0 : 1;
    const std::vector<std::string> ranking = Ranking(json);

    if (level <= 2) {
        // Timed: the clock ran out after 180 (mode + 1) seconds, plus sudden death.
        const double length = 180.0 * (level + 1);
        EXPECT_GE(seconds, length - 0.01);
        if (!Flag(json, "sudden_death")) {
            EXPECT_LT(seconds, length + 0.2);
        }
        EXPECT_LE(Number(json, "clock"), 0.0);
        EXPECT_EQ(open, 1);
        ASSERT_EQ(ranking.size(), 4u);
        // The winner is the one open side and conceded strictly fewest; the rest follow
        // by goals.
        const int winner = Side_Index(ranking[0]);
        ASSERT_GE(winner, 0);
        EXPECT_FALSE(closed[winner]);
        for (int r = 1; r < 4; ++r) {
            const int side = Side_Index(ranking[r]);
            EXPECT_LT(scores[winner], scores[side]);
            EXPECT_LE(scores[Side_Index(ranking[r - 1])], scores[side]);
        }
        double charged = 0;
        for (double score : scores) charged += score;
        EXPECT_LE(charged, Number(json, "resets"));
        EXPECT_GE(charged, Number(json, "2"));
    } else if (level <= 5) {
        // Countdown: it ends when one side is left, and that side ranks first.
        EXPECT_EQ(open, 1);
        ASSERT_EQ(ranking.size(), 4u);
        EXPECT_FALSE(closed[Side_Index(ranking[0])]);
        EXPECT_EQ(Numbers(json, "open_time")[Side_Index(ranking[0])], 10000.0);
    } else {
        // High Score: 150 seconds, then the result.
        EXPECT_GE(seconds, 150.0 - 0.01);
        EXPECT_LT(seconds, 150.0 + 1.0 / 60.0 + 0.01);
        EXPECT_EQ(Number(json, "clock"), 0.0);
        const double allowed = Number(json, "spheres_allowed");
        const double best = Number(json, "most_seconds_without_goal");
        EXPECT_EQ(allowed, scores[1]);
        EXPECT_EQ(best, Numbers(json, "best_time")[1]);
        EXPECT_GT(best, 0.0);
        EXPECT_LE(best, 150.0);
        EXPECT_LE(allowed, Number(json, "resets"));
        EXPECT_GE(allowed, Number(json, "2"));
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, Whole_Match, ::testing::Range(0, 7));

struct Long_Case {
    int level;
    int frames_per_second;
    int meshes;
    int seconds;
};

void PrintTo(const Long_Case& c, std::ostream* out) {
    *out << "level " << c.level << " at " << c.frames_per_second << " fps for " << c.seconds << " s"
         << (c.meshes ? " with meshes" : "");
}

class Long_Play : public ::testing::TestWithParam<Long_Case> {};

TEST_P(Long_Play, StaysFiniteAndInsideTheArena) {
    const Long_Case c = GetParam();
    const double dt = 1.0 / c.frames_per_second;
    char arguments[256];
    std::snprintf(arguments, sizeof arguments,
                  "--level %d --sides 7,7,7,7 --sound 1 --end-rules 0 --meshes %d --seconds %d "
                  "--dt %.9g",
                  c.level, c.meshes, c.seconds, dt);
    Run_Result run = Sim(arguments);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_FALSE(Flag(run.output, "finished"));
    EXPECT_NEAR(Number(run.output, "steps"), c.seconds * c.frames_per_second, 1.0);
    EXPECT_EQ(Number(run.output, "first_bad_step"), -1);
    EXPECT_EQ(Number(run.output, "escapes"), 0);
    EXPECT_LT(Number(run.output, "max_extent"), 190.0);
    const double goals = Number(run.output, "2");
    EXPECT_GT(goals, 0);
    EXPECT_EQ(Number(run.output, "resets"), goals);
    EXPECT_LT(goals / (c.seconds / 60.0), 24.0);
}

INSTANTIATE_TEST_SUITE_P(Hour, Long_Play,
                         ::testing::Values(Long_Case{0, 240, 0, 3600}, Long_Case{6, 60, 0, 3600},
                                           Long_Case{4, 60, 0, 3600}, Long_Case{0, 15, 0, 3600},
                                           Long_Case{6, 15, 0, 3600}, Long_Case{6, 15, 1, 600}),
                         [](const ::testing::TestParamInfo<Long_Case>& test_info) {
                             return "Level" + std::to_string(test_info.param.level) + "At" +
                                    std::to_string(test_info.param.frames_per_second) + "Fps" +
                                    (test_info.param.meshes ? "WithMeshes" : "");
                         });

TEST(Sim_Stepping, SameArgumentsSameMatch) {
    const std::string arguments = "--level 6 --sides 7,1,7,7 --seconds 40 --sound 1";
    Run_Result first = Sim(arguments);
    Run_Result second = Sim(arguments);
    ASSERT_EQ(first.status, 0);
    EXPECT_EQ(first.output, second.output);
    // The drawn meshes change nothing in the play.
    Run_Result bare = Sim(arguments + " --meshes 0");
    ASSERT_EQ(bare.status, 0);
    EXPECT_EQ(first.output, bare.output);
}

TEST(Sim_Stepping, LimitsSoundCountsAndBadValues) {
    Run_Result steps = Sim("--level 0 --sides 7,7,7,7 --steps 100");
    ASSERT_EQ(steps.status, 0);
    EXPECT_EQ(Number(steps.output, "steps"), 100);
    EXPECT_FALSE(Flag(steps.output, "finished"));
    EXPECT_EQ(steps.output.find("\"sounds\""), std::string::npos);  // sound off
    EXPECT_NEAR(Number(steps.output, "clock"), 180.0 - 100.0 / 60.0, 1e-3);

    Run_Result seconds = Sim("--level 3 --sides 7,7,7,7 --seconds 2 --dt 0.5 --sound 1");
    ASSERT_EQ(seconds.status, 0);
    EXPECT_EQ(Number(seconds.output, "steps"), 4);
    EXPECT_EQ(Number(seconds.output, "4"), 0);  // a single sphere never meets another

    for (const char* bad :
         {"--dt 0", "--dt -1", "--dt x", "--dt 0.00001", "--dt 11", "--steps -3", "--seconds 0",
          "--steps 5 --seconds 2", "--sound 2", "--end-rules 3", "--meshes x"}) {
        Run_Result run = Sim(bad);
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_TRUE(run.output.empty()) << bad;
    }
}

TEST(Sim_Stepping, EscapesAreReportedApartFromGoals) {
    // One-second frames outrun the sub-steps (8 of 25 units at 200 units per second), so
    // spheres pass through walls and leave the arena; each is reset like a goal. (The run
    // sees no reset of a sphere that launches and leaves within one such frame.)
    Run_Result run =
        Sim("--level 0 --sides 7,7,7,7 --dt 1 --seconds 600 --end-rules 0 --sound 1 --meshes 0");
    ASSERT_EQ(run.status, 0) << run.output;
    const double escapes = Number(run.output, "escapes"), goals = Number(run.output, "2");
    EXPECT_GT(escapes, 0);
    EXPECT_GT(goals, 0);
    EXPECT_LE(Number(run.output, "resets"), goals + escapes);
    EXPECT_GT(Number(run.output, "resets"), goals);
}

TEST(Sim_Stepping, BenchPrintsItsFigures) {
    Run_Result run = Sim("--bench --steps 300");
    ASSERT_EQ(run.status, 0) << run.output;
    std::smatch figures;
    ASSERT_TRUE(std::regex_search(run.output, figures,
                                  std::regex("steps per second: ([0-9]+)\\nmicroseconds per "
                                             "step: ([0-9.]+)")))
        << run.output;
    EXPECT_GT(std::stod(figures[1]), 0.0);
    EXPECT_GT(std::stod(figures[2]), 0.0);
    EXPECT_NE(run.output.find("300 steps"), std::string::npos);
}

}  // namespace
