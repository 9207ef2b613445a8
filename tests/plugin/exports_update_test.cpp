// Update_File_Locations_Haskett of the built Corvane_NSIS.so on a prepared old
// installation folder: every move of the table, the conflict rules, the LogFolder
// setting and the exact log, then a second run over the emptied folder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "plugin_library.h"
#include "plugin_test_support.h"

namespace {

using plugin_test::Installer_Stack;
using plugin_test::Read_File;
using plugin_test::Snapshot;
using plugin_test::Temp_Folder;
using plugin_test::Write_File;
using Tree = std::map<std::string, std::string>;
using Lines = std::vector<std::string>;

constexpr std::int64_t T = 1300000000;  // the time of most files

std::string Stars(std::string text) {
    for (char& c : text) {
        if (c == ' ') c = '*';
    }
    return text;
}

class Update_Export : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(plugin.Loaded());
        setenv("XDG_DATA_HOME", (temp / "User Data").c_str(), 1);
        setenv("XDG_STATE_HOME", (temp / "State").c_str(), 1);
    }

    void Run(const std::string& old_folder) {
        Installer_Stack stack;
        stack.Push("installer's own value");
        stack.Push(old_folder);
        plugin.Call("Update_File_Locations_Haskett", stack);
        EXPECT_EQ(stack.Texts(), Lines{"installer's own value"}) << "pops exactly one string";
    }

    plugin_test::Rtf_Log Log() {
        return plugin_test::Read_Rtf_Log(P + "/Data/v2.65 update log.dat");
    }

    // P less its log file.
    Tree Product_Files() {
        Tree tree = Snapshot(P);
        tree.erase("Data/v2.65 update log.dat");
        return tree;
    }

    Temp_Folder temp;
    const std::string S = temp / "Old Haskett";
    const std::string P = temp / "User Data/Haskett";
    plugin_test::Plugin_Library plugin{CORVANE_PLUGIN_PATH};
};

TEST_F(Update_Export, MovesEveryFileOfTheTableAndLogsEachStep) {
    Write_File(S + "/config.dat", "Name Bob\nLogFolder " + Stars(S + "/Logs") + "\nVolume 5\n", T);
    Write_File(S + "/config.bin", "bin", T);
    Write_File(S + "/log.dat", "log", T);
    Write_File(S + "/profile.dat", "old profile", 1200000000);
    Write_File(P + "/profile.dat", "newer profile", 1250000000);
    Write_File(S + "/Data/logSystem.001", "same", T);
    Write_File(P + "/Data/logSystem.001", "same", T);
    for (const char* name : {"logSystem.002", "logSystem.003", "logSystem.004", "logSystem.dat",
                             "v2.60 update log.dat"}) {
        Write_File(S + "/Data/" + name, name, T);
    }
    Write_File(S + "/Data/stats.dat", "new stats", T);
    Write_File(P + "/Data/stats.dat", "old stats", 1100000000);
    Write_File(S + "/Data/unlisted.dat", "stays", T);
    Write_File(S + "/IP Stats/10.0.0.1.dat", "ip", T);
    Write_File(S + "/Logs/CSV/day.csv", "csv", T);
    Write_File(S + "/Logs/run.log", "run", T);

    Run(S);

    const std::string SD = S + "/Data", PD = P + "/Data";
    const Lines opening{"Updating file locations for v2.65 installation...", "... from [" + S + "]",
                        "... to [" + P + "]"};
    Lines expected = opening;
    for (const std::string& line : Lines{
             "Moved [" + S + "][config.dat] to [" + P + "]",
             "Updated log folder location [" + Stars(P + "/Logs") + "]",
             "Moved [" + S + "][config.bin] to [" + P + "]",
             "Moved [" + S + "][log.dat] to [" + P + "]",
             "Moved [" + S + "][profile.dat] to [" + P + "]",
             "Removed [" + SD + "][logSystem.001] - already exists in [" + PD + "]",
             "Moved [" + SD + "][logSystem.002] to [" + PD + "]",
             "Moved [" + SD + "][logSystem.003] to [" + PD + "]",
             "Moved [" + SD + "][logSystem.004] to [" + PD + "]",
             "Moved [" + SD + "][logSystem.dat] to [" + PD + "]",
             "Renamed older file to [stats.dat.1100000000.bak]",
             "Moved [" + SD + "][stats.dat] to [" + PD + "]",
             "Moved [" + SD + "][v2.60 update log.dat] to [" + PD + "]",
             "Looking in [" + S + "/IP Stats]",
             "Moved [" + S + "/IP Stats][10.0.0.1.dat] to [" + P + "/IP Stats]",
             "Removed empty folder [" + S + "/IP Stats]",
             "Looking in [" + S + "/Logs/CSV]",
             "Moved [" + S + "/Logs/CSV][day.csv] to [" + P + "/Logs/CSV]",
             "Removed empty folder [" + S + "/Logs/CSV]",
             "Looking in [" + S + "/Logs]",
             "Moved [" + S + "/Logs][run.log] to [" + P + "/Logs]",
             "Removed empty folder [" + S + "/Logs]",
         }) {
        expected.push_back(line);
    }
    plugin_test::Rtf_Log log = Log();
    ASSERT_TRUE(log.well_formed) << log.problem;
    EXPECT_EQ(log.header_count, 1);
    EXPECT_EQ(log.messages, expected);

    const std::string settings = "Name Bob\nLogFolder\t" + Stars(P + "/Logs") + "\nVolume 5\n";
    EXPECT_EQ(Product_Files(), (Tree{{"config.dat", settings},
                                     {"config.bin", "bin"},
                                     {"log.dat", "log"},
                                     {"profile.dat", "newer profile"},
                                     {"profile.dat.1200000000.bak", "old profile"},
                                     {"Data", "<folder>"},
                                     {"Data/logSystem.001", "same"},
                                     {"Data/logSystem.002", "logSystem.002"},
                                     {"Data/logSystem.003", "logSystem.003"},
                                     {"Data/logSystem.004", "logSystem.004"},
                                     {"Data/logSystem.dat", "logSystem.dat"},
                                     {"Data/stats.dat", "new stats"},
                                     {"Data/stats.dat.1100000000.bak", "old stats"},
                                     {"Data/v2.60 update log.dat", "v2.60 update log.dat"},
                                     {"IP Stats", "<folder>"},
                                     {"IP Stats/10.0.0.1.dat", "ip"},
                                     {"Logs", "<folder>"},
                                     {"Logs/CSV", "<folder>"},
                                     {"Logs/CSV/day.csv", "csv"},
                                     {"Logs/run.log", "run"}}));
    // The old folder and its Data folder stay; only the three migrated folders go.
    EXPECT_EQ(Snapshot(S), (Tree{{"Data", "<folder>"}, {"Data/unlisted.dat", "stays"}}));

    // A second run finds nothing left to move.
    const Tree after_first = Product_Files();
    Run(S);
    expected = opening;
    for (const std::string& line :
         Lines{"Kept log folder location [" + P + "/Logs]", "Looking in [" + S + "/IP Stats]",
               "Looking in [" + S + "/Logs/CSV]", "Looking in [" + S + "/Logs]"}) {
        expected.push_back(line);
    }
    log = Log();
    ASSERT_TRUE(log.well_formed) << log.problem;
    EXPECT_EQ(log.header_count, 1);
    EXPECT_EQ(log.messages, expected);
    EXPECT_EQ(Product_Files(), after_first);
}

TEST_F(Update_Export, LogFolderElsewhereIsKeptAndShownWithSpaces) {
    const std::string settings = "LogFolder /mnt/Other*Drive/Haskett*Logs\nName Bob";
    Write_File(S + "/config.dat", settings, T);
    Run(S);
    plugin_test::Rtf_Log log = Log();
    ASSERT_GE(log.messages.size(), 5u);
    EXPECT_EQ(log.messages[3], "Moved [" + S + "][config.dat] to [" + P + "]");
    EXPECT_EQ(log.messages[4], "Kept log folder location [/mnt/Other Drive/Haskett Logs]");
    EXPECT_EQ(Read_File(P + "/config.dat"), settings);
}

TEST_F(Update_Export, WithoutSettingsTheDefaultLogFolderIsKept) {
    Run(S);
    plugin_test::Rtf_Log log = Log();
    ASSERT_GE(log.messages.size(), 4u);
    EXPECT_EQ(log.messages[3], "Kept log folder location [" + P + "/Logs]");
    EXPECT_FALSE(std::filesystem::exists(P + "/config.dat"));
}

TEST_F(Update_Export, AnOverlongOldFolderIsCutTo249Characters) {
    const std::string long_folder = S + "/" + std::string(400, 'x');
    Run(long_folder);
    plugin_test::Rtf_Log log = Log();
    ASSERT_GE(log.messages.size(), 2u);
    EXPECT_EQ(log.messages[1], "... from [" + long_folder.substr(0, 249) + "]");
}

}  // namespace
