#include "shell/fader.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class Recording_Host : public Fader_Host {
  public:
    int ticks = 0;
    int setups = 0;
    bool quit = false;
    std::vector<float> veils;

    void Timer_Tick() override { ++ticks; }
    void Match_Setup() override { ++setups; }
    void Request_Quit() override { quit = true; }
    void Draw_Veil(float opacity) override { veils.push_back(opacity); }
};

struct Flow {
    int screen = SCREEN_EXIT;
    int phase = PHASE_NEW;
};

TEST(Fader, StartTicksTheTimerAndSplitsTheTimeInHalves) {
    Recording_Host host;
    Screen_Fader fader;
    fader.Fade_Start(host, SCREEN_MENU, SCREEN_MATCH, 1.0f);
    EXPECT_EQ(host.ticks, 1);
    EXPECT_EQ(fader.Fade_Phase, 2);
    EXPECT_EQ(fader.From, SCREEN_MENU);
    EXPECT_EQ(fader.To, SCREEN_MATCH);
    EXPECT_FLOAT_EQ(fader.Remaining, 0.5f);
    EXPECT_FLOAT_EQ(fader.Half, 0.5f);
}

TEST(Fader, IdleFaderDrawsNothing) {
    Recording_Host host;
    Screen_Fader fader;
    Flow flow;
    fader.Fade_Update(host, flow.screen, flow.phase, 0.1f);
    EXPECT_TRUE(host.veils.empty());
}

TEST(Fader, SwitchFrameIsBlackAndLastFrameHasNoVeil) {
    Recording_Host host;
    Screen_Fader fader;
    Flow flow{SCREEN_MENU, PHASE_RUNNING};
    fader.Fade_Start(host, SCREEN_MENU, SCREEN_MATCH, 1.0f);
    fader.Fade_Update(host, flow.screen, flow.phase, 0.25f);
    EXPECT_FLOAT_EQ(host.veils.back(), 0.5f);  // half dark
    EXPECT_EQ(flow.screen, SCREEN_MENU);
    fader.Fade_Update(host, flow.screen, flow.phase, 0.25f);
    EXPECT_EQ(flow.screen, SCREEN_MATCH);
    EXPECT_FLOAT_EQ(host.veils.back(), 1.0f);  // the switch is drawn fully black
    fader.Fade_Update(host, flow.screen, flow.phase, 0.25f);
    EXPECT_FLOAT_EQ(host.veils.back(), 0.5f);
    fader.Fade_Update(host, flow.screen, flow.phase, 0.3f);
    EXPECT_EQ(fader.Fade_Phase, 0);
    EXPECT_EQ(host.veils.size(), 3u);  // nothing shows on the frame that ends the fade
}

// The veil is drawn only where it changes the picture: never at opacity 0 and never over
// the empty screen, which is black already. Frames of a quarter of a 1-second fade.
TEST(Fader, DrawsTheVeilOnlyWhereItCanBeSeen) {
    struct Case {
        int from;
        int to;
        std::vector<float> veils;
    } cases[] = {
        // Start-up: darkening the empty screen and the switch frame (still empty) show
        // nothing; the intro brightens under a veil (and then starts its own fade).
        {SCREEN_EXIT, SCREEN_INTRO, {0.5f}},
        // Exit: the menu darkens to full black; the empty screen then needs no veil.
        {SCREEN_MENU, SCREEN_EXIT, {0.5f, 1.0f}},
        {SCREEN_MENU, SCREEN_MATCH, {0.5f, 1.0f, 0.5f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to);
        Recording_Host host;
        Screen_Fader fader;
        Flow flow{c.from, PHASE_SUSPENDED};
        fader.Fade_Start(host, c.from, c.to, 1.0f);
        for (int frame = 0; frame < 4; ++frame) {
            fader.Fade_Update(host, flow.screen, flow.phase, 0.25f);
        }
        EXPECT_EQ(host.veils, c.veils);
    }
}

// Runs frames of `dt` until `until` holds or `limit` seconds pass; returns the time taken.
template <typename Pred>
float Run_Until(Screen_Fader& fader, Recording_Host& host, Flow& flow, float dt, float limit,
                Pred until) {
    float t = 0.0f;
    while (!until() && t < limit) {
        fader.Fade_Update(host, flow.screen, flow.phase, dt);
        t += dt;
    }
    return t;
}

TEST(Fader, IntroIsSeenForTwoSecondsThenTheMenuFadesIn) {
    Recording_Host host;
    Screen_Fader fader;
    Flow flow;
    const float dt = 1.0f / 64.0f;  // exact in binary, so the halves end on frame edges
    fader.Fade_Start(host, SCREEN_EXIT, SCREEN_INTRO, 2.0f);
    float dark = Run_Until(fader, host, flow, dt, 10.0f, [&] { return flow.screen == SCREEN_INTRO; });
    EXPECT_FLOAT_EQ(dark, 1.0f);
    float intro = Run_Until(fader, host, flow, dt, 10.0f, [&] { return flow.screen == SCREEN_MENU; });
    EXPECT_FLOAT_EQ(intro, 2.0f);  // one second brightening, one darkening
    EXPECT_EQ(host.setups, 1);     // the menu shows a fresh arena
    EXPECT_EQ(flow.phase, PHASE_NEW);
    Run_Until(fader, host, flow, dt, 10.0f, [&] { return fader.Fade_Phase == 0; });
    EXPECT_EQ(flow.screen, SCREEN_MENU);
    EXPECT_FALSE(host.quit);
}

struct Midpoint_Case {
    int to;
    int phase_before;
    int setups;
    int phase_at_midpoint;
    int phase_at_end;
};

class Fader_Midpoint : public ::testing::TestWithParam<Midpoint_Case> {};

TEST_P(Fader_Midpoint, SetsUpTheMatchOnlyWhenANewOneIsPending) {
    const Midpoint_Case& c = GetParam();
    Recording_Host host;
    Screen_Fader fader;
    Flow flow{c.to == SCREEN_MATCH ? SCREEN_MENU : SCREEN_MATCH, c.phase_before};
    int from = flow.screen;
    fader.Fade_Start(host, from, c.to, 1.0f);
    fader.Fade_Update(host, flow.screen, flow.phase, 0.5f);
    EXPECT_EQ(flow.screen, c.to);
    EXPECT_EQ(host.setups, c.setups);
    EXPECT_EQ(flow.phase, c.phase_at_midpoint);
    fader.Fade_Update(host, flow.screen, flow.phase, 0.5f);
    EXPECT_EQ(flow.phase, c.phase_at_end);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, Fader_Midpoint,
    ::testing::Values(
        // New game: set up at the midpoint, running from then on.
        Midpoint_Case{SCREEN_MATCH, PHASE_NEW, 1, PHASE_RUNNING, PHASE_RUNNING},
        // Continue: the suspended match resumes when the match screen has faded in.
        Midpoint_Case{SCREEN_MATCH, PHASE_SUSPENDED, 0, PHASE_SUSPENDED, PHASE_RUNNING},
        // A finished match back to the menu: a fresh arena behind the menu, still pending.
        Midpoint_Case{SCREEN_MENU, PHASE_NEW, 1, PHASE_NEW, PHASE_NEW},
        // Escape during a match: the suspended match is kept.
        Midpoint_Case{SCREEN_MENU, PHASE_SUSPENDED, 0, PHASE_SUSPENDED, PHASE_SUSPENDED}));

TEST(Fader, FadeIntoTheExitScreenRequestsQuit) {
    Recording_Host host;
    Screen_Fader fader;
    Flow flow{SCREEN_MENU, PHASE_NEW};
    fader.Fade_Start(host, SCREEN_MENU, SCREEN_EXIT, 1.0f);
    fader.Fade_Update(host, flow.screen, flow.phase, 0.5f);
    EXPECT_FALSE(host.quit);
    fader.Fade_Update(host, flow.screen, flow.phase, 0.5f);
    EXPECT_TRUE(host.quit);
}

}  // namespace
