// What the match screen shows over the arena: the clock, the heads-up lines of a "High
// Score" run, and the end screens of what the match rules decided.
#include "frontend/match_overlay.h"

#include <gtest/gtest.h>

#include <string>

#include "frontend/high_scores.h"
#include "frontend/match_keys.h"
#include "game/match_frame.h"
#include "game/match_rules.h"
#include "tests/frontend/frontend_fixture.h"

namespace {

TEST(ClockText, MinutesSecondsTenths) {
    struct Case {
        int family;
        float clock;
        const char* shown;  // nullptr: no clock
    } cases[] = {
        {FAMILY_TIMED, 125.47f, "2:05.4"},     {FAMILY_TIMED, 60.0f, "1:00.0"},
        {FAMILY_TIMED, 59.99f, "0:59.9"},      {FAMILY_TIMED, 540.0f, "9:00.0"},
        {FAMILY_HIGH_SCORE, 150.0f, "2:30.0"}, {FAMILY_HIGH_SCORE, 0.05f, "0:00.0"},
        {FAMILY_TIMED, 0.0f, nullptr},         {FAMILY_TIMED, -0.3f, nullptr},
        {FAMILY_COUNTDOWN, 125.47f, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clock);
        char text[32];
        EXPECT_EQ(Clock_Text(c.family, c.clock, text), c.shown != nullptr);
        if (c.shown != nullptr) {
            EXPECT_STREQ(text, c.shown);
        }
    }
}

class MatchOverlay : public ::testing::Test, public Frontend_Fixture {
  protected:
    // What a frame shows: the end rule as the game applies it before drawing, then the
    // overlay.
    Text_Lines Overlay() {
        Match_End_Rules(match, screen_state == SCREEN_MATCH);
        Text_Lines lines;
        Match_Overlay(context, lines);
        return lines;
    }
    void Sides(std::initializer_list<int> controllers, std::initializer_list<float> scores) {
        int s = 0;
        for (int type : controllers) {
            match.controllers[s].type = type;
            match.sides[s].closed = type == CONTROLLER_NONE;
            ++s;
        }
        s = 0;
        for (float score : scores) match.sides[s++].score = score;
    }
};

TEST_F(MatchOverlay, ClockDrawnLargeTopLeftButNotInCountdown) {
    match.mode_family = FAMILY_TIMED;
    match.match_clock = 125.47f;
    Sides({7, 1, 7, 7}, {0, 0, 0, 0});
    Text_Lines lines = Overlay();
    const Text_Line* clock = lines.Find("2:05.4");
    ASSERT_NE(clock, nullptr);
    EXPECT_EQ(clock->x, 3.0f);
    EXPECT_EQ(clock->y, 95.0f);
    EXPECT_EQ(clock->size, 4.0f);
    EXPECT_EQ(clock->centre | clock->right_align, 0);

    match.mode_family = FAMILY_COUNTDOWN;
    Sides({7, 1, 7, 7}, {300, 300, 300, 300});
    lines = Overlay();
    EXPECT_TRUE(lines.lines.empty());
}

TEST_F(MatchOverlay, HighScoreHeadsUpLines) {
    High_Score_Run_Over(2.0f, 31.256f);
    match.phase = PHASE_RUNNING;
    match.match_clock = 100.0f;
    match.sides[SIDE_BOTTOM].open_time = 12.5f;
    Text_Lines lines = Overlay();
    ASSERT_EQ(lines.lines.size(), 3u);
    EXPECT_EQ(lines.lines[1].text, "Seconds since last goal: 12.50");
    EXPECT_EQ(lines.lines[1].x, 79.0f);
    EXPECT_EQ(lines.lines[2].text, "Most time with no goal: 31.26");
    EXPECT_EQ(lines.lines[2].y, 94.1f);
    EXPECT_EQ(match.phase, PHASE_RUNNING);
}

TEST_F(MatchOverlay, TimedTieGoesOnThenTheRankingSkipsNone) {
    match.mode_family = FAMILY_TIMED;
    match.match_clock = -0.01f;
    match.sphere_count = 3;
    // Top 2, Bottom 2, Left none, Right 5.
    Sides({7, 1, 8, 7}, {2, 2, 0, 5});
    Text_Lines lines = Overlay();
    ASSERT_EQ(lines.lines.size(), 1u);
    EXPECT_EQ(lines.lines[0].text, "Don't let the next one in ...");
    EXPECT_EQ(lines.lines[0].size, 2.5f);
    EXPECT_TRUE(match.sides[3].closed);  // Right had more goals
    EXPECT_EQ(match.phase, PHASE_RUNNING);

    match.sides[0].score = 3;  // the next goal against Top decides
    lines = Overlay();
    EXPECT_EQ(match.phase, PHASE_NEW);
    EXPECT_EQ(match.sphere_count, 0);
    const char* expected[][2] = {
        {"1.", "Bottom player [2]"}, {"2.", "Top player [3]"}, {"3.", "Right player [5]"}};
    float y = 70.0f;
    for (const auto& e : expected) {
        SCOPED_TRACE(e[1]);
        const Text_Line* number = nullptr;
        for (const Text_Line& line : lines.lines) {
            if (line.text == e[0]) number = &line;
        }
        const Text_Line* text = lines.Find(e[1]);
        ASSERT_NE(number, nullptr);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(number->x, 30.5f);
        EXPECT_EQ(number->y, y);
        EXPECT_EQ(text->x, 34.5f);
        EXPECT_EQ(text->y, y);
        y -= 5.0f;
    }
    EXPECT_EQ(lines.Find("4."), nullptr);
    EXPECT_EQ(lines.Find("Left player [0]"), nullptr);
    const Text_Line* prompt = lines.Find("Press <escape> for main menu");
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->centre, 1);
    EXPECT_EQ(prompt->y, 45.0f);
}

TEST_F(MatchOverlay, TimedEndIsOnlyDecidedOnTheMatchScreen) {
    match.mode_family = FAMILY_TIMED;
    match.match_clock = 0.0f;
    Sides({7, 1, 7, 7}, {1, 2, 3, 4});
    screen_state = SCREEN_MENU;  // the menu's live view
    EXPECT_TRUE(Overlay().lines.empty());
    EXPECT_EQ(match.phase, PHASE_RUNNING);
    screen_state = SCREEN_MATCH;
    EXPECT_NE(Overlay().Find("Top player [1]"), nullptr);
}

TEST_F(MatchOverlay, CountdownWinnerAndSurvivalTimes) {
    match.mode_family = FAMILY_COUNTDOWN;
    Sides({7, 1, 7, 7}, {0, 0, 120, 0});
    match.sides[0].closed = true;
    match.sides[0].open_time = 40.25f;
    match.sides[1].closed = true;
    match.sides[1].open_time = 95.5f;
    match.sides[3].closed = true;
    match.sides[3].open_time = 12.0f;
    Text_Lines lines = Overlay();
    EXPECT_EQ(match.phase, PHASE_NEW);
    const char* expected[] = {"Left player won", "Bottom player [95.5 seconds]",
                              "Top player [40.2 seconds]", "Right player [12.0 seconds]"};
    float y = 70.0f;
    for (const char* text : expected) {
        SCOPED_TRACE(text);
        const Text_Line* line = lines.Find(text);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->y, y);
        y -= 5.0f;
    }
    EXPECT_NE(lines.Find("Press <escape> for main menu"), nullptr);
}

TEST_F(MatchOverlay, CountdownGoesOnWhileTwoSidesPlay) {
    match.mode_family = FAMILY_COUNTDOWN;
    Sides({7, 1, 8, 8}, {10, 20, 0, 0});
    EXPECT_TRUE(Overlay().lines.empty());
    EXPECT_EQ(match.phase, PHASE_RUNNING);
}

// A countdown match shows no clock, also once it is finished, whatever the clock holds (a
// countdown leaves it as the match before it left it). Played frame by frame as the main
// loop does (drawing, then the step): once finished the clock stands and every later frame
// shows the same ranking.
TEST_F(MatchOverlay, FinishedCountdownShowsItsRankingAndNoClock) {
    for (float leftover : {125.47f, 59.99f, 0.0f, -30.0f}) {
        SCOPED_TRACE(leftover);
        match.mode = 3;
        match.mode_family = FAMILY_COUNTDOWN;
        match.phase = PHASE_RUNNING;
        match.match_clock = leftover;
        Sides({7, 7, 8, 8}, {0.1f, 50.0f, 0.0f, 0.0f});
        for (Side& side : match.sides) side.open_time = 0.0f;
        match.last_goal_side = SIDE_TOP;  // Top drains 3 points a second: out after 2 frames
        const Match_Context simulation;
        Text_Lines first_finished;
        float standing_clock = 0.0f;
        int finished_frames = 0;
        for (int frame = 0; frame < 30; ++frame) {
            const Text_Lines lines = Overlay();
            for (const Text_Line& line : lines.lines) {
                EXPECT_NE(line.size, 4.0f) << "a clock: " << line.text;
                EXPECT_EQ(line.text.find(':'), std::string::npos) << line.text;
            }
            if (match.phase != PHASE_NEW) {
                EXPECT_TRUE(lines.lines.empty());
            } else if (finished_frames++ == 0) {
                first_finished = lines;
                standing_clock = match.match_clock;
                const Text_Line* won = lines.Find("Bottom player won");
                ASSERT_NE(won, nullptr);
                EXPECT_EQ(won->y, 70.0f);
                EXPECT_NE(lines.Find("Press <escape> for main menu"), nullptr);
            } else {
                EXPECT_EQ(match.match_clock, standing_clock);
                ASSERT_EQ(lines.lines.size(), first_finished.lines.size());
                for (size_t i = 0; i < lines.lines.size(); ++i) {
                    EXPECT_EQ(lines.lines[i].text, first_finished.lines[i].text);
                    EXPECT_EQ(lines.lines[i].y, first_finished.lines[i].y);
                }
            }
            Match_Step(match, simulation, 1.0f / 60.0f);
        }
        EXPECT_GE(finished_frames, 25);
    }
}

TEST_F(MatchOverlay, HighScoreEndWithAQualifyingRun) {
    High_Score_Run_Over(3.0f, 40.5f);
    match.phase = PHASE_RUNNING;
    match.match_clock = -0.1f;  // the last frame overshot
    match.sides[SIDE_BOTTOM].open_time = 40.5f;
    player_name = "An";
    Press(KEY_SHIFT);
    Press('N');

    Text_Lines lines = Overlay();
    EXPECT_EQ(match.phase, PHASE_NEW);
    EXPECT_EQ(match.match_clock, 0.0f);
    EXPECT_FLOAT_EQ(match.sides[SIDE_BOTTOM].best_time, 40.4f);
    EXPECT_NE(lines.Find("Press <enter> to continue"), nullptr);
    const Text_Line* top5 = lines.Find("You got into the top 5");
    ASSERT_NE(top5, nullptr);
    EXPECT_EQ(top5->x, 30.0f);
    EXPECT_EQ(top5->y, 75.0f);
    // The name line shows the name typed so far, with the cursor on an even second, and
    // the tables show the run under it; drawing types nothing.
    const Text_Line* name = lines.Find("Name: An-");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->x, 35.0f);
    EXPECT_EQ(player_name, "An");
    auto green_names = [](const Text_Lines& shown, const char* text) {
        int count = 0;
        for (const Text_Line& line : shown.lines) {
            if (line.text == text && line.green > 0.8f && line.red < 0.1f) ++count;
        }
        return count;
    };
    EXPECT_EQ(green_names(lines, "An"), 2);
    // The frame's keys type; the next frame shows it.
    Match_Keys_Step(context);
    EXPECT_EQ(player_name, "AnN");
    lines = Overlay();
    EXPECT_NE(lines.Find("Name: AnN-"), nullptr);
    EXPECT_EQ(green_names(lines, "AnN"), 2);
    // Shown in place only: the tables are unchanged.
    EXPECT_STREQ(table_a.Name[0], "-----");
    EXPECT_FALSE(table_a.Is_New[0] || table_b.Is_New[0]);

    local_seconds = 5;
    EXPECT_NE(Overlay().Find("Name: AnN"), nullptr);
    local_seconds = -1;  // no local time: no cursor
    EXPECT_NE(Overlay().Find("Name: AnN"), nullptr);
}

TEST_F(MatchOverlay, HighScoreEndWithoutTheTopFive) {
    for (int i = 0; i < 5; ++i) {
        std::snprintf(table_a.Name[i], sizeof table_a.Name[i], "p%d", i);
        table_a.Spheres[i] = 0;
        table_a.Time[i] = 100.0f;
    }
    table_b = table_a;
    High_Score_Run_Over(3.0f, 40.5f);
    Press('X');
    Text_Lines lines = Overlay();
    const Text_Line* line = lines.Find("You did not get into the top 5");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->centre, 1);
    EXPECT_EQ(lines.Find("You got into the top 5"), nullptr);
    EXPECT_EQ(player_name, "");  // no name entry
    EXPECT_EQ(window.Keys['X'], 1);
}

TEST_F(MatchOverlay, HighScoreEndWhileLeavingShowsTheTablesAsTheyAre) {
    High_Score_Run_Over(3.0f, 40.5f);
    player_name = "Ann";
    Table_A_Insert(table_a, "Ann", 3.0f, 40.5f);
    Table_B_Insert(table_b, "Ann", 3.0f, 40.5f);
    fader.To = SCREEN_MENU;  // Enter was pressed
    Text_Lines lines = Overlay();
    int anns = 0;
    for (const Text_Line& line : lines.lines) anns += line.text == "Ann" ? 1 : 0;
    EXPECT_EQ(anns, 2);  // once per table, not inserted a second time
}

TEST_F(MatchOverlay, HighScoreEndNotInTheMenusLiveView) {
    High_Score_Run_Over(3.0f, 40.5f);
    match.phase = PHASE_RUNNING;
    match.match_clock = -0.1f;
    screen_state = SCREEN_MENU;
    EXPECT_TRUE(Overlay().lines.empty());
    EXPECT_EQ(match.phase, PHASE_RUNNING);
}

}  // namespace
