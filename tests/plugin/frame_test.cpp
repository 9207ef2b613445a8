// What every export shares: popping arguments, the operating-system name, the RTF log's
// form and the usage report's request.
#include <gtest/gtest.h>

#include "installer_stack.h"
#include "plugin/plugin_frame.h"
#include "plugin/plugin_log.h"
#include "plugin/usage_report.h"
#include "plugin_test_support.h"
#include "test_system.h"

namespace {

using plugin_test::Installer_Stack;

void Record(Installer_Stack& stack) {
    corvane::Record_Call(nullptr, plugin_test::String_Size, nullptr,
                         reinterpret_cast<corvane::Stack_Entry**>(&stack.top));
}

TEST(Pop_String, PopsInOrderAndLeavesTheRest) {
    corvane::Linux_System system;
    Installer_Stack stack;
    stack.Push_Arguments({"first", "second", "third"});
    Record(stack);
    std::string text;
    EXPECT_TRUE(corvane::Pop_String(system, text, 251));
    EXPECT_EQ(text, "first");
    EXPECT_TRUE(corvane::Pop_String(system, text, 251));
    EXPECT_EQ(text, "second");
    EXPECT_EQ(stack.Texts(), std::vector<std::string>{"third"});
}

TEST(Pop_String, EmptyOrMissingStackLeavesTheTextEmpty) {
    corvane::Linux_System system;
    Installer_Stack stack;
    Record(stack);
    std::string text = "stale";
    EXPECT_FALSE(corvane::Pop_String(system, text, 251));
    EXPECT_EQ(text, "");

    corvane::Record_Call(nullptr, plugin_test::String_Size, nullptr, nullptr);
    text = "stale";
    EXPECT_FALSE(corvane::Pop_String(system, text, 251));
    EXPECT_EQ(text, "");
}

TEST(Pop_String, CutsLongArgumentsAtWholeCharacters) {
    corvane::Linux_System system;
    Installer_Stack stack;
    std::string accented;
    for (int i = 0; i < 300; ++i) accented += "\xC3\xA9";  // é, two bytes each
    stack.Push_Arguments({std::string(400, 'a'), accented, "\xE2\x82\xAC\xE2\x82\xAC"});
    Record(stack);
    std::string text;
    corvane::Pop_String(system, text, 249);
    EXPECT_EQ(text, std::string(249, 'a'));
    corvane::Pop_String(system, text, 249);
    EXPECT_EQ(text.size(), 498u);
    EXPECT_EQ(text, accented.substr(0, 498));
    corvane::Pop_String(system, text, 1);
    EXPECT_EQ(text, "\xE2\x82\xAC");  // one € of three bytes, not a broken one
}

TEST(Get_OS_Name, MapsPlatformAndVersion) {
    struct Row {
        corvane::Os_Version version;
        const char* name;
    } rows[] = {
        {{2, 4, 0}, "NT"},          {{2, 5, 0}, "2000"},    {{2, 5, 1}, "XP"},
        {{2, 5, 2}, "Server_2003"}, {{2, 6, 0}, "Vista"},   {{2, 6, 1}, "Windows_7"},
        {{1, 4, 0}, "95"},          {{1, 4, 10}, "98"},     {{1, 4, 90}, "Me"},
        {{0, 4, 90}, "Me"},         {{2, 6, 2}, "Unknown"}, {{2, 10, 0}, "Unknown"},
        {{2, 4, 10}, "Unknown"},    {{1, 5, 1}, "Unknown"}, {{0, 0, 0}, "Unknown"},
    };
    plugin_test::Test_System system;
    for (const Row& row : rows) {
        system.version = row.version;
        int major = -1, minor = -1;
        EXPECT_EQ(corvane::Get_OS_Name(system, &major, &minor), row.name)
            << row.version.platform << " " << row.version.major << "." << row.version.minor;
        EXPECT_EQ(major, row.version.major);
        EXPECT_EQ(minor, row.version.minor);
    }
}

TEST(Get_OS_Name, LinuxIsUnknownAndTakesNoVistaBranch) {
    corvane::Linux_System system;
    int major = -1, minor = -1;
    std::string name = corvane::Get_OS_Name(system, &major, &minor);
    EXPECT_EQ(name, "Unknown");
    EXPECT_EQ(major, 0);
    EXPECT_EQ(minor, 0);
    EXPECT_FALSE(corvane::Is_Vista_Family(name));
    EXPECT_TRUE(corvane::Is_Vista_Family("Vista"));
    EXPECT_TRUE(corvane::Is_Vista_Family("Windows_7"));
    EXPECT_FALSE(corvane::Is_Vista_Family("windows_7"));
    EXPECT_FALSE(corvane::Is_Vista_Family("Server_2003"));
}

TEST(Rtf_Log, MessagesStayPlainRtfText) {
    EXPECT_EQ(corvane::Rtf_Text("Looking in [C:\\Users\\x]"), "Looking in [C:/Users/x]");
    // Braces would open and close RTF groups; line breaks are never written.
    EXPECT_EQ(corvane::Rtf_Text("a{b}c\nd"), "a\\{b\\}c\\'0ad");
    // Text beyond ASCII as RTF Unicode escapes (UTF-16 units, \uc1 fallback "?").
    EXPECT_EQ(corvane::Rtf_Text("J\xC3\xBCrgen \xE6\x97\xA5"), "J\\u252?rgen \\u26085?");
    EXPECT_EQ(corvane::Rtf_Text("\xF0\x9F\x98\x80"), "\\u-10179?\\u-8704?");
    EXPECT_EQ(corvane::Rtf_Text("bad \xC3 byte"), "bad ? byte");
}

TEST(Rtf_Log, FreshLogHasTheHeaderAndAppendedLinesFollow) {
    plugin_test::Temp_Folder temp;
    corvane::Linux_System system;
    const std::string path = temp / "update log.dat";
    std::FILE* log = corvane::Open_Log(system, path, true);
    ASSERT_NE(log, nullptr);
    corvane::Log_Line(log, "Moved [%s][%s] to [%s]", "C:\\Old", "config.dat", "C:\\New");
    std::fclose(log);
    log = corvane::Open_Log(system, path, false);
    corvane::Log_Line(log, "%s", std::string(1500, 'x').c_str());  // long lines are kept whole
    std::fclose(log);
    corvane::Log_Line(nullptr, "nothing happens");

    plugin_test::Rtf_Log read = plugin_test::Read_Rtf_Log(path);
    ASSERT_TRUE(read.well_formed) << read.problem;
    EXPECT_EQ(read.header_count, 1);
    EXPECT_EQ(read.messages, (std::vector<std::string>{"Moved [C:/Old][config.dat] to [C:/New]",
                                                       std::string(1500, 'x')}));

    // A fresh log starts over.
    log = corvane::Open_Log(system, path, true);
    std::fclose(log);
    read = plugin_test::Read_Rtf_Log(path);
    EXPECT_TRUE(read.messages.empty());
    EXPECT_EQ(corvane::Open_Log(system, temp / "missing/log.dat", true), nullptr);
}

TEST(Usage_Report, ValuesArePercentEncoded) {
    EXPECT_EQ(corvane::Percent_Encode("Haskett Pro & Co=1?#/%"),
              "Haskett%20Pro%20%26%20Co%3D1%3F%23%2F%25");
    EXPECT_EQ(corvane::Percent_Encode("a-Z_0.9~"), "a-Z_0.9~");
    EXPECT_EQ(corvane::Percent_Encode("\xC3\xA9\r\n"), "%C3%A9%0D%0A");

    corvane::Usage_Report report{"install", "Haskett Pro", "2.65", 6, 1, "Windows_7", -5};
    EXPECT_EQ(corvane::Usage_Report_Url("www.tindral.example", report),
              "http://www.tindral.example/accessInfo.php?access=app_info&action=install"
              "&program=Haskett%20Pro&version=2.65&major=6&minor=1&os=Windows_7&os_timestamp=-5");
}

}  // namespace
