#include "shell/os_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Version_Case {
    bool nt;
    int major;
    int minor;
    const char* name;
};

class OS_Name : public ::testing::TestWithParam<Version_Case> {};

TEST_P(OS_Name, NamesTheVersion) {
    const Version_Case& c = GetParam();
    EXPECT_EQ(std::string(OS_Name_From_Version(c.nt, c.major, c.minor)), c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, OS_Name,
    ::testing::Values(Version_Case{true, 4, 0, "NT"}, Version_Case{true, 4, 1, "Unknown"},
                      Version_Case{true, 5, 0, "2000"}, Version_Case{true, 5, 1, "XP"},
                      Version_Case{true, 5, 2, "Server_2003"}, Version_Case{true, 6, 0, "Vista"},
                      Version_Case{true, 6, 1, "Windows_7"}, Version_Case{true, 6, 2, "Unknown"},
                      Version_Case{true, 10, 0, "Unknown"}, Version_Case{false, 4, 0, "95"},
                      Version_Case{false, 4, 10, "98"}, Version_Case{false, 4, 90, "Me"},
                      Version_Case{false, 4, 1, "Unknown"}, Version_Case{false, 0, 0, "Unknown"}));

TEST(OS_Name, ThisSystemIsUnknown) { EXPECT_EQ(std::string(OS_Name_Get()), "Unknown"); }

struct Size_Case {
    int screen;
    int width;
    int height;
};

class Window_Size : public ::testing::TestWithParam<Size_Case> {};

TEST_P(Window_Size, IsNinetyPercentOfTheScreenInFourToThree) {
    const Size_Case& c = GetParam();
    int width = 0, height = 0;
    Window_Size_From_Screen(c.screen, &width, &height);
    EXPECT_EQ(width, c.width);
    EXPECT_EQ(height, c.height);
}

INSTANTIATE_TEST_SUITE_P(Screens, Window_Size,
                         ::testing::Values(Size_Case{1200, 1438, 1079}, Size_Case{1080, 1294, 971},
                                           Size_Case{1024, 1228, 921}, Size_Case{0, 0, 0}));

}  // namespace
