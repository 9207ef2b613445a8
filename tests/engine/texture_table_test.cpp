// The texture table and the font list under a real GL context (run under Xvfb).
#include <GL/gl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "engine/pak.h"
#include "engine/start_up_files.h"
#include "platform/png.h"
#include "tests/engine/texture_test_support.h"
#include "tests/support/memory_peak.h"

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

// Decoding ahead changes nothing a player or the log could see: start-up's table loads the
// same pixels with the same lines, and a file that changed after the worker read it loads
// as it is now, whenever the worker got to it.
TEST_F(Texture_Table, DecodedAheadTexturesAreTheFilesTheTableReads) {
    Use_Built_Archive();
    const std::vector<std::uint32_t> before = {0xFF0000FFu, 0x00FF00FFu, 0x0000FFFFu, 0xFFFFFFFFu};
    const std::vector<std::uint32_t> after = {0x10203040u, 0x50607080u, 0x90A0B0C0u, 0xD0E0F0FFu};
    Write_File("loose.png", Png_Bytes(2, 2, before));
    std::vector<const char*> names = {"loose.png"};
    names.insert(names.end(), Start_Up_Textures, Start_Up_Textures + 16);
    window->Texture_Prefetch(names.data(), static_cast<int>(names.size()));
    usleep(100 * 1000);
    Write_File("loose.png", Png_Bytes(2, 2, after));

    for (int i = 0; i < 16; ++i) ASSERT_EQ(window->Texture_Load(Start_Up_Textures[i], i), i) << i;
    ASSERT_EQ(window->Texture_Load("loose.png", -1), 16);
    window->Texture_Prefetch_End();
    int loaded = 0;
    for (const std::string& e : Log_Entries())
        loaded += e.rfind("0:CTarvelWindow::Texture_Load() :: [", 0) == 0;
    EXPECT_EQ(loaded, 17);
    EXPECT_EQ(Log_Count(0, "CTarvelWindow::Texture_Load() :: [3][1024x1024][ground.png]"), 1);

    // The ground as decoded straight from the archive's member.
    CTarvelPak pak;
    std::vector<std::uint8_t> member;
    ASSERT_TRUE(pak.Open("data/textures.pak") && pak.Read("ground.png", &member));
    const Png_Image ground = Png_Decode_Memory(member.data(), member.size());
    std::vector<std::uint8_t> texels(ground.bgra.size());
    glBindTexture(GL_TEXTURE_2D, window->Texture_Get_Data(3));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_TRUE(texels == ground.bgra);
    // The loose file as it is now: bottom row first, RGBA.
    unsigned char loose[16] = {};
    glBindTexture(GL_TEXTURE_2D, window->Texture_Get_Data(16));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, loose);
    const unsigned char expected[16] = {0x90, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0xF0, 0xFF,
                                        0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};
    EXPECT_EQ(std::memcmp(loose, expected, sizeof expected), 0);
    EXPECT_EQ(Folder_Names(folder->Path()),
              (std::vector<std::string>{"data", "log.dat", "loose.png"}));
}

// A blended quad leaves out the bands of its texture's fully transparent rows, which could
// change no pixel, and only those: the picture is the whole quad's, drawn plainly, also
// where a faint row splits a band and where the linear filter reaches from visible rows
// into a band. Only a parallelogram whose texture rows run along two of its edges is cut.
TEST_F(Texture_Table, QuadsLeaveOutOnlyTextureRowsThatCannotShow) {
    // 4 x 64, top row first: green (16 rows), clear (7), one faint white row, clear (24),
    // red (16). Clear texels are white, so a wrongly blended one would show.
    std::vector<std::uint32_t> rgba;
    for (int row = 0; row < 64; ++row) {
        const std::uint32_t colour = row < 16    ? 0x00FF00FFu
                                     : row == 23 ? 0xFFFFFF40u
                                     : row < 48  ? 0xFFFFFF00u
                                                 : 0xFF0000FFu;
        rgba.insert(rgba.end(), 4, colour);
    }
    Write_File("bands.png", Png_Bytes(4, 64, rgba));
    ASSERT_EQ(window->Texture_Load("bands.png", -1), 0);

    struct Case {
        const char* what;
        float corners[4][3];
        float texcoords[4][2];
        int parts;
    } cases[] = {
        {"rectangle",
         {{5, 5, 0}, {95, 5, 0}, {95, 95, 0}, {5, 95, 0}},
         {{0, 0}, {1, 0}, {1, 1}, {0, 1}},
         3},
        {"upside down",
         {{5, 5, 0}, {95, 5, 0}, {95, 95, 0}, {5, 95, 0}},
         {{1, 1}, {0, 1}, {0, 0}, {1, 0}},
         3},
        {"part of the rows",
         {{5, 5, 0}, {95, 5, 0}, {95, 95, 0}, {5, 95, 0}},
         {{0, 0.2f}, {1, 0.2f}, {1, 0.9f}, {0, 0.9f}},
         3},
        {"parallelogram",
         {{5, 5, 0}, {60, 15, 0}, {95, 95, 0}, {40, 85, 0}},
         {{0, 0}, {1, 0}, {1, 1}, {0, 1}},
         3},
        {"trapezoid",
         {{5, 5, 0}, {95, 5, 0}, {70, 95, 0}, {30, 95, 0}},
         {{0, 0}, {1, 0}, {1, 1}, {0, 1}},
         1},
        {"rows across",
         {{5, 5, 0}, {95, 5, 0}, {95, 95, 0}, {5, 95, 0}},
         {{0, 0}, {0, 1}, {1, 1}, {1, 0}},
         1},
    };
    auto frame = [&](const std::function<void()>& draw) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        window->Mode_2D(0);
        draw();
        window->Mode_3D();
        std::vector<unsigned char> rgb(64 * 64 * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 64, 64, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<unsigned char> plain = frame([&] {
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            glColor4f(1, 1, 1, 1);
            glBegin(GL_QUADS);
            for (int i = 0; i < 4; ++i) {
                glTexCoord2fv(c.texcoords[i]);
                glVertex3fv(c.corners[i]);
            }
            glEnd();
        });
        const std::vector<unsigned char> drawn =
            frame([&] { window->Draw_Quad(0, 1, 1, 1, 0, c.corners, c.texcoords); });
        int worst = 0, lit = 0;
        for (size_t i = 0; i < drawn.size(); ++i) {
            worst = std::max(worst, std::abs(int(drawn[i]) - int(plain[i])));
            lit += plain[i] > 40;
        }
        EXPECT_LE(worst, 2);
        EXPECT_GT(lit, 500);
        // The parts drawn, each as two triangles.
        std::vector<GLfloat> feedback(4096);
        glFeedbackBuffer(GLsizei(feedback.size()), GL_2D, feedback.data());
        glRenderMode(GL_FEEDBACK);
        frame([&] { window->Draw_Quad(0, 1, 1, 1, 0, c.corners, c.texcoords); });
        const GLint used = glRenderMode(GL_RENDER);
        int triangles = 0;
        for (GLint i = 0; i < used; i += 2 + 2 * int(feedback[size_t(i) + 1])) {
            ASSERT_EQ(feedback[size_t(i)], GLfloat(GL_POLYGON_TOKEN));
            ++triangles;
        }
        EXPECT_EQ(triangles, 2 * c.parts);
    }
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

// A number that never ends (a damaged list) costs a bounded piece of memory: the reader
// must not gather the whole run of digits before it converts them.
TEST_F(Font_List, EndlessNumbersAreReadInBoundedMemory) {
    constexpr long long Run = 4 << 20;  // digits
    for (const char* before : {"", "65 0 "}) {
        SCOPED_TRACE(before);
        ASSERT_TRUE(memory_peak::Write_Endless_Number("font_list.txt", before, Run));
        const long long growth =
            memory_peak::Growth([&] { EXPECT_TRUE(window->Font_List_Load("font_list.txt")); });
        ASSERT_GE(growth, 0) << "no /proc/self/clear_refs";
        EXPECT_LT(growth, Run / 4);
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
