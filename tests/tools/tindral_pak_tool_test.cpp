// The tindral-pak program, run as a user runs it: create, list and extract.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/engine/pak_test_support.h"

namespace {

struct Result {
    int status = -1;
    std::string out;
};

// Runs tindral-pak with `args` (paths without quotes or spaces), capturing stdout.
Result Run_Tool(const std::string& args) {
    Result result;
    std::string command = std::string(TINDRAL_PAK) + " " + args + " 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, pipe)) > 0;) {
        result.out.append(block, n);
    }
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

class Pak_Tool_Test : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_ / "art/sub");
        Write_File(dir_ / "art/font_list.txt", "A 0 0 12 16\n");
        Write_File(dir_ / "art/empty.dat", "");
        Write_File(dir_ / "art/sub/sphere.ogg", Binary_Data(150000, 5));
        archive_ = dir_ / "test.pak";
    }
    Scratch_Folder dir_;
    std::string archive_;
};

TEST_F(Pak_Tool_Test, CreateListExtractRoundTrip) {
    ASSERT_EQ(Run_Tool("create " + archive_ + " " + (dir_ / "art/font_list.txt") + " " +
                       (dir_ / "art/empty.dat") + " " + (dir_ / "art/sub/sphere.ogg"))
                  .status,
              0);

    Result list = Run_Tool("list " + archive_);
    EXPECT_EQ(list.status, 0);
    const unsigned data = 28 + 3 * 44;
    EXPECT_EQ(list.out, "font_list.txt\t12\t" + std::to_string(data) + "\n" + "empty.dat\t0\t" +
                            std::to_string(data + 12) + "\n" + "sphere.ogg\t150000\t" +
                            std::to_string(data + 12) + "\n");

    std::string out = dir_ / "out";
    std::filesystem::create_directory(out);
    ASSERT_EQ(Run_Tool("extract " + archive_ + " -C " + out).status, 0);
    EXPECT_EQ(Folder_Names(out),
              (std::vector<std::string>{"empty.dat", "font_list.txt", "sphere.ogg"}));
    EXPECT_EQ(Read_File(out + "/font_list.txt"), "A 0 0 12 16\n");
    EXPECT_EQ(Read_File(out + "/empty.dat"), "");
    EXPECT_EQ(Read_File(out + "/sphere.ogg"), Binary_Data(150000, 5));
}

TEST_F(Pak_Tool_Test, ExtractNamedMembersOnly) {
    ASSERT_EQ(Run_Tool("create " + archive_ + " " + (dir_ / "art/font_list.txt") + " " +
                       (dir_ / "art/sub/sphere.ogg"))
                  .status,
              0);
    std::string out = dir_ / "named";
    std::filesystem::create_directory(out);
    // -C may come first; a name the archive lacks fails the run but not the others.
    EXPECT_EQ(Run_Tool("extract " + archive_ + " -C " + out + " sphere.ogg Sphere.ogg").status, 1);
    EXPECT_EQ(Folder_Names(out), std::vector<std::string>{"sphere.ogg"});
    EXPECT_EQ(Read_File(out + "/sphere.ogg"), Binary_Data(150000, 5));
}

TEST_F(Pak_Tool_Test, LaterOfTwoEqualNamesIsExtracted) {
    std::filesystem::create_directories(dir_ / "new");
    Write_File(dir_ / "new/font_list.txt", "newer\n");
    ASSERT_EQ(Run_Tool("create " + archive_ + " " + (dir_ / "art/font_list.txt") + " " +
                       (dir_ / "new/font_list.txt"))
                  .status,
              0);
    EXPECT_EQ(Run_Tool("list " + archive_).out,
              "font_list.txt\t12\t116\nfont_list.txt\t6\t128\n");  // both are kept
    std::string out = dir_ / "dup";
    std::filesystem::create_directory(out);
    ASSERT_EQ(Run_Tool("extract " + archive_ + " -C " + out).status, 0);
    EXPECT_EQ(Folder_Names(out), std::vector<std::string>{"font_list.txt"});
    EXPECT_EQ(Read_File(out + "/font_list.txt"), "newer\n");
}

TEST_F(Pak_Tool_Test, FailuresLeaveNothingBehind) {
    // An unreadable input: no archive is written.
    EXPECT_EQ(Run_Tool("create " + archive_ + " " + (dir_ / "art/font_list.txt") + " " +
                       (dir_ / "art/missing.png"))
                  .status,
              1);
    EXPECT_FALSE(File_Exists(archive_));
    // A damaged archive is reported, not listed.
    Write_File(archive_, Raw_Archive({{"a.png", "aaaa"}}, 2));
    EXPECT_EQ(Run_Tool("list " + archive_).status, 1);
    EXPECT_EQ(Run_Tool("extract " + archive_ + " -C " + dir_.Path()).status, 1);
    EXPECT_EQ(Folder_Names(dir_.Path()), (std::vector<std::string>{"art", "test.pak"}));
    // Usage errors.
    EXPECT_EQ(Run_Tool("").status, 2);
    EXPECT_EQ(Run_Tool("unpack " + archive_).status, 2);
    EXPECT_EQ(Run_Tool("extract " + archive_ + " -C").status, 2);
}

}  // namespace
