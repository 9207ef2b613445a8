// Uninstalling a product when one of its files cannot be deleted (a file in use), on real
// files: the file stays, and so do the folders that hold it up to the product's folder.
#include "plugin/uninstall.h"

#include <gtest/gtest.h>

#include "plugin_test_support.h"
#include "test_system.h"

namespace {

using corvane::Special_Folder;
using plugin_test::Snapshot;
using plugin_test::Temp_Folder;
using Tree = std::map<std::string, std::string>;

const char Virtual_Store[] = "Local/VirtualStore/Program Files";

// The three special folders, which an uninstall never removes.
Tree Special_Folders() {
    return {{"Local", "<folder>"},
            {"Local/VirtualStore", "<folder>"},
            {Virtual_Store, "<folder>"},
            {"ProgramData", "<folder>"},
            {"Roaming", "<folder>"}};
}

struct Stuck_Case {
    const char* label;
    const corvane::Product_Layout* product;
    corvane::Os_Version version;
    std::string stuck;  // the file that cannot be deleted, below the temporary folder
    Tree kept;          // what is left besides the special folders themselves
};

void PrintTo(const Stuck_Case& c, std::ostream* out) {
    *out << c.label;
}

class Uninstall_Stuck_File : public ::testing::TestWithParam<Stuck_Case> {
  protected:
    void SetUp() override {
        system.folders = {{Special_Folder::App_Data, temp / "Roaming"},
                          {Special_Folder::Local_App_Data, temp / "Local"},
                          {Special_Folder::Common_App_Data, temp / "ProgramData"}};
        for (const auto& entry : Special_Folders()) {
            std::filesystem::create_directories(temp / entry.first);
        }
    }

    // Two files in the product's folder and in each of its subfolders, below `base`.
    void Fill(const std::string& base, const corvane::Product_Layout& product) {
        std::vector<std::string> folders = product.subfolders;
        folders.push_back("");
        for (const std::string& folder : folders) {
            for (const char* name : {"file.dat", "more.dat"}) {
                plugin_test::Write_File(base + "/" + product.folder + "/" + folder + "/" + name,
                                        "x");
            }
        }
    }

    Temp_Folder temp;
    plugin_test::Test_System system;
};

TEST_P(Uninstall_Stuck_File, KeepsTheFileAndTheFoldersAboveItAndRemovesTheRest) {
    const Stuck_Case& c = GetParam();
    system.version = c.version;
    const bool vista_family = c.version.major == 6;
    Fill(temp / "Roaming", *c.product);
    if (vista_family) {
        Fill(temp / Virtual_Store, *c.product);
        if (c.product->all_users_copy) Fill(temp / "ProgramData", *c.product);
    }
    system.undeletable = {temp / c.stuck};

    corvane::Uninstall_Product(system, *c.product);
    Tree expected = Special_Folders();
    expected.insert(c.kept.begin(), c.kept.end());
    EXPECT_EQ(Snapshot(temp.Path()), expected);

    // Once the file is free, uninstalling again removes what was left.
    system.undeletable.clear();
    corvane::Uninstall_Product(system, *c.product);
    EXPECT_EQ(Snapshot(temp.Path()), Special_Folders());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Uninstall_Stuck_File,
    ::testing::Values(Stuck_Case{"InTheDataFolder",
                                 &corvane::Tindral_Layout,
                                 plugin_test::Windows_XP,
                                 "Roaming/Tindral/Data/file.dat",
                                 {{"Roaming/Tindral", "<folder>"},
                                  {"Roaming/Tindral/Data", "<folder>"},
                                  {"Roaming/Tindral/Data/file.dat", "x"}}},
                      Stuck_Case{
                          "InTheProductFolder",
                          &corvane::Tindral_Layout,
                          plugin_test::Windows_XP,
                          "Roaming/Tindral/file.dat",
                          {{"Roaming/Tindral", "<folder>"}, {"Roaming/Tindral/file.dat", "x"}}},
                      Stuck_Case{"TwoLevelsDown",
                                 &corvane::Haskett_Layout,
                                 plugin_test::Windows_XP,
                                 "Roaming/Haskett/Logs/CSV/file.dat",
                                 {{"Roaming/Haskett", "<folder>"},
                                  {"Roaming/Haskett/Logs", "<folder>"},
                                  {"Roaming/Haskett/Logs/CSV", "<folder>"},
                                  {"Roaming/Haskett/Logs/CSV/file.dat", "x"}}},
                      Stuck_Case{"InTheVirtualStoreCopyOnWindows7",
                                 &corvane::Tindral_Layout,
                                 plugin_test::Windows_7,
                                 std::string(Virtual_Store) + "/Tindral/Data/file.dat",
                                 {{std::string(Virtual_Store) + "/Tindral", "<folder>"},
                                  {std::string(Virtual_Store) + "/Tindral/Data", "<folder>"},
                                  {std::string(Virtual_Store) + "/Tindral/Data/file.dat", "x"}}},
                      Stuck_Case{"InTheAllUsersCopyOnWindows7",
                                 &corvane::Haskett_Layout,
                                 plugin_test::Windows_7,
                                 "ProgramData/Haskett/IP Stats/file.dat",
                                 {{"ProgramData/Haskett", "<folder>"},
                                  {"ProgramData/Haskett/IP Stats", "<folder>"},
                                  {"ProgramData/Haskett/IP Stats/file.dat", "x"}}}),
    [](const ::testing::TestParamInfo<Stuck_Case>& test_info) { return test_info.param.label; });

}  // namespace
