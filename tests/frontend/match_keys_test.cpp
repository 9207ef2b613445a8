// The match screen's keys: name entry, Escape, Enter at the end of a "High Score" run with
// the tables, the settings file and the score upload, and F1/F2.
#include "frontend/match_keys.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/frontend/frontend_fixture.h"

namespace {

// ---- Name entry -----------------------------------------------------------------------

TEST(NameEntry, LettersDigitsAndShift) {
    unsigned char keys[256] = {};
    std::string name;
    keys['A'] = 1;
    Name_Entry_Step(keys, name);
    keys[KEY_SHIFT] = 1;
    keys['N'] = 1;
    Name_Entry_Step(keys, name);
    keys[KEY_SHIFT] = 0;
    keys['7'] = 1;
    Name_Entry_Step(keys, name);
    EXPECT_EQ(name, "aN7");
    EXPECT_EQ(keys['A'] | keys['N'] | keys['7'], 0);  // consumed
    EXPECT_EQ(keys[KEY_SHIFT], 0);
}

TEST(NameEntry, OneCharacterPerPress) {
    unsigned char keys[256] = {};
    std::string name;
    keys['B'] = 1;
    for (int frame = 0; frame < 5; ++frame) Name_Entry_Step(keys, name);
    EXPECT_EQ(name, "b");
    keys['B'] = 1;  // auto-repeat, or a new press
    Name_Entry_Step(keys, name);
    EXPECT_EQ(name, "bb");
}

TEST(NameEntry, OtherKeysTypeNothing) {
    unsigned char keys[256] = {};
    std::string name;
    for (int key : {32, 47, 58, 64, 91, 96, 186, 190, int{KEY_ENTER}, int{KEY_ESCAPE}})
        keys[key] = 1;
    Name_Entry_Step(keys, name);
    EXPECT_EQ(name, "");
}

TEST(NameEntry, Backspace) {
    unsigned char keys[256] = {};
    std::string name = "Ann";
    keys[KEY_BACKSPACE] = 1;
    keys['X'] = 1;
    Name_Entry_Step(keys, name);
    EXPECT_EQ(name, "An");  // Backspace alone acts in its frame
    EXPECT_EQ(keys[KEY_BACKSPACE], 0);
    EXPECT_EQ(keys['X'], 1);

    std::string empty;
    keys[KEY_BACKSPACE] = 1;
    keys['X'] = 0;
    Name_Entry_Step(keys, empty);
    EXPECT_EQ(empty, "");  // nothing to remove, nothing happens
}

TEST(NameEntry, SixteenthCharacterRefused) {
    unsigned char keys[256] = {};
    std::string name = "abcdefghijklmn";  // 14
    keys['1'] = 1;
    keys['2'] = 1;
    keys['Q'] = 1;
    Name_Entry_Step(keys, name);
    EXPECT_EQ(name, "abcdefghijklmn1");  // the fifteenth is the last accepted
    EXPECT_EQ(keys['1'], 0);
    EXPECT_EQ(keys['2'], 1);  // refused keys stay down
    EXPECT_EQ(keys['Q'], 1);
    Name_Entry_Step(keys, name);
    EXPECT_EQ(name.size(), 15u);
}

// ---- Match keys -----------------------------------------------------------------------

class MatchKeys : public ::testing::Test, public Frontend_Fixture {};

TEST_F(MatchKeys, EscapeSuspendsARunningMatch) {
    match.mode_family = FAMILY_TIMED;
    match.phase = PHASE_RUNNING;
    Press(KEY_ESCAPE);
    Match_Keys_Step(context);
    EXPECT_EQ(match.phase, PHASE_SUSPENDED);
    EXPECT_EQ(fades_started, 1);
    EXPECT_EQ(fader.From, SCREEN_MATCH);
    EXPECT_EQ(fader.To, SCREEN_MENU);
    EXPECT_FLOAT_EQ(fader.Half, 0.5f);
    // Held over the next frames: the fade under way is not started again.
    Match_Keys_Step(context);
    EXPECT_EQ(fades_started, 1);
    EXPECT_EQ(match.phase, PHASE_SUSPENDED);
}

TEST_F(MatchKeys, EscapeLeavesAFinishedMatch) {
    for (int family : {FAMILY_TIMED, FAMILY_COUNTDOWN}) {
        SCOPED_TRACE(family);
        fader.To = SCREEN_MATCH;
        match.mode_family = family;
        match.phase = PHASE_NEW;
        Press(KEY_ESCAPE);
        Match_Keys_Step(context);
        EXPECT_EQ(match.phase, PHASE_NEW);  // the menu builds a new arena
        EXPECT_EQ(fader.To, SCREEN_MENU);
    }
    EXPECT_EQ(fades_started, 2);
}

TEST_F(MatchKeys, EnterOutsideTheHighScoreEndDoesNothing) {
    match.mode_family = FAMILY_HIGH_SCORE;
    match.phase = PHASE_RUNNING;  // the run is still going
    player_name = "Ann";
    Press(KEY_ENTER);
    Match_Keys_Step(context);
    match.mode_family = FAMILY_TIMED;
    match.phase = PHASE_NEW;  // a finished timed match
    Match_Keys_Step(context);
    EXPECT_EQ(fades_started, 0);
    EXPECT_FALSE(File_Exists(config_file));
    EXPECT_EQ(table_a.Spheres[0], 10000);
}

TEST_F(MatchKeys, EnterWithAnEmptyNameOnAQualifyingRunWaits) {
    High_Score_Run_Over(3.0f, 40.5f);
    Press(KEY_ENTER);
    Match_Keys_Step(context);
    Release(KEY_ENTER);
    Press(KEY_ESCAPE);  // Escape at the end acts as Enter
    Match_Keys_Step(context);
    EXPECT_EQ(fades_started, 0);
    EXPECT_FALSE(File_Exists(config_file));
    EXPECT_EQ(table_a.Spheres[0], 10000);
}

TEST_F(MatchKeys, EnterInsertsSavesAndFadesOnceWhileHeld) {
    settings.UploadHighScores = 0;
    High_Score_Run_Over(3.0f, 40.5f);
    player_name = "Ann";
    Press(KEY_ENTER);
    for (int frame = 0; frame < 4; ++frame) Match_Keys_Step(context);
    EXPECT_EQ(fades_started, 1);
    EXPECT_EQ(fader.To, SCREEN_MENU);
    EXPECT_STREQ(table_a.Name[0], "Ann");
    EXPECT_STREQ(table_b.Name[0], "Ann");
    EXPECT_STREQ(table_a.Name[1], "-----");  // inserted once
    EXPECT_TRUE(table_a.Is_New[0]);
    const std::string saved = Read_File(config_file);
    EXPECT_NE(saved.find("High_Score_1A = Ann = 3 = 40.500000"), std::string::npos) << saved;
    EXPECT_NE(saved.find("High_Score_1B = Ann = 3 = 40.500000"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("High_Score_2A"), std::string::npos);
}

TEST_F(MatchKeys, ARunOutsideTheTopFiveIsSavedButNotShownOrSent) {
    Io_Test_Server server(folder.Path() + "/requests.txt");
    ASSERT_TRUE(server.Running());
    context.upload_host = server.Host();
    for (int i = 0; i < 5; ++i) {
        std::snprintf(table_a.Name[i], sizeof table_a.Name[i], "p%d", i);
        table_a.Spheres[i] = i;
        table_a.Time[i] = 100.0f;
        table_b = table_a;
    }
    High_Score_Run_Over(9.0f, 10.0f);  // no name needed: it does not qualify
    Press(KEY_ENTER);
    Match_Keys_Step(context);
    EXPECT_EQ(fades_started, 1);
    EXPECT_STREQ(table_a.Name[4], "p4");
    EXPECT_TRUE(File_Exists(config_file));
    EXPECT_TRUE(server.Paths().empty());
}

TEST_F(MatchKeys, UploadComesAfterTheSaveAndTheFade) {
    Io_Test_Server server(folder.Path() + "/requests.txt");
    ASSERT_TRUE(server.Running());
    context.upload_host = server.Host();
    // What the server had seen, and the file held, when the fade started.
    size_t requests_at_fade = 99;
    std::string saved_at_fade;
    context.fade_start = [&](int, int to, float) {
        requests_at_fade = server.Paths().size();
        saved_at_fade = Read_File(config_file);
        fader.To = to;
        ++fades_started;
    };
    settings.UploadHighScores = 1;
    os_name = "XP";
    High_Score_Run_Over(3.0f, 40.5f);
    player_name = "Ann";
    Press(KEY_ENTER);
    Match_Keys_Step(context);
    Match_Keys_Step(context);  // still held

    EXPECT_EQ(requests_at_fade, 0u);
    EXPECT_NE(saved_at_fade.find("High_Score_1A = Ann"), std::string::npos);
    const std::vector<std::string> paths = server.Paths();
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0],
              "/accessTindral.php?access=score_upload_information&level=1&score_time=40.500000"
              "&score_spheres=3&username=Ann&index=1074&os=XP&version=1.65");
}

TEST_F(MatchKeys, UploadsOffSendNothing) {
    Io_Test_Server server(folder.Path() + "/requests.txt");
    ASSERT_TRUE(server.Running());
    context.upload_host = server.Host();
    settings.UploadHighScores = 0;
    High_Score_Run_Over(3.0f, 40.5f);
    player_name = "Ann";
    Press(KEY_ENTER);
    Match_Keys_Step(context);
    EXPECT_STREQ(table_a.Name[0], "Ann");
    EXPECT_TRUE(File_Exists(config_file));
    EXPECT_TRUE(server.Paths().empty());
}

TEST_F(MatchKeys, FunctionKeysChooseTheCameraView) {
    settings.CameraView = 1;
    Press(KEY_F1);
    Match_Keys_Step(context);
    EXPECT_EQ(settings.CameraView, 0);
    Press(KEY_F2);  // F1 still held: it wins
    Match_Keys_Step(context);
    EXPECT_EQ(settings.CameraView, 0);
    Release(KEY_F1);
    Match_Keys_Step(context);
    EXPECT_EQ(settings.CameraView, 1);
}

}  // namespace
