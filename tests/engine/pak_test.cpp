// CTarvelPak and Pak_Write against the archive layout, with real files in a scratch
// folder: round trips, look-up rules, and damaged or hostile archives.
#include "engine/pak.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/engine/pak_test_support.h"

namespace {

class Pak_Test : public ::testing::Test {
  protected:
    std::string Put_Archive(const std::string& bytes) {
        std::string path = dir_ / "test.pak";
        Write_File(path, bytes);
        return path;
    }
    Scratch_Folder dir_;
    Scratch_Folder out_;
};

Pak_Input Member(const std::string& name, const std::string& bytes) {
    return Pak_Input{name, std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
}

TEST_F(Pak_Test, ReadsAnArchiveLaidOutByHand) {
    std::string path = Put_Archive(Raw_Archive(
        {{"font_list.txt", "glyphs\n"}, {"ground.png", Binary_Data(3000, 1)}, {"empty.dat", ""}}));
    CTarvelPak pak;
    ASSERT_TRUE(pak.Open(path.c_str()));
    std::vector<Pak_Entry_Info> entries = pak.Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "font_list.txt");
    EXPECT_EQ(entries[0].offset, 28u + 3 * 44);
    EXPECT_EQ(entries[1].name, "ground.png");
    EXPECT_EQ(entries[1].size, 3000u);
    EXPECT_EQ(entries[1].offset, 28u + 3 * 44 + 7);

    for (const char* name : {"font_list.txt", "ground.png", "empty.dat"}) {
        EXPECT_TRUE(pak.Extract(name, out_.Path().c_str())) << name;
    }
    EXPECT_EQ(Read_File(out_ / "font_list.txt"), "glyphs\n");
    EXPECT_EQ(Read_File(out_ / "ground.png"), Binary_Data(3000, 1));
    EXPECT_TRUE(File_Exists(out_ / "empty.dat"));
    EXPECT_EQ(Read_File(out_ / "empty.dat"), "");
}

TEST_F(Pak_Test, WriterProducesTheLayoutByteForByte) {
    std::string path = dir_ / "written.pak";
    ASSERT_TRUE(Pak_Write(path.c_str(), {Member("a.txt", "alpha"), Member("z.bin", "")}));
    EXPECT_EQ(Read_File(path), Raw_Archive({{"a.txt", "alpha"}, {"z.bin", ""}}));
}

TEST_F(Pak_Test, RoundTripIsByteIdentical) {
    std::vector<Pak_Input> members = {
        Member("font_list.txt", "A 0 0 12 16\nB 12 0 11 16\n"),
        Member("empty.dat", ""),
        Member("every_byte.bin", Binary_Data(256, 0)),
        // Larger than the copy block, so several blocks and a short last one are read.
        Member("sphere.ogg", Binary_Data(200 * 1024 + 17, 7)),
        Member("name_of_exactly_31_characters__", "x"),
    };
    std::string path = dir_ / "round.pak";
    ASSERT_TRUE(Pak_Write(path.c_str(), members));
    CTarvelPak pak;
    ASSERT_TRUE(pak.Open(path.c_str()));
    for (const Pak_Input& member : members) {
        ASSERT_TRUE(pak.Extract(member.name.c_str(), out_.Path().c_str())) << member.name;
        EXPECT_EQ(Read_File(out_ / member.name),
                  std::string(member.data.begin(), member.data.end()))
            << member.name;
    }
    EXPECT_EQ(Folder_Names(out_.Path()).size(), members.size());  // no stray part files
}

TEST_F(Pak_Test, WriterRefusesNamesThatAreNoPlainFileName) {
    for (const char* name : {"", "data/wall.png", "..", "name_of_exactly_32_characters___"}) {
        std::string path = dir_ / "bad.pak";
        EXPECT_FALSE(Pak_Write(path.c_str(), {Member(name, "x")})) << name;
        EXPECT_FALSE(File_Exists(path)) << name;
    }
}

TEST_F(Pak_Test, LookUpRules) {
    std::string path = Put_Archive(
        Raw_Archive({{"wall.png", "first"}, {"other.png", "o"}, {"wall.png", "second"}}));
    CTarvelPak pak;
    ASSERT_TRUE(pak.Open(path.c_str()));
    const char* out = out_.Path().c_str();

    EXPECT_TRUE(pak.Extract("wall.png", out));
    EXPECT_EQ(Read_File(out_ / "wall.png"), "second");  // the later entry wins

    EXPECT_FALSE(pak.Extract("Wall.png", out));  // names are case-sensitive
    EXPECT_FALSE(pak.Extract("wall", out));      // and match whole
    EXPECT_FALSE(pak.Extract("", out));
    EXPECT_FALSE(pak.Extract(nullptr, out));

    // A failed look-up leaves an earlier file of that name untouched.
    Write_File(out_ / "missing.png", "loose");
    EXPECT_FALSE(pak.Extract("missing.png", out));
    EXPECT_EQ(Read_File(out_ / "missing.png"), "loose");

    pak.Close();
    EXPECT_FALSE(pak.Extract("other.png", out));
}

// Read gives the plain bytes Extract would write, by the same look-up rules, and nothing
// for a member the archive does not really hold.
TEST_F(Pak_Test, ReadGivesTheBytesExtractWouldWrite) {
    const std::string big = Binary_Data(200 * 1024 + 17, 7);
    std::string whole =
        Raw_Archive({{"wall.png", "first"}, {"big.bin", big}, {"wall.png", "second"}});
    std::string path = Put_Archive(whole);
    CTarvelPak pak;
    ASSERT_TRUE(pak.Open(path.c_str()));
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(pak.Read("big.bin", &bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), big);
    ASSERT_TRUE(pak.Read("wall.png", &bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "second");  // the later entry wins
    for (const char* name : {"Wall.png", "wall", "", static_cast<const char*>(nullptr)}) {
        EXPECT_FALSE(pak.Read(name, &bytes));
        EXPECT_TRUE(bytes.empty());
    }
    // A member running past the end of the archive.
    path = Put_Archive(whole.substr(0, whole.size() - 1));
    ASSERT_TRUE(pak.Open(path.c_str()));
    EXPECT_TRUE(pak.Read("big.bin", &bytes));
    EXPECT_FALSE(pak.Read("wall.png", &bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST_F(Pak_Test, CountZeroOpensAndFindsNothing) {
    std::string path = Put_Archive(Raw_Archive({}));
    CTarvelPak pak;
    ASSERT_TRUE(pak.Open(path.c_str()));
    EXPECT_TRUE(pak.Entries().empty());
    EXPECT_FALSE(pak.Extract("wall.png", out_.Path().c_str()));
    EXPECT_TRUE(Folder_Names(out_.Path()).empty());
}

TEST_F(Pak_Test, OpenFailsWithoutAnArchive) {
    CTarvelPak pak;
    EXPECT_FALSE(pak.Open(nullptr));
    EXPECT_FALSE(pak.Open(""));
    EXPECT_FALSE(pak.Open((dir_ / "missing.pak").c_str()));
    EXPECT_FALSE(pak.Open(dir_.Path().c_str()));  // a folder
    EXPECT_FALSE(pak.Extract("wall.png", out_.Path().c_str()));
}

// Damaged and hostile archives: each fails cleanly (Open false, or Open true and the
// bad member's Extract false) and nothing is left in the output folder or beside it.
struct Damaged_Case {
    const char* what;
    std::string bytes;
    bool opens;
    const char* member;  // asked of Extract when the archive opens
};

std::vector<Damaged_Case> Damaged_Cases() {
    std::string good = Raw_Archive({{"a.png", "aaaa"}, {"b.png", "bbbbbbbb"}});
    std::string two_entries = Raw_Archive({{"a.png", ""}, {"b.png", ""}}, 3);
    return {
        {"empty file", "", false, nullptr},
        {"short header", good.substr(0, 20), false, nullptr},
        {"directory shorter than its count", two_entries, false, nullptr},
        {"directory cut inside an entry", good.substr(0, 28 + 44 + 10), false, nullptr},
        {"count of 4294967295 in a small file", Raw_Archive({{"a.png", "a"}}, 0xFFFFFFFFu), false,
         nullptr},
        {"32-byte name without its zero", Raw_Archive({{std::string(40, 'n'), "x"}}), false,
         nullptr},
        {"member cut short by the end of file", good.substr(0, good.size() - 3), true, "b.png"},
        {"size past the end", Raw_Archive({{"a.png", "aaaa", 1000000}}), true, "a.png"},
        {"size 4294967295", Raw_Archive({{"a.png", "aaaa", 0xFFFFFFFFu}}), true, "a.png"},
        {"offset past the end", Raw_Archive({{"a.png", "aaaa", std::nullopt, 0xFFFFFFF0u}}), true,
         "a.png"},
        {"name with a folder part", Raw_Archive({{"../escape.png", "x"}}), true, "../escape.png"},
        {"name that is the parent folder", Raw_Archive({{"..", "x"}}), true, ".."},
    };
}

TEST_F(Pak_Test, DamagedArchivesFailCleanly) {
    // The output folder sits inside the archive's folder, so a name that climbs out of
    // it would show up beside the archive.
    std::string out = dir_ / "out";
    for (const Damaged_Case& test : Damaged_Cases()) {
        SCOPED_TRACE(test.what);
        std::filesystem::create_directory(out);
        std::string path = Put_Archive(test.bytes);
        CTarvelPak pak;
        ASSERT_EQ(pak.Open(path.c_str()), test.opens);
        if (test.opens) {
            EXPECT_FALSE(pak.Extract(test.member, out.c_str()));
        } else {
            EXPECT_TRUE(pak.Entries().empty());
        }
        EXPECT_TRUE(Folder_Names(out).empty());
        EXPECT_EQ(Folder_Names(dir_.Path()), (std::vector<std::string>{"out", "test.pak"}));
        std::filesystem::remove_all(out);
    }
}

TEST_F(Pak_Test, TruncatedMemberLeavesAnEarlierFileAsItWas) {
    std::string good = Raw_Archive({{"a.png", "new contents"}});
    std::string path = Put_Archive(good.substr(0, good.size() - 1));
    Write_File(out_ / "a.png", "old");
    CTarvelPak pak;
    ASSERT_TRUE(pak.Open(path.c_str()));
    EXPECT_FALSE(pak.Extract("a.png", out_.Path().c_str()));
    EXPECT_EQ(Read_File(out_ / "a.png"), "old");
    EXPECT_EQ(Folder_Names(out_.Path()), std::vector<std::string>{"a.png"});
}

TEST_F(Pak_Test, WriteErrorDuringExtractLeavesNoPartialFile) {
    std::string path = dir_ / "big.pak";
    ASSERT_TRUE(Pak_Write(path.c_str(), {Member("big.bin", Binary_Data(1 << 20, 3))}));
    Write_File(out_ / "big.bin", "old");
    // The child may write at most 64 KiB per file, so the copy fails midway.
    int status = Run_In_Child([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64 * 1024, 64 * 1024};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
        CTarvelPak pak;
        if (!pak.Open(path.c_str())) return 4;
        return pak.Extract("big.bin", out_.Path().c_str()) ? 1 : 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Read_File(out_ / "big.bin"), "old");
    EXPECT_EQ(Folder_Names(out_.Path()), std::vector<std::string>{"big.bin"});
}

}  // namespace
