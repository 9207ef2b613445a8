// The loading protocol: an archive member is extracted into the private temporary
// folder, wins over a loose file and is deleted after loading; a loose file is used when
// the archive or the member is missing and is never deleted.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "engine/pak.h"
#include "tests/engine/pak_test_support.h"

namespace {

// Works in a scratch program folder holding data/test.pak (with "wall.png" and
// "ground.png") and a loose wall.png and font_list.txt.
class Pak_Member_Test : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(getcwd(old_cwd_, sizeof old_cwd_), nullptr);
        ASSERT_EQ(chdir(program_.Path().c_str()), 0);
        std::filesystem::create_directory("data");
        Write_File("data/test.pak",
                   Raw_Archive({{"wall.png", "archive wall"}, {"ground.png", "archive ground"}}));
        Write_File("wall.png", "loose wall");
        Write_File("font_list.txt", "loose font list");
    }
    void TearDown() override { ASSERT_EQ(chdir(old_cwd_), 0); }

    char old_cwd_[4096] = {};
    Scratch_Folder program_;
};

TEST_F(Pak_Member_Test, ArchiveCopyWinsAndIsDeletedLooseFileKept) {
    std::string extracted;
    {
        Pak_Member member("data/test.pak", "wall.png");
        ASSERT_TRUE(member.Extracted());
        extracted = member.Path();
        EXPECT_EQ(extracted, std::string(Private_Temp_Folder()) + "/wall.png");
        EXPECT_EQ(Read_File(extracted), "archive wall");
        EXPECT_EQ(Read_File("wall.png"), "loose wall");  // not overwritten
    }
    EXPECT_FALSE(File_Exists(extracted));
    EXPECT_EQ(Read_File("wall.png"), "loose wall");
    EXPECT_EQ(Folder_Names("."), (std::vector<std::string>{"data", "font_list.txt", "wall.png"}));
}

TEST_F(Pak_Member_Test, LooseFileUsedAndNeverDeleted) {
    struct Case {
        const char* archive;
        const char* name;
    } cases[] = {
        {"data/test.pak", "font_list.txt"},  // the archive lacks the member
        {"data/missing.pak", "wall.png"},    // no archive at all
        {nullptr, "wall.png"},               // no archive named
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        {
            Pak_Member member(test.archive, test.name);
            EXPECT_FALSE(member.Extracted());
            EXPECT_STREQ(member.Path(), test.name);
            member.Release();
        }
        EXPECT_TRUE(File_Exists(test.name));
    }
}

TEST_F(Pak_Member_Test, DamagedArchiveFallsBackToTheLooseFile) {
    Write_File("data/test.pak", Raw_Archive({{"wall.png", "archive wall", 4096}}));
    Pak_Member member("data/test.pak", "wall.png");
    EXPECT_FALSE(member.Extracted());
    EXPECT_EQ(Read_File(member.Path()), "loose wall");
}

TEST_F(Pak_Member_Test, ReleaseDeletesAtOnceAndOnlyOnce) {
    Pak_Member member("data/test.pak", "ground.png");
    ASSERT_TRUE(member.Extracted());
    std::string path = member.Path();
    member.Release();
    EXPECT_FALSE(File_Exists(path));
    // A later file at that path belongs to someone else: neither a second Release nor
    // the destructor touches it.
    Write_File(path, "someone else's");
    member.Release();
    EXPECT_TRUE(File_Exists(path));
    std::remove(path.c_str());
}

TEST(Private_Temp_Folder_Test, MadeUnderTmpdirAndRemovedWithItsFilesAtExit) {
    Scratch_Folder base;
    std::string command = "TMPDIR='" + base.Path() + "' " + TEMP_FOLDER_PROBE;
    std::FILE* probe = popen(command.c_str(), "r");
    ASSERT_NE(probe, nullptr);
    char folder[4096] = {}, survived[16] = {};
    bool read = std::fscanf(probe, "%4095s %15s", folder, survived) == 2;
    ASSERT_EQ(pclose(probe), 0);
    ASSERT_TRUE(read);
    EXPECT_EQ(std::string(folder).rfind(base.Path() + "/tindral-", 0), 0u) << folder;
    EXPECT_STREQ(survived, "kept");  // a forked child's exit leaves it alone
    EXPECT_FALSE(File_Exists(folder));
    EXPECT_TRUE(Folder_Names(base.Path()).empty());
}

}  // namespace
