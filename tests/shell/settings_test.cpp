// config.dat: reading hand-written files, the exact text the writer produces, round
// trips, and saves that fail without harming the old file.
#include "shell/settings.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "shell/data_folder.h"
#include "tests/support/files.h"
#include "tests/support/memory_peak.h"

namespace {

class Settings_Test : public ::testing::Test {
  protected:
    void SetUp() override {
        High_Score_Table_Reset(a_);
        High_Score_Table_Reset(b_);
    }

    void Write(const std::string& text) { Write_File(path_, text); }
    std::string Read() const { return Read_File(path_); }
    Game_Settings Load(const std::string& text) {
        Write(text);
        Game_Settings settings;
        Settings_Load(path_.c_str(), settings, a_, b_);
        return settings;
    }
    std::vector<std::string> Names() const { return Folder_Names(dir_); }

    Scratch_Folder folder_;
    std::string dir_ = folder_.Path();
    std::string path_ = dir_ + "/config.dat";
    High_Score_Table a_;
    High_Score_Table b_;
};

void Set_Place(High_Score_Table& table, int slot, const char* name, int spheres, float time) {
    std::snprintf(table.Name[slot], sizeof table.Name[slot], "%s", name);
    table.Spheres[slot] = spheres;
    table.Time[slot] = time;
}

void Expect_Empty_Place(const High_Score_Table& table, int slot) {
    EXPECT_STREQ(table.Name[slot], "-----") << "slot " << slot;
    EXPECT_EQ(table.Spheres[slot], 10000) << "slot " << slot;
    EXPECT_EQ(table.Time[slot], 0.0f) << "slot " << slot;
}

// The nine settings as a flat list, in the file's order.
std::vector<int> Values(const Game_Settings& s) {
    return {s.CameraView,
            s.Level,
            s.Music,
            s.Sound,
            s.UploadHighScores,
            s.Side_Controller[0],
            s.Side_Controller[1],
            s.Side_Controller[2],
            s.Side_Controller[3]};
}
const std::vector<int> Defaults = {1, 3, 0, 0, 1, 7, 1, 7, 7};

TEST_F(Settings_Test, MissingFileGivesDefaults) {
    Game_Settings settings;
    settings.Level = 5;
    Settings_Load((dir_ + "/none.dat").c_str(), settings, a_, b_);
    EXPECT_EQ(Values(settings), Defaults);
    for (int slot = 0; slot < 5; ++slot) Expect_Empty_Place(a_, slot);
}

TEST_F(Settings_Test, HandEditedValues) {
    enum { CameraView, Level, Music, Sound, Upload, Top, Bottom, Left, Right };
    const struct {
        std::string text;
        int index;
        int expected;
    } cases[] = {
        {"Top = 12\n", Top, 8},
        {"Level = -4\n", Level, 0},
        {"Level = 9\n", Level, 6},
        {"Right = 0\n", Right, 1},
        {"Bottom = 3\n", Bottom, 3},
        {"Level=5\n", Level, 3},    // one token: not found
        {"level = 5\n", Level, 5},  // keys ignore case
        {"LEFT = 2\n", Left, 2},
        {"Level = 2\nLevel = 4\n", Level, 2},  // the first line wins
        {"Level = 5", Level, 3},               // no line end: the default
        {"Level\t = 5\n", Level, 5},           // tabs removed
        {"Level = 4 modes\n", Level, 4},       // digits up to the first other character
        {"Level = many\n", Level, 0},          // no digits: 0
        {"CameraView = 5\n", CameraView, 5},   // not limited
        {"Sound = 2\n", Sound, 2},
        {"Music = 1\n", Music, 1},
        {"UploadHighScores = 0\n", Upload, 0},
        {"Top = 99999999999999\n", Top, 8},  // saturates, then clamps
        // A line longer than 250 characters is passed over.
        {"Level = 5" + std::string(260, ' ') + "\nLevel = 1\n", Level, 1},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.text);
        std::vector<int> expected = Defaults;
        expected[test.index] = test.expected;
        EXPECT_EQ(Values(Load(test.text)), expected);
    }
}

TEST_F(Settings_Test, HighScoreLines) {
    Set_Place(a_, 3, "Keep", 4, 20.0f);  // a place the file does not name stays
    Load(
        "1.65\n\n"
        "HIGH_SCORE_1A = Ann = 3 = 12.5\n"
        "High_Score_2A = --- = 5 = 40.000000\n"
        "High_Score_5A = ABCDEFGHIJKLMNOPQRST = 2 = 30.25\n"
        "High_Score_1B = Bob = 7 = 99.125000\n"
        "High_Score_2B = ----- = 7 = 99.125000\n");
    EXPECT_STREQ(a_.Name[0], "Ann");
    EXPECT_EQ(a_.Spheres[0], 3);
    EXPECT_EQ(a_.Time[0], 12.5f);
    Expect_Empty_Place(a_, 1);  // hyphens only: back to the default
    Expect_Empty_Place(a_, 2);
    EXPECT_STREQ(a_.Name[3], "Keep");
    EXPECT_STREQ(a_.Name[4], "ABCDEFGHIJKLMNO");  // at most 15 characters
    EXPECT_EQ(a_.Spheres[4], 2);
    EXPECT_EQ(a_.Time[4], 30.25f);
    EXPECT_STREQ(b_.Name[0], "Bob");
    EXPECT_EQ(b_.Spheres[0], 7);
    EXPECT_EQ(b_.Time[0], 99.125f);
    Expect_Empty_Place(b_, 1);
}

// A number that never ends (a damaged or hostile file) is read in a bounded piece: the
// reader must not gather the whole run of digits in memory. What the places then hold
// does not matter, only that they stay places and the load ends.
TEST_F(Settings_Test, EndlessNumbersAreReadInBoundedMemory) {
    constexpr long long Run = 4 << 20;  // digits
    const struct {
        const char* label;
        const char* before;  // the text before the run of digits
    } cases[] = {
        {"version", ""},
        {"spheres", "1.65\nHigh_Score_1A = Ann = "},
        {"time", "1.65\nHigh_Score_1B = Bob = 7 = "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(
            memory_peak::Write_Endless_Number(path_.c_str(), c.before, Run, " = 1.5\nLevel = 2\n"));
        Game_Settings settings;
        const long long growth =
            memory_peak::Growth([&] { Settings_Load(path_.c_str(), settings, a_, b_); });
        ASSERT_GE(growth, 0) << "no /proc/self/clear_refs";
        EXPECT_LT(growth, Run / 4);
        EXPECT_EQ(settings.Level, 2);
    }
}

TEST_F(Settings_Test, SaveWritesExactlyThisText) {
    Game_Settings settings;
    settings.Level = 6;
    settings.Sound = 1;
    Set_Place(a_, 0, "Ann", 3, 12.5f);
    Set_Place(a_, 2, "Cid", 9, 150.0f);
    Set_Place(a_, 3, "Dee", 10000, 42.0f);  // spheres at the default: not written
    Set_Place(b_, 1, "Bob", 12, 33.75f);
    Set_Place(b_, 4, "Eve", 0, 0.0f);  // time 0: never written
    ASSERT_TRUE(Settings_Save(path_.c_str(), settings, a_, b_));
    EXPECT_EQ(Read(),
              "1.65\n"
              "\n"
              "CameraView = 1\n"
              "Level = 6\n"
              "Music = 0\n"
              "Sound = 1\n"
              "UploadHighScores = 1\n"
              "\n"
              "Top = 7\n"
              "Bottom = 1\n"
              "Left = 7\n"
              "Right = 7\n"
              "\n"
              "High_Score_1A = Ann = 3 = 12.500000\n"
              "High_Score_3A = Cid = 9 = 150.000000\n"
              "\n"
              "High_Score_2B = Bob = 12 = 33.750000\n");
    EXPECT_EQ(Names(), std::vector<std::string>{"config.dat"});
}

TEST_F(Settings_Test, WriteThenReadReproducesEverything) {
    Game_Settings saved;
    saved.CameraView = 0;
    saved.Level = 5;
    saved.Music = 1;
    saved.Sound = 1;
    saved.UploadHighScores = 0;
    saved.Side_Controller[0] = 2;
    saved.Side_Controller[1] = 3;
    saved.Side_Controller[2] = 8;
    saved.Side_Controller[3] = 6;
    Set_Place(a_, 0, "Ann", 0, 150.0f);
    Set_Place(a_, 1, "Zed15Characters", 2, 123.456789f);
    Set_Place(a_, 4, "Eve", 9, 0.000001f);
    Set_Place(b_, 0, "Bob", 4, 149.999994f);
    Set_Place(b_, 2, "Cid", 10000, 7.5f);
    ASSERT_TRUE(Settings_Save(path_.c_str(), saved, a_, b_));

    High_Score_Table a, b;
    High_Score_Table_Reset(a);
    High_Score_Table_Reset(b);
    Game_Settings loaded;
    Settings_Load(path_.c_str(), loaded, a, b);
    EXPECT_EQ(Values(loaded), Values(saved));
    auto expect_same = [](const High_Score_Table& want, const High_Score_Table& got, int slot) {
        SCOPED_TRACE(slot);
        EXPECT_STREQ(got.Name[slot], want.Name[slot]);
        EXPECT_EQ(got.Spheres[slot], want.Spheres[slot]);
        char want_time[32], got_time[32];  // six decimals survive
        std::snprintf(want_time, sizeof want_time, "%.6f", static_cast<double>(want.Time[slot]));
        std::snprintf(got_time, sizeof got_time, "%.6f", static_cast<double>(got.Time[slot]));
        EXPECT_STREQ(got_time, want_time);
    };
    for (int slot : {0, 1, 4}) expect_same(a_, a, slot);
    for (int slot : {0, 2}) expect_same(b_, b, slot);
    for (int slot : {2, 3}) Expect_Empty_Place(a, slot);
    for (int slot : {1, 3, 4}) Expect_Empty_Place(b, slot);
}

// Runs `body` in a forked child; its exit status.
int Run_In_Child(const std::function<int()>& body) {
    pid_t child = fork();
    if (child == 0) _exit(body());
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST_F(Settings_Test, SaveIntoReadOnlyFolderKeepsTheOldFile) {
    const std::string old_text = "1.65\n\nLevel = 2\n";
    Write(old_text);
    ASSERT_EQ(chmod(dir_.c_str(), 0555), 0);
    // Root ignores folder rights, so the save runs as an ordinary user then.
    int status = Run_In_Child([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 3;
        Game_Settings settings;
        return Settings_Save(path_.c_str(), settings, a_, b_) ? 1 : 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Read(), old_text);
    EXPECT_EQ(Names(), std::vector<std::string>{"config.dat"});
}

TEST_F(Settings_Test, WriteErrorKeepsTheOldFile) {
    const std::string old_text = "1.65\n\nLevel = 2\n";
    Write(old_text);
    // The child may write at most 100 bytes per file, so the save fails part way.
    int status = Run_In_Child([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{100, 100};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
        Game_Settings settings;
        return Settings_Save(path_.c_str(), settings, a_, b_) ? 1 : 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Read(), old_text);
    EXPECT_EQ(Names(), std::vector<std::string>{"config.dat"});
}

TEST(Find_Key_Test, PositionsRightAfterTheToken) {
    std::FILE* file = tmpfile();
    ASSERT_NE(file, nullptr);
    std::fputs("Alpha = 1\nBeta = 2\n", file);
    ASSERT_TRUE(Find_Key(file, "BETA", true));
    char rest[32] = {};
    ASSERT_EQ(std::fscanf(file, "%31[^\n]", rest), 1);
    EXPECT_STREQ(rest, " = 2");
    EXPECT_FALSE(Find_Key(file, "alpha", false));  // already passed without rewinding
    EXPECT_TRUE(Find_Key(file, "alpha", true));
    std::fclose(file);
}

TEST(Data_Folder_Test, FollowsXdgDataHome) {
    const char* saved_xdg = std::getenv("XDG_DATA_HOME");
    const char* saved_home = std::getenv("HOME");
    std::string xdg_copy = saved_xdg ? saved_xdg : "", home_copy = saved_home ? saved_home : "";
    const struct {
        const char* xdg;  // null: unset
        const char* home;
        const char* expected;
    } cases[] = {
        {"/data/xdg", "/home/ann", "/data/xdg/Tindral"},
        {nullptr, "/home/ann", "/home/ann/.local/share/Tindral"},
        {"", "/home/ann", "/home/ann/.local/share/Tindral"},
        {"relative/xdg", "/home/ann", "/home/ann/.local/share/Tindral"},
    };
    for (const auto& test : cases) {
        if (test.xdg != nullptr) {
            setenv("XDG_DATA_HOME", test.xdg, 1);
        } else {
            unsetenv("XDG_DATA_HOME");
        }
        setenv("HOME", test.home, 1);
        EXPECT_EQ(Data_Folder_Path(), test.expected);
    }
    if (saved_xdg)
        setenv("XDG_DATA_HOME", xdg_copy.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
    if (saved_home)
        setenv("HOME", home_copy.c_str(), 1);
    else
        unsetenv("HOME");
}

// With no home in the environment the password entry names it; without either there is
// no data folder at all, rather than one in the root folder.
TEST(Data_Folder_Test, EmptyWithoutHomeOrPasswordEntry) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to become a user without an entry";
    uid_t stranger = 54321;
    while (getpwuid(stranger) != nullptr) ++stranger;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        unsetenv("HOME");
        unsetenv("XDG_DATA_HOME");
        const passwd* root = getpwuid(0);
        const bool with_root_home =
            root != nullptr &&
            Data_Folder_Path() == std::string(root->pw_dir) + "/.local/share/Tindral";
        if (setuid(stranger) != 0) _exit(2);
        _exit(with_root_home && Data_Folder_Path().empty() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
