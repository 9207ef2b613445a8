// The texture table and the font list under a real GL context (run under Xvfb).
#include <GL/gl.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "engine/pak.h"
#include "engine/start_up_files.h"
#include "tests/engine/texture_test_support.h"

#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif

namespace {

using Texture_Table = Texture_Fixture;

// Start-up's table from the archive the build made: every texture at its index, nothing
// extracted left behind in the current directory.
TEST_F(Texture_Table, StartUpLoadsTheSixteenFromTheBuiltArchive) {
    Use_Built_Archive();
    for (int i = 0; i < 16; ++i) ASSERT_EQ(window->Texture_Load(Start_Up_Textures[i], i), i) << i;
    EXPECT_EQ(window->Texture_Count(), 16);
    std::vector<std::string> entries = Log_Entries();
    int loaded = 0;
    for (const std::string& e : entries)
        loaded += e.rfind("0:CTarvelWindow::Texture_Load() :: [", 0) == 0;
    EXPECT_EQ(loaded, 16);
    EXPECT_EQ(Log_Count(0, "CTarvelWindow::Texture_Load() :: [1][256x256][font_new.png]"), 1);
    EXPECT_EQ(Log_Count(0, "CTarvelWindow::Texture_Load() :: [8][512x512][menu_intro.png]"), 1);
    EXPECT_EQ(Folder_Names(folder->Path()), (std::vector<std::string>{"data", "log.dat"}));
}

// Reuse by name: the old index comes back and no texture is made or logged.
TEST_F(Texture_Table, ReloadByNameReturnsTheOldIndex) {
    Use_Built_Archive();
    for (int i = 0; i < 16; ++i) ASSERT_EQ(window->Texture_Load(Start_Up_Textures[i], i), i);
    unsigned ground = window->Texture_Get_Data(3);
    size_t lines = Log_Entries().size();
    EXPECT_EQ(window->Texture_Load("ground.png", -1), 3);
    EXPECT_EQ(window->Texture_Count(), 16);
    EXPECT_EQ(window->Texture_Get_Data(3), ground);
    EXPECT_EQ(Log_Entries().size(), lines);
    // A model's own texture is appended once, then reused.
    EXPECT_EQ(window->Texture_Load("sphere.png", -1), 16);
    EXPECT_EQ(window->Texture_Load("sphere.png", -1), 16);
    EXPECT_EQ(window->Texture_Count(), 17);
    EXPECT_EQ(Folder_Names(folder->Path()), (std::vector<std::string>{"data", "log.dat"}));
}

TEST_F(Texture_Table, IndexOutsideTheTableFailsAndChangesNothing) {
    Use_Built_Archive();
    for (int i = 0; i < 16; ++i) ASSERT_EQ(window->Texture_Load(Start_Up_Textures[i], i), i);
    std::vector<unsigned> before;
    for (int i = 0; i < 16; ++i) before.push_back(window->Texture_Get_Data(i));
    for (int index : {20, 17, -2}) {
        EXPECT_EQ(window->Texture_Load("wall.png", index), -1);
        EXPECT_EQ(
            Log_Count(
                1, "CTarvelWindow::Texture_Load() :: failed (could not load texture into index [" +
                       std::to_string(index) + " of 16 total])"),
            1);
    }
    EXPECT_EQ(window->Texture_Count(), 16);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(window->Texture_Get_Data(i), before[size_t(i)]);
    EXPECT_EQ(Folder_Names(folder->Path()), (std::vector<std::string>{"data", "log.dat"}));
}

// Files that do not decode: the size line with 0 x 0, then the load line, -1, and the
// table as it was. The loose file is not deleted.
TEST_F(Texture_Table, FileThatIsNotAnImageGivesTwoLinesAndMinusOne) {
    std::string png = Png_Bytes(8, 8);
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {{"text.png", "this is not a picture\n"},
                          {"cut.png", png.substr(0, png.size() / 2)},
                          {"empty.png", ""}};
    ASSERT_EQ(window->Texture_Load("good.png", 0), -1);  // missing: nothing loaded yet
    Write_File("good.png", png);
    ASSERT_EQ(window->Texture_Load("good.png", 0), 0);
    for (const Case& c : cases) {
        Write_File(c.name, c.bytes);
        EXPECT_EQ(window->Texture_Load(c.name, -1), -1) << c.name;
        EXPECT_EQ(Log_Count(1, std::string("CTarvelWindow::Texture_Load() :: failed ([1][0x0][") +
                                   c.name + "])"),
                  1);
        EXPECT_EQ(
            Log_Count(1,
                      std::string(
                          "CTarvelWindow::Texture_Load() :: failed (could not load texture [1][") +
                          c.name + "])"),
            1);
        EXPECT_EQ(window->Texture_Count(), 1);
        EXPECT_TRUE(File_Exists(c.name));
    }
    // The sizes' line comes before the load line.
    std::vector<std::string> e = Log_Entries();
    ASSERT_GE(e.size(), 2u);
    EXPECT_EQ(e[e.size() - 2], "1:CTarvelWindow::Texture_Load() :: failed ([1][0x0][empty.png])");
    EXPECT_EQ(e.back(),
              "1:CTarvelWindow::Texture_Load() :: failed (could not load texture [1][empty.png])");
}

// Every path of a load that extracted its file leaves the private temporary folder empty.
// No loose copy exists, so each outcome shows that the archive member was extracted. The
// cases run in order on one table: the reuse finds the entry the first case made.
TEST_F(Texture_Table, NothingExtractedStaysInThePrivateFolder) {
    Write_Archive({{"a.png", Png_Bytes(2, 2)},
                   {"b.png", Png_Bytes(4, 4)},
                   {"bad.png", "not a picture"},
                   {"font_list.txt", "65 0 15 31 0\n"}});
    struct Case {
        const char* path;
        std::function<bool()> load;  // true when the outcome is the path's own
    };
    const Case cases[] = {
        {"success", [&] { return window->Texture_Load("a.png", -1) == 0; }},
        {"reuse by name",
         [&] { return window->Texture_Load("a.png", -1) == 0 && window->Texture_Count() == 1; }},
        {"index out of range",
         [&] {
             return window->Texture_Load("b.png", 5) == -1 &&
                    Log_Count(1,
                              "CTarvelWindow::Texture_Load() :: failed (could not load "
                              "texture into index [5 of 1 total])") == 1;
         }},
        {"not an image",
         [&] {
             return window->Texture_Load("bad.png", -1) == -1 &&
                    Log_Count(1, "CTarvelWindow::Texture_Load() :: failed ([1][0x0][bad.png])") ==
                        1;
         }},
        {"replacing an entry", [&] { return window->Texture_Load("b.png", 0) == 0; }},
        {"font list",
         [&] {
             return window->Font_List_Load("font_list.txt") && window->Font_Metrics[65][1] == 15;
         }},
    };
    const char* temp = Private_Temp_Folder();
    ASSERT_NE(temp, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        // A leftover of an earlier path is reported there, not again here.
        for (const std::string& name : Folder_Names(temp))
            unlink((std::string(temp) + "/" + name).c_str());
        EXPECT_TRUE(c.load());
        EXPECT_EQ(Folder_Names(temp), std::vector<std::string>{});
    }
    EXPECT_EQ(Folder_Names(folder->Path()), (std::vector<std::string>{"data", "log.dat"}));
}

TEST_F(Texture_Table, MissingFileIsReportedWithItsIndex) {
    EXPECT_EQ(window->Texture_Load("nothing.png", 4), -1);
    EXPECT_EQ(
        Log_Count(1,
                  "CTarvelWindow::Texture_Load() :: failed (could not find file [4][nothing.png])"),
        1);
    EXPECT_EQ(window->Texture_Count(), 0);
}

TEST_F(Texture_Table, GetDataOutsideTheTableLogsAndGivesNoTexture) {
    Use_Built_Archive();
    for (int i = 0; i < 16; ++i) ASSERT_EQ(window->Texture_Load(Start_Up_Textures[i], i), i);
    EXPECT_EQ(window->Texture_Get_Data(16), 0u);
    EXPECT_EQ(
        Log_Count(1, "CTarvelWindow::Texture_Get_Data() :: failed (tried to access 16 of 16)"), 1);
    EXPECT_EQ(window->Texture_Get_Data(-1), 0u);
    EXPECT_EQ(
        Log_Count(1, "CTarvelWindow::Texture_Get_Data() :: failed (tried to access -1 of 16)"), 1);
    EXPECT_NE(window->Texture_Get_Data(15), 0u);
}

// The image's bottom row is the first row handed to GL (t = 0), in its own colours, with
// linear filters and no mipmaps.
TEST_F(Texture_Table, UploadPutsTheBottomRowFirstInTrueColours) {
    // Top row: red, green; bottom row: blue, half-transparent white.
    Write_File("corners.png",
               Png_Bytes(2, 2, {0xFF0000FFu, 0x00FF00FFu, 0x0000FFFFu, 0xFFFFFF80u}));
    ASSERT_EQ(window->Texture_Load("corners.png", -1), 0);
    glBindTexture(GL_TEXTURE_2D, window->Texture_Get_Data(0));
    unsigned char texels[16] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    const unsigned char expected[16] = {0,   0, 255, 255, 255, 255, 255, 128,
                                        255, 0, 0,   255, 0,   255, 0,   255};
    EXPECT_EQ(std::memcmp(texels, expected, sizeof expected), 0);
    GLint min_filter = 0, mag_filter = 0, width1 = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min_filter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag_filter);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &width1);
    EXPECT_EQ(min_filter, GL_LINEAR);
    EXPECT_EQ(mag_filter, GL_LINEAR);
    EXPECT_EQ(width1, 0);  // no mipmap levels
    EXPECT_EQ(Log_Count(0, "CTarvelWindow::Texture_Load() :: [0][2x2][corners.png]"), 1);
}

// The archive's copy wins over a loose file of the same name; a loose file is used when
// the archive lacks the name; loose files are never deleted and nothing extracted stays.
TEST_F(Texture_Table, ArchiveCopyWinsAndLooseFilesStay) {
    Write_Archive({{"a.png", Png_Bytes(2, 2)}});
    Write_File("a.png", Png_Bytes(1, 1));
    Write_File("b.png", Png_Bytes(4, 4));
    EXPECT_EQ(window->Texture_Load("a.png", -1), 0);
    EXPECT_EQ(window->Texture_Load("b.png", -1), 1);
    EXPECT_EQ(Log_Count(0, "CTarvelWindow::Texture_Load() :: [0][2x2][a.png]"), 1);
    EXPECT_EQ(Log_Count(0, "CTarvelWindow::Texture_Load() :: [1][4x4][b.png]"), 1);
    EXPECT_EQ(Read_File("a.png"), Png_Bytes(1, 1));
    EXPECT_EQ(Folder_Names(folder->Path()),
              (std::vector<std::string>{"a.png", "b.png", "data", "log.dat"}));
}

// Removing entry 1 of three deletes its texture and moves the later entries down; the
// index remembered as bound is forgotten when it no longer names the texture that is bound.
TEST_F(Texture_Table, RemoveClosesTheGapAndForgetsAMovedBinding) {
    for (const char* name : {"a.png", "b.png", "c.png"}) Write_File(name, Png_Bytes(2, 2));
    struct Case {
        int bound;
        int current_after;
    };
    const Case cases[] = {
        {0, 0},   // before the gap: still names its texture
        {1, -1},  // the removed texture
        {2, -1},  // moved down to 1: index 2 no longer exists
    };
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bound);
        while (window->Texture_Count() > 0) window->Texture_Remove(0);
        for (const char* name : {"a.png", "b.png", "c.png"}) window->Texture_Load(name, -1);
        const unsigned a = window->Texture_Get_Data(0), b = window->Texture_Get_Data(1),
                       later = window->Texture_Get_Data(2);
        window->Set_Current_Texture(c.bound);
        window->Set_Current_Texture(3);  // out of range: ignored
        window->Set_Current_Texture(-5);
        ASSERT_EQ(window->Get_Current_Texture(), c.bound);

        window->Texture_Remove(1);
        EXPECT_EQ(window->Get_Current_Texture(), c.current_after);
        EXPECT_EQ(Log_Count(0, "CTarvelWindow::Texture_Remove() :: [b.png]"), ++row);
        EXPECT_EQ(window->Texture_Count(), 2);
        EXPECT_EQ(window->Texture_Get_Data(0), a);
        EXPECT_EQ(window->Texture_Get_Data(1), later);
        EXPECT_FALSE(glIsTexture(b));
        EXPECT_EQ(window->Texture_Load("c.png", -1), 1);
    }
}

// Replacing an entry swaps its texture; a replacement that fails leaves the entry as it was.
TEST_F(Texture_Table, ReplacingAnEntryKeepsTheTableWhole) {
    Write_File("a.png", Png_Bytes(2, 2));
    Write_File("b.png", Png_Bytes(4, 4));
    Write_File("bad.png", "not a picture");
    ASSERT_EQ(window->Texture_Load("a.png", -1), 0);
    EXPECT_EQ(window->Texture_Load("bad.png", 0), -1);
    EXPECT_EQ(window->Texture_Load("a.png", -1), 0);
    EXPECT_NE(window->Texture_Get_Data(0), 0u);
    EXPECT_EQ(window->Texture_Load("b.png", 0), 0);
    EXPECT_EQ(window->Texture_Load("b.png", -1), 0);
    EXPECT_EQ(window->Texture_Count(), 1);
}

using Font_List = Texture_Fixture;

TEST_F(Font_List, RecordsFillTheirCodesAndOthersAreSkipped) {
    Write_File("font_list.txt",
               "65 0 15 31 0\n"
               "200 1 2 3 4\n"
               "0x42 0x10 0x1F 010 0\n"
               "-1 5 5 5 5\n"
               "67 1 2 3 4\n"
               "67 5 6 7 8\n"
               "68 9 9 9 9 x 69 1 1 1 1\n");
    ASSERT_TRUE(window->Font_List_Load("font_list.txt"));
    auto metrics = [&](int code) {
        const float* m = window->Font_Metrics[code];
        return std::vector<float>{m[0], m[1], m[2], m[3]};
    };
    EXPECT_EQ(metrics(65), (std::vector<float>{0, 15, 31, 0}));
    EXPECT_EQ(metrics(66), (std::vector<float>{16, 31, 8, 0}));  // hexadecimal and octal
    EXPECT_EQ(metrics(67), (std::vector<float>{5, 6, 7, 8}));    // the later record wins
    EXPECT_EQ(metrics(68), (std::vector<float>{9, 9, 9, 9}));
    EXPECT_EQ(metrics(69), (std::vector<float>{0, 0, 0, 0}));  // after a non-number
    EXPECT_EQ(metrics(200 - 128), (std::vector<float>{0, 0, 0, 0}));
    EXPECT_EQ(metrics(127), (std::vector<float>{0, 0, 0, 0}));
    EXPECT_EQ(Log_Count(0, "CTarvelWindow::Font_List_Load() :: [font_list.txt]"), 1);
    EXPECT_TRUE(File_Exists("font_list.txt"));
}

// A record cut short by the end of the file still counts; its missing fields keep the
// values of the record before it (0 when there is none), and the records before it stand.
TEST_F(Font_List, RecordCutShortAtTheEndKeepsThePreviousFields) {
    struct Case {
        const char* text;
        int code;
        std::vector<float> metrics;
    };
    const Case cases[] = {
        {"65 0 15 31 2\n66 1 2", 66, {1, 2, 31, 2}},
        {"65 0 15 31 2\n66 1 2\n", 66, {1, 2, 31, 2}},
        {"65 0 15 31 2\n66 5 6 7", 66, {5, 6, 7, 2}},
        {"65 0 15 31 2\n66", 66, {0, 15, 31, 2}},
        {"66 7 8", 66, {7, 8, 0, 0}},
        {"65 0 15 31 2\n200 1 2", 200 - 128, {0, 0, 0, 0}},  // out of range: skipped
    };
    auto metrics = [&](int code) {
        const float* m = window->Font_Metrics[code];
        return std::vector<float>{m[0], m[1], m[2], m[3]};
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::memset(window->Font_Metrics, 0, sizeof window->Font_Metrics);
        Write_File("font_list.txt", c.text);
        ASSERT_TRUE(window->Font_List_Load("font_list.txt"));
        EXPECT_EQ(metrics(c.code), c.metrics);
        const bool a_listed = std::strncmp(c.text, "65 ", 3) == 0;
        EXPECT_EQ(metrics(65),
                  a_listed ? (std::vector<float>{0, 15, 31, 2}) : (std::vector<float>{0, 0, 0, 0}));
    }
}

TEST_F(Font_List, MissingListFails) {
    EXPECT_FALSE(window->Font_List_Load("font_list.txt"));
    EXPECT_EQ(
        Log_Count(
            1, "CTarvelWindow::Font_List_Load() :: failed (could not find file [font_list.txt])"),
        1);
}

// The built archive's list: every printable character gets a glyph, the copy is removed.
TEST_F(Font_List, BuiltListCoversPrintableCharacters) {
    Use_Built_Archive();
    ASSERT_TRUE(window->Font_List_Load("font_list.txt"));
    for (int code = 33; code < 127; ++code) {
        const float* m = window->Font_Metrics[code];
        EXPECT_GT(m[1], m[0]) << code;
        EXPECT_GT(m[2], m[3]) << code;  // the lower row has the larger number
    }
    EXPECT_EQ(Folder_Names(folder->Path()), (std::vector<std::string>{"data", "log.dat"}));
}

}  // namespace
