// Move_File's conflict table, Migrate_Folder, Remove_Folder and the file-time conversion,
// on real files in a private temporary folder.
#include "plugin/file_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ctime>

#include "plugin/plugin_log.h"
#include "plugin_test_support.h"
#include "test_system.h"

namespace {

using plugin_test::Read_Rtf_Log;
using plugin_test::Snapshot;
using plugin_test::Temp_Folder;
using plugin_test::Write_File;
using Tree = std::map<std::string, std::string>;

std::string Fill(std::string text, const std::string& source, const std::string& destination) {
    for (auto [mark, value] :
         {std::pair<std::string, std::string>{"{S}", source}, {"{D}", destination}}) {
        for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark)) {
            text.replace(at, mark.size(), value);
        }
    }
    return text;
}

// Runs one helper with a fresh log and returns the messages it logged.
template <typename Action>
std::vector<std::string> Logged(corvane::Plugin_System& system, const Temp_Folder& temp,
                                Action action) {
    const std::string path = temp / "helper log.dat";
    std::FILE* log = corvane::Open_Log(system, path, true);
    EXPECT_NE(log, nullptr);
    action(log);
    std::fclose(log);
    plugin_test::Rtf_Log read = Read_Rtf_Log(path);
    EXPECT_TRUE(read.well_formed) << read.problem;
    return read.messages;
}

struct Move_Case {
    const char* title;
    std::int64_t source_time;       // 0: no source file
    std::int64_t destination_time;  // 0: no destination file
    bool same_folder;
    std::int64_t taken_backup_time;     // a file "stats.dat.T.bak" already in D
    std::vector<std::string> messages;  // {S} and {D} stand for the folders
    Tree source_after;
    Tree destination_after;
    bool create_destination = true;
};

const Move_Case Move_Cases[] = {
    {"same time, same folder",
     1000000000,
     0,
     true,
     0,
     {"Kept [stats.dat] in [{S}]"},
     {{"stats.dat", "source"}},
     {{"stats.dat", "source"}}},
    {"same time, other folder",
     1000000000,
     1000000000,
     false,
     0,
     {"Removed [{S}][stats.dat] - already exists in [{D}]"},
     {},
     {{"stats.dat", "destination"}}},
    {"newer source, older destination",
     1200000000,
     1100000000,
     false,
     0,
     {"Renamed older file to [stats.dat.1100000000.bak]", "Moved [{S}][stats.dat] to [{D}]"},
     {},
     {{"stats.dat", "source"}, {"stats.dat.1100000000.bak", "destination"}}},
    {"no destination",
     1200000000,
     0,
     false,
     0,
     {"Moved [{S}][stats.dat] to [{D}]"},
     {},
     {{"stats.dat", "source"}}},
    {"older source",
     1100000000,
     1200000000,
     false,
     0,
     {"Moved [{S}][stats.dat] to [{D}]"},
     {},
     {{"stats.dat", "destination"}, {"stats.dat.1100000000.bak", "source"}}},
    {"older source, backup name taken",
     1100000000,
     1200000000,
     false,
     1100000000,
     {"Could not move [{S}][stats.dat] to [{D}] - Error [183]"},
     {{"stats.dat", "source"}},
     {{"stats.dat", "destination"}, {"stats.dat.1100000000.bak", "backup"}}},
    {"newer source, older file's backup name taken",
     1200000000,
     1100000000,
     false,
     1100000000,
     {"Could not rename older file to [stats.dat.1100000000.bak] - Error [183]",
      "Could not move [{S}][stats.dat] to [{D}] - Error [183]"},
     {{"stats.dat", "source"}},
     {{"stats.dat", "destination"}, {"stats.dat.1100000000.bak", "backup"}}},
    {"no source", 0, 1200000000, false, 0, {}, {}, {{"stats.dat", "destination"}}},
    {"destination folder missing",
     1200000000,
     0,
     false,
     0,
     {"Could not move [{S}][stats.dat] to [{D}] - Error [3]"},
     {{"stats.dat", "source"}},
     {},
     false},
};

void PrintTo(const Move_Case& c, std::ostream* out) {
    *out << c.title;
}

class Move_File_Test : public ::testing::TestWithParam<Move_Case> {};

TEST_P(Move_File_Test, FollowsTheConflictTable) {
    const Move_Case& c = GetParam();
    Temp_Folder temp;
    corvane::Linux_System system;
    const std::string source = temp / "Old Folder";
    const std::string destination = c.same_folder ? source : temp / "New Folder";
    std::filesystem::create_directories(source);
    if (c.create_destination) std::filesystem::create_directories(destination);
    if (c.source_time != 0) Write_File(source + "/stats.dat", "source", c.source_time);
    if (c.destination_time != 0) {
        Write_File(destination + "/stats.dat", "destination", c.destination_time);
    }
    if (c.taken_backup_time != 0) {
        Write_File(destination + "/stats.dat." + std::to_string(c.taken_backup_time) + ".bak",
                   "backup");
    }

    std::vector<std::string> messages = Logged(system, temp, [&](std::FILE* log) {
        corvane::Move_File(system, "stats.dat", source, destination, log);
    });

    std::vector<std::string> expected;
    for (const std::string& message : c.messages) {
        expected.push_back(Fill(message, source, destination));
    }
    EXPECT_EQ(messages, expected);
    EXPECT_EQ(Snapshot(source), c.source_after);
    if (!c.same_folder) {
        EXPECT_EQ(Snapshot(destination), c.destination_after);
    }
    // A moved file keeps its time, so a later run compares the same times.
    if (c.source_after.empty() && c.source_time != 0 && c.source_time > c.destination_time) {
        EXPECT_EQ(plugin_test::Write_Time(destination + "/stats.dat"), c.source_time);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Move_File_Test, ::testing::ValuesIn(Move_Cases),
                         [](const ::testing::TestParamInfo<Move_Case>& test_info) {
                             std::string name = test_info.param.title;
                             std::replace_if(
                                 name.begin(), name.end(),
                                 [](char c) {
                                     return !std::isalnum(static_cast<unsigned char>(c));
                                 },
                                 '_');
                             return name;
                         });

TEST(Migrate_Folder, MissingSourceCreatesDestinationAndOnlyLooks) {
    Temp_Folder temp;
    corvane::Linux_System system;
    const std::string source = temp / "Old/IP Stats";
    const std::string destination = temp / "IP Stats";
    std::vector<std::string> messages = Logged(system, temp, [&](std::FILE* log) {
        corvane::Migrate_Folder(system, source, destination, log);
    });
    EXPECT_EQ(messages, std::vector<std::string>{"Looking in [" + source + "]"});
    EXPECT_TRUE(std::filesystem::is_directory(destination));
}

TEST(Migrate_Folder, SourceLeftWithSubfolderIsKeptWithError145) {
    Temp_Folder temp;
    corvane::Linux_System system;
    const std::string source = temp / "Old Logs";
    const std::string destination = temp / "Logs";
    Write_File(source + "/a.log", "a", 1300000000);
    Write_File(source + "/b.log", "b", 1300000000);
    Write_File(source + "/Nested/c.log", "c", 1300000000);

    std::vector<std::string> messages = Logged(system, temp, [&](std::FILE* log) {
        corvane::Migrate_Folder(system, source, destination, log);
    });

    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages.front(), "Looking in [" + source + "]");
    // The files move in listing order, which the file system chooses.
    std::vector<std::string> moves(messages.begin() + 1, messages.end() - 1);
    std::sort(moves.begin(), moves.end());
    EXPECT_EQ(moves,
              (std::vector<std::string>{"Moved [" + source + "][a.log] to [" + destination + "]",
                                        "Moved [" + source + "][b.log] to [" + destination + "]"}));
    EXPECT_EQ(messages.back(), "Could not remove [" + source + "] - Error [145]");
    EXPECT_EQ(Snapshot(source), (Tree{{"Nested", "<folder>"}, {"Nested/c.log", "c"}}));
    EXPECT_EQ(Snapshot(destination), (Tree{{"a.log", "a"}, {"b.log", "b"}}));
}

TEST(Migrate_Folder, EmptiedSourceIsRemoved) {
    Temp_Folder temp;
    corvane::Linux_System system;
    const std::string source = temp / "Old CSV";
    const std::string destination = temp / "CSV";
    Write_File(source + "/day.csv", "1,2", 1300000000);
    std::vector<std::string> messages = Logged(system, temp, [&](std::FILE* log) {
        corvane::Migrate_Folder(system, source, destination, log);
    });
    EXPECT_EQ(messages,
              (std::vector<std::string>{"Looking in [" + source + "]",
                                        "Moved [" + source + "][day.csv] to [" + destination + "]",
                                        "Removed empty folder [" + source + "]"}));
    EXPECT_FALSE(std::filesystem::exists(source));
}

TEST(Remove_Folder, DeletesPlainFilesAndKeepsAFolderWithASubfolder) {
    Temp_Folder temp;
    corvane::Linux_System system;
    Write_File(temp / "Product/config.dat", "x");
    Write_File(temp / "Product/Unlisted/keep.dat", "keep");
    corvane::Remove_Folder(system, temp / "Product");
    EXPECT_EQ(Snapshot(temp.Path()), (Tree{{"Product", "<folder>"},
                                           {"Product/Unlisted", "<folder>"},
                                           {"Product/Unlisted/keep.dat", "keep"}}));
    corvane::Remove_Folder(system, temp / "Product/Unlisted");
    corvane::Remove_Folder(system, temp / "Product");
    corvane::Remove_Folder(system, temp / "Product");  // already gone: nothing happens
    EXPECT_TRUE(Snapshot(temp.Path()).empty());
}

TEST(File_Time, ConvertsWindowsTicksKeepingTheLow32Bits) {
    constexpr std::uint64_t Ticks_1970 = 116444736000000000ULL;
    struct Row {
        std::uint64_t ticks;
        std::int32_t seconds;
    } rows[] = {
        {Ticks_1970, 0},
        {Ticks_1970 + 1234567890ULL * 10000000ULL, 1234567890},
        {Ticks_1970 + 1234567890ULL * 10000000ULL + 9999999ULL, 1234567890},  // cut, not rounded
        {Ticks_1970 - 10000000ULL, -1},
        {Ticks_1970 + 2147483648ULL * 10000000ULL, INT32_MIN},  // 2038 wraps
        {0, 1240428288},  // 1601: the low 32 bits of -11,644,473,600
    };
    for (const Row& row : rows) {
        EXPECT_EQ(corvane::File_Time_From_Ticks(row.ticks), row.seconds) << row.ticks;
    }
}

TEST(File_Time, ReadsLastWriteTimeOrFallsBackToNow) {
    Temp_Folder temp;
    corvane::Linux_System system;
    Write_File(temp / "stats.dat", "x", 1111111111);
    EXPECT_EQ(corvane::Get_File_Time(system, temp / "stats.dat"), 1111111111);

    std::int64_t before = std::time(nullptr);
    corvane::File_Time missing = corvane::Get_File_Time(system, temp / "missing.dat");
    // Without backup semantics a folder cannot be opened for its time either.
    corvane::File_Time folder = corvane::Get_File_Time(system, temp.Path().string());
    std::int64_t after = std::time(nullptr);
    EXPECT_GE(missing, before);
    EXPECT_LE(missing, after);
    EXPECT_GE(folder, before);
    EXPECT_LE(folder, after);
}

TEST(File_Time, CreationTimeOfAFolder) {
    Temp_Folder temp;
    corvane::Linux_System system;
    std::filesystem::create_directories(temp / "Windows");
    plugin_test::Set_Write_Time(temp / "Windows", 1000000000);
    std::int64_t expected = plugin_test::Creation_Time(temp / "Windows");
    ASSERT_NE(expected, 0);
    EXPECT_EQ(corvane::Get_Creation_Time(system, temp / "Windows"), expected);
}

}  // namespace
