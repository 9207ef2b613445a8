// The Vista and 7 branches of the uninstall and migration work, on real files, with the
// system answering the version and special folders a Windows machine would.
#include <gtest/gtest.h>

#include <algorithm>

#include "plugin/migration.h"
#include "plugin/uninstall.h"
#include "plugin_test_support.h"
#include "test_system.h"

namespace {

using corvane::Special_Folder;
using plugin_test::Snapshot;
using plugin_test::Temp_Folder;
using plugin_test::Write_File;

class Windows_Folders : public ::testing::Test {
  protected:
    void SetUp() override {
        system.folders = {{Special_Folder::App_Data, temp / "Roaming"},
                          {Special_Folder::Local_App_Data, temp / "Local"},
                          {Special_Folder::Common_App_Data, temp / "ProgramData"}};
    }

    // Haskett's five folders with a file in each, below `base`.
    void Fill_Haskett(const std::string& base) {
        for (const char* folder : {"Data", "IP Stats", "Logs/CSV", "Logs", ""}) {
            Write_File(base + "/Haskett/" + folder + "/file.dat", "x");
        }
    }

    Temp_Folder temp;
    plugin_test::Test_System system;
};

TEST_F(Windows_Folders, UninstallOnWindows7AlsoCleansVirtualStoreAndAllUsers) {
    Fill_Haskett(temp / "Roaming");
    Fill_Haskett(temp / "Local/VirtualStore/Program Files");
    Fill_Haskett(temp / "ProgramData");
    Write_File(temp / "Roaming/Tindral/config.dat", "x");
    system.version = plugin_test::Windows_7;
    corvane::Uninstall_Product(system, corvane::Haskett_Layout);
    EXPECT_EQ(Snapshot(temp.Path()),
              (std::map<std::string, std::string>{{"Local", "<folder>"},
                                                  {"Local/VirtualStore", "<folder>"},
                                                  {"Local/VirtualStore/Program Files", "<folder>"},
                                                  {"ProgramData", "<folder>"},
                                                  {"Roaming", "<folder>"},
                                                  {"Roaming/Tindral", "<folder>"},
                                                  {"Roaming/Tindral/config.dat", "x"}}));
}

TEST_F(Windows_Folders, UninstallOnXPLeavesVirtualStoreAndAllUsers) {
    Fill_Haskett(temp / "Roaming");
    Fill_Haskett(temp / "Local/VirtualStore/Program Files");
    Fill_Haskett(temp / "ProgramData");
    system.version = plugin_test::Windows_XP;
    corvane::Uninstall_Product(system, corvane::Haskett_Layout);
    EXPECT_FALSE(std::filesystem::exists(temp / "Roaming/Haskett"));
    EXPECT_EQ(Snapshot(temp / "Local/VirtualStore/Program Files/Haskett").size(), 9u);
    EXPECT_EQ(Snapshot(temp / "ProgramData/Haskett").size(), 9u);
}

TEST_F(Windows_Folders, UninstallSkipsABlockWhoseFolderCannotBeNamed) {
    Fill_Haskett(temp / "Roaming");
    Fill_Haskett(temp / "ProgramData");
    system.folders.erase(Special_Folder::Local_App_Data);
    system.version = plugin_test::Windows_7;
    corvane::Uninstall_Product(system, corvane::Haskett_Layout);
    EXPECT_FALSE(std::filesystem::exists(temp / "Roaming/Haskett"));
    EXPECT_FALSE(std::filesystem::exists(temp / "ProgramData/Haskett"));
}

TEST_F(Windows_Folders, UpdateOnWindows7MakesThreePassesIntoOneLog) {
    const std::string old_folder = temp / "Program Files/Haskett";
    // The VirtualStore copy is named by the old folder less its first three characters.
    const std::string virtual_store = temp / "Local/VirtualStore/" + old_folder.substr(3);
    const std::string all_users = temp / "ProgramData/Haskett";
    const std::string product = temp / "Roaming/Haskett";
    Write_File(old_folder + "/Data/stats.dat", "old folder", 1300000000);
    Write_File(virtual_store + "/Data/stats.dat", "virtual store", 1400000000);
    Write_File(all_users + "/profile.dat", "all users", 1300000000);
    system.version = plugin_test::Windows_7;

    corvane::Update_File_Locations(system, old_folder);

    plugin_test::Rtf_Log log = plugin_test::Read_Rtf_Log(product + "/Data/v2.65 update log.dat");
    ASSERT_TRUE(log.well_formed) << log.problem;
    EXPECT_EQ(log.header_count, 1);
    std::vector<std::string> sources;
    for (std::size_t i = 0; i + 1 < log.messages.size(); ++i) {
        if (log.messages[i] == "Updating file locations for v2.65 installation...") {
            sources.push_back(log.messages[i + 1]);
        }
    }
    EXPECT_EQ(sources, (std::vector<std::string>{"... from [" + old_folder + "]",
                                                 "... from [" + virtual_store + "]",
                                                 "... from [" + all_users + "]"}));
    // The VirtualStore copy is newer: it wins, and the old folder's copy is kept as backup.
    EXPECT_EQ(plugin_test::Read_File(product + "/Data/stats.dat"), "virtual store");
    EXPECT_EQ(plugin_test::Read_File(product + "/Data/stats.dat.1300000000.bak"), "old folder");
    EXPECT_EQ(plugin_test::Read_File(product + "/profile.dat"), "all users");
}

TEST_F(Windows_Folders, UpdateOnXPMakesOnePass) {
    const std::string old_folder = temp / "Program Files/Haskett";
    const std::string virtual_store = temp / "Local/VirtualStore/" + old_folder.substr(3);
    Write_File(old_folder + "/config.bin", "old folder", 1300000000);
    Write_File(virtual_store + "/log.dat", "virtual store", 1300000000);
    system.version = plugin_test::Windows_XP;

    corvane::Update_File_Locations(system, old_folder);

    EXPECT_TRUE(std::filesystem::exists(temp / "Roaming/Haskett/config.bin"));
    EXPECT_TRUE(std::filesystem::exists(virtual_store + "/log.dat"));
    plugin_test::Rtf_Log log =
        plugin_test::Read_Rtf_Log(temp / "Roaming/Haskett/Data/v2.65 update log.dat");
    EXPECT_EQ(std::count(log.messages.begin(), log.messages.end(),
                         "Updating file locations for v2.65 installation..."),
              1);
}

TEST_F(Windows_Folders, UpdateWithoutAnOldFolderTouchesNothing) {
    Write_File(temp / "Roaming/config.dat", "x", 1300000000);
    system.version = plugin_test::Windows_7;
    corvane::Update_File_Locations(system, "");
    EXPECT_EQ(Snapshot(temp.Path()).size(), 2u);
}

}  // namespace
