// Read_Key and Write_Key on real settings files: the white-space rules, the key as the
// last token, missing keys and files, and a rewrite that can never lose the settings.
#include "plugin/settings_keys.h"

#include <gtest/gtest.h>

#include "plugin_test_support.h"
#include "test_system.h"
#include "tests/support/memory_peak.h"

namespace {

using plugin_test::Read_File;
using plugin_test::Snapshot;
using plugin_test::Temp_Folder;
using plugin_test::Write_File;

struct Read_Case {
    const char* content;
    const char* expected;
};

TEST(Read_Key, FindsTheTokenAfterTheKey) {
    const Read_Case cases[] = {
        {"LogFolder C:/Logs", "C:/Logs"},
        {"  \n\tName Bob\n\n  LogFolder \t\r\n /x/My*Logs   Volume 5\n", "/x/My*Logs"},
        {"LogFolderX a LogFolder b LogFolder c", "b"},  // exact match, first one wins
        {"logfolder a", "default"},                     // case-sensitive
        {"Name Bob LogFolder", "default"},              // the key is the last token
        {"Name Bob", "default"},                        // no key
        {"", "default"},
    };
    Temp_Folder temp;
    corvane::Linux_System system;
    for (const Read_Case& c : cases) {
        Write_File(temp / "config.dat", c.content);
        EXPECT_EQ(corvane::Read_Key(system, temp / "config.dat", "LogFolder", "default"),
                  c.expected)
            << "content: " << c.content;
    }
    EXPECT_EQ(corvane::Read_Key(system, temp / "missing.dat", "LogFolder", "default"), "default");
}

TEST(Read_Key, ReadsTokensLongerThan250Characters) {
    Temp_Folder temp;
    corvane::Linux_System system;
    const std::string long_value(600, 'v');
    Write_File(temp / "config.dat", std::string(300, 'k') + " x LogFolder " + long_value);
    EXPECT_EQ(corvane::Read_Key(system, temp / "config.dat", "LogFolder", "d"), long_value);
}

TEST(Read_Key, AValueLongerThanAnyPathGivesTheDefault) {
    Temp_Folder temp;
    corvane::Linux_System system;
    const std::string longest(corvane::Max_Value_Bytes, 'v');
    Write_File(temp / "config.dat", "LogFolder " + longest + "\n");
    EXPECT_EQ(corvane::Read_Key(system, temp / "config.dat", "LogFolder", "d"), longest);
    Write_File(temp / "config.dat", "LogFolder " + longest + "v\n");
    EXPECT_EQ(corvane::Read_Key(system, temp / "config.dat", "LogFolder", "d"), "d");
}

// A damaged settings file may hold a token as long as itself. Neither reading nor
// rewriting it holds that token in memory, and a rewrite keeps it byte for byte.
TEST(Settings_Keys, EndlessTokensTakeBoundedMemory) {
    constexpr long long Run = 8 << 20;
    Temp_Folder temp;
    corvane::Linux_System system;
    const std::string file = temp / "config.dat";
    const struct {
        const char* label;
        const char* before;  // the text before the endless token
        const char* after;
        const char* value;  // Read_Key's answer
    } cases[] = {
        {"before the key", "Name ", " LogFolder C:/Logs\n", "C:/Logs"},
        {"as the value", "Name Bob LogFolder ", "\nVolume 5\n", "d"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::FILE* out = std::fopen(file.c_str(), "w");
        ASSERT_NE(out, nullptr);
        std::fputs(c.before, out);
        ASSERT_TRUE(memory_peak::Write_Repeated(out, 'x', Run));
        std::fputs(c.after, out);
        ASSERT_EQ(std::fclose(out), 0);

        std::string value;
        long long growth =
            memory_peak::Growth([&] { value = corvane::Read_Key(system, file, "LogFolder", "d"); });
        ASSERT_GE(growth, 0) << "no /proc/self/clear_refs";
        EXPECT_LT(growth, Run / 4);
        EXPECT_EQ(value, c.value);

        bool written = false;
        growth =
            memory_peak::Growth([&] { written = corvane::Write_Key(system, file, "Volume", "7"); });
        EXPECT_LT(growth, Run / 4);
        EXPECT_TRUE(written);
        const std::string text = Read_File(file);
        const std::string endless(Run, 'x');
        EXPECT_EQ(text.size(), std::strlen(c.before) + Run + std::strlen(c.after));
        EXPECT_TRUE(text.compare(0, std::strlen(c.before), c.before) == 0);
        EXPECT_TRUE(text.compare(std::strlen(c.before), Run, endless) == 0);
    }
}

struct Write_Case {
    const char* before;
    const char* after;
};

TEST(Write_Key, RewritesWithTheWhiteSpaceRules) {
    const Write_Case cases[] = {
        {"Name Bob\nLogFolder C:/Old*Logs\nVolume 5\n", "Name Bob\nLogFolder\tNEW\nVolume 5\n"},
        // Leading white space goes; a run shrinks to its first character; the character
        // after the old value goes with it.
        {"  \n Name   Bob\n\n\nLogFolder\t\told  Volume 5", "Name Bob\nLogFolder\tNEW\nVolume 5"},
        {"Name Bob LogFolder", "Name Bob LogFolder\tNEW\n"},  // key as the last token
        {"A 1\nLogFolder x\nB 2\nLogFolder y", "A 1\nLogFolder\tNEW\nB 2\nLogFolder\tNEW\n"},
        {"A 1\n\nB 2\n", "A 1\nB 2\n"},  // no key: nothing is added
    };
    Temp_Folder temp;
    corvane::Linux_System system;
    for (const Write_Case& c : cases) {
        Write_File(temp / "config.dat", c.before);
        EXPECT_TRUE(corvane::Write_Key(system, temp / "config.dat", "LogFolder", "NEW"));
        EXPECT_EQ(Read_File(temp / "config.dat"), c.after) << "before: " << c.before;
        EXPECT_EQ(Snapshot(temp.Path()).size(), 1u) << "the temporary file is left behind";
    }
}

// A damaged file may hold zero bytes inside a token: the rewrite keeps them, and the rest
// of the token after them, as it keeps every other byte.
TEST(Write_Key, ZeroBytesInATokenAreKept) {
    Temp_Folder temp;
    corvane::Linux_System system;
    const std::string before("A\0B 1\nLogFolder x\nC\0\0 2\n", 24);
    Write_File(temp / "config.dat", before);
    EXPECT_TRUE(corvane::Write_Key(system, temp / "config.dat", "LogFolder", "NEW"));
    EXPECT_EQ(Read_File(temp / "config.dat"), std::string("A\0B 1\nLogFolder\tNEW\nC\0\0 2\n", 26));
}

TEST(Write_Key, MissingFileIsNotCreated) {
    Temp_Folder temp;
    corvane::Linux_System system;
    EXPECT_FALSE(corvane::Write_Key(system, temp / "config.dat", "LogFolder", "NEW"));
    EXPECT_TRUE(Snapshot(temp.Path()).empty());
}

TEST(Write_Key, OnlyTheFileNameChangesForTheTemporaryFile) {
    EXPECT_EQ(corvane::Temporary_Name("/home/u/my.dat files/config.dat"),
              "/home/u/my.dat files/config.tmp");
    EXPECT_EQ(corvane::Temporary_Name("C:\\a.dat\\config.dat"), "C:\\a.dat\\config.tmp");
    // A name without ".dat" must not be its own temporary file.
    EXPECT_EQ(corvane::Temporary_Name("/x/settings"), "/x/settings.tmp");

    // A folder whose name holds ".dat" used to send the temporary file into a folder
    // that does not exist, and the setting was never written.
    Temp_Folder temp;
    corvane::Linux_System system;
    const std::string file = temp / "Haskett.dat backup/config.dat";
    Write_File(file, "LogFolder old\n");
    EXPECT_TRUE(corvane::Write_Key(system, file, "LogFolder", "NEW"));
    EXPECT_EQ(Read_File(file), "LogFolder\tNEW\n");
    EXPECT_EQ(Snapshot(temp.Path()).size(), 2u);
}

// Watches the step where the new settings take the old ones' place.
class Replace_Watch : public corvane::Linux_System {
  public:
    std::string settings_seen;  // the settings file's content at that moment
    bool settings_existed = false;
    bool fail = false;  // stands for a crash or a failing disk at that moment

    int Replace_File(const std::string& from, const std::string& to) override {
        settings_existed = std::filesystem::exists(to);
        settings_seen = Read_File(to);
        if (fail) return corvane::Error_Access_Denied;
        return Linux_System::Replace_File(from, to);
    }
};

TEST(Write_Key, TheSettingsFileExistsUntilItIsReplacedAtOnce) {
    Temp_Folder temp;
    Replace_Watch system;
    Write_File(temp / "config.dat", "LogFolder old\n");
    EXPECT_TRUE(corvane::Write_Key(system, temp / "config.dat", "LogFolder", "NEW"));
    EXPECT_TRUE(system.settings_existed);
    EXPECT_EQ(system.settings_seen, "LogFolder old\n");
    EXPECT_EQ(Read_File(temp / "config.dat"), "LogFolder\tNEW\n");
}

TEST(Write_Key, AFailedReplaceKeepsTheOldSettings) {
    Temp_Folder temp;
    Replace_Watch system;
    system.fail = true;
    Write_File(temp / "config.dat", "LogFolder old\n");
    EXPECT_FALSE(corvane::Write_Key(system, temp / "config.dat", "LogFolder", "NEW"));
    EXPECT_EQ(Snapshot(temp.Path()),
              (std::map<std::string, std::string>{{"config.dat", "LogFolder old\n"}}));
}

}  // namespace
