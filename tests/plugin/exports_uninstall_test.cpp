// The uninstall exports of the built Corvane_NSIS.so, called by name with an installer's
// stack, on a private $XDG_DATA_HOME.
#include <gtest/gtest.h>

#include <cstdlib>

#include "plugin_library.h"
#include "plugin_test_support.h"

namespace {

using plugin_test::Installer_Stack;
using plugin_test::Snapshot;
using plugin_test::Temp_Folder;
using plugin_test::Write_File;

struct Product {
    const char* export_name;
    const char* folder;
    std::vector<std::string> subfolders;
};

const Product All_Products[] = {
    {"Uninstall_Haskett", "Haskett", {"Data", "IP Stats", "Logs/CSV", "Logs"}},
    {"Uninstall_Mirelle", "Mirelle", {"Data", "Scores"}},
    {"Uninstall_Dunstow", "Dunstow", {"Data", "Images"}},
    {"Uninstall_Tindral", "Tindral", {"Data"}},
};

// Names the case in test listings instead of its bytes.
void PrintTo(const Product& product, std::ostream* out) {
    *out << product.export_name;
}

class Uninstall_Export : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(plugin.Loaded());
        setenv("XDG_DATA_HOME", data.c_str(), 1);
        setenv("XDG_STATE_HOME", state.c_str(), 1);
    }

    Temp_Folder temp;
    const std::string data = temp / "data";
    const std::string state = temp / "state";
    plugin_test::Plugin_Library plugin{CORVANE_PLUGIN_PATH};
};

class Uninstall_Each_Product : public Uninstall_Export,
                               public ::testing::WithParamInterface<Product> {};

TEST_P(Uninstall_Each_Product, RemovesItsFoldersOnlyAndPopsNothing) {
    const Product& product = GetParam();
    for (const Product& any : All_Products) {
        Write_File(data + "/" + any.folder + "/config.dat", "settings");
        for (const std::string& subfolder : any.subfolders) {
            Write_File(data + "/" + any.folder + "/" + subfolder + "/file.dat", subfolder);
        }
        // Linux names no Vista: the VirtualStore copy is never touched.
        Write_File(state + "/VirtualStore/Program Files/" + any.folder + "/Data/file.dat", "vs");
    }
    auto expected_data = Snapshot(data);
    for (auto it = expected_data.begin(); it != expected_data.end();) {
        it = it->first.rfind(std::string(product.folder), 0) == 0 ? expected_data.erase(it)
                                                                  : std::next(it);
    }
    const auto expected_state = Snapshot(state);

    Installer_Stack stack;
    stack.Push("installer's own value");
    plugin.Call(product.export_name, stack);

    EXPECT_EQ(Snapshot(data), expected_data);
    EXPECT_EQ(Snapshot(state), expected_state);
    EXPECT_EQ(stack.Texts(), std::vector<std::string>{"installer's own value"});
}

INSTANTIATE_TEST_SUITE_P(Products, Uninstall_Each_Product, ::testing::ValuesIn(All_Products),
                         [](const auto& test_info) { return std::string(test_info.param.folder); });

TEST_F(Uninstall_Export, TindralRemovesTheGamesFolderWithItsFiles) {
    Write_File(data + "/Tindral/config.dat", "Level=3");
    Write_File(data + "/Tindral/log.dat", "{\\rtf1");
    Write_File(data + "/Tindral/Data/scores.dat", "x");
    Installer_Stack stack;
    plugin.Call("Uninstall_Tindral", stack);
    EXPECT_EQ(Snapshot(data), (std::map<std::string, std::string>{}));
}

TEST_F(Uninstall_Export, AFolderWithAnUnlistedSubfolderStaysAndASecondCallChangesNothing) {
    Write_File(data + "/Tindral/config.dat", "Level=3");
    Write_File(data + "/Tindral/Data/scores.dat", "x");
    Write_File(data + "/Tindral/Data/Replays/one.dat", "replay");
    Installer_Stack stack;
    plugin.Call("Uninstall_Tindral", stack);
    const std::map<std::string, std::string> kept{{"Tindral", "<folder>"},
                                                  {"Tindral/Data", "<folder>"},
                                                  {"Tindral/Data/Replays", "<folder>"},
                                                  {"Tindral/Data/Replays/one.dat", "replay"}};
    EXPECT_EQ(Snapshot(data), kept);
    plugin.Call("Uninstall_Tindral", stack);
    EXPECT_EQ(Snapshot(data), kept);
}

TEST_F(Uninstall_Export, DefaultDataFolderIsUnderHome) {
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", (temp / "home").c_str(), 1);
    Write_File(temp / "home/.local/share/Tindral/config.dat", "Level=3");
    Installer_Stack stack;
    plugin.Call("Uninstall_Tindral", stack);
    EXPECT_FALSE(std::filesystem::exists(temp / "home/.local/share/Tindral"));
    EXPECT_TRUE(std::filesystem::exists(temp / "home/.local/share"));
}

}  // namespace
