// The generated textures and glyph list, read from the archive the build made, against
// what the game's drawing code reads out of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "platform/png.h"
#include "tests/engine/pak_test_support.h"
#include "tests/tools/assets_test_support.h"
#include "engine/start_up_files.h"

namespace {

Png_Image Decode_Member(const std::string& name) {
    Scratch_Folder folder;
    Write_File(folder / name, Archive_Member("textures.pak", name));
    return Png_Decode_File((folder / name).c_str());
}

// Alpha of the texel at texture coordinates of its lower-left corner, rows counted from
// the bottom as the decoder delivers them (and as texture coordinate t runs).
int Alpha(const Png_Image& image, int column, int row_from_bottom) {
    return image.bgra[(size_t(row_from_bottom) * size_t(image.width) + size_t(column)) * 4 + 3];
}

bool Power_Of_Two(int v) {
    return v > 0 && (v & (v - 1)) == 0;
}

TEST(Assets_Textures, ArchivesHoldExactlyWhatTheGameLoads) {
    std::set<std::string> textures(std::begin(Start_Up_Textures), std::end(Start_Up_Textures));
    textures.insert("font_list.txt");
    for (const char* model : {"ground.dat", "wall.dat", "paddle.dat", "sphere.dat"}) {
        Test_Model m;
        std::string error;
        ASSERT_TRUE(Parse_Model(Archive_Member("models.pak", model), &m, &error)) << error;
        textures.insert(m.textures.begin(), m.textures.end());
    }
    std::vector<std::string> names = Archive_Names("textures.pak");
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), textures);
    EXPECT_EQ(names.size(), textures.size()) << "a member is stored twice";

    std::vector<std::string> models = Archive_Names("models.pak");
    EXPECT_EQ(std::set<std::string>(models.begin(), models.end()),
              (std::set<std::string>{"ground.dat", "wall.dat", "paddle.dat", "sphere.dat"}));
    std::vector<std::string> sounds = Archive_Names("audio.pak");
    EXPECT_EQ(std::set<std::string>(sounds.begin(), sounds.end()),
              std::set<std::string>(std::begin(Start_Up_Sounds), std::end(Start_Up_Sounds)));
}

TEST(Assets_Textures, EveryPictureIsAPngWithPowerOfTwoSides) {
    for (const std::string& name : Archive_Names("textures.pak")) {
        if (name.size() < 4 || name.substr(name.size() - 4) != ".png") continue;
        Png_Image image = Decode_Member(name);
        EXPECT_TRUE(Power_Of_Two(image.width) && Power_Of_Two(image.height))
            << name << " is " << image.width << "x" << image.height;
    }
}

struct Glyph_Record {
    int code, left, right, lower, upper;
};

std::vector<Glyph_Record> Glyph_List() {
    std::string text = Archive_Member("textures.pak", "font_list.txt");
    std::vector<Glyph_Record> out;
    const char* at = text.c_str();
    Glyph_Record r;
    int used = 0;
    while (std::sscanf(at, "%i %i %i %i %i%n", &r.code, &r.left, &r.right, &r.lower, &r.upper,
                       &used) == 5) {
        out.push_back(r);
        at += used;
    }
    EXPECT_EQ(std::string(at).find_first_not_of(" \t\r\n"), std::string::npos)
        << "unread text in the list";
    return out;
}

// Every printable 7-bit character has one cell; cells share one height (text centres each
// glyph on the line on its own, so a common height keeps the baseline straight), do not
// overlap, and hold all of the image's ink; the ink is white.
TEST(Assets_Textures, GlyphListCoversPrintableAsciiInsideTheAtlas) {
    Png_Image atlas = Decode_Member("font_new.png");
    ASSERT_EQ(atlas.width, 256);
    ASSERT_EQ(atlas.height, 256);
    std::vector<Glyph_Record> list = Glyph_List();
    std::set<int> codes;
    std::vector<char> owner(256 * 256, 0);
    int height = list.empty() ? 0 : list[0].lower - list[0].upper + 1;
    EXPECT_GE(height, 20);
    EXPECT_LE(height, 26);
    for (const Glyph_Record& r : list) {
        EXPECT_TRUE(codes.insert(r.code).second) << "code " << r.code << " twice";
        EXPECT_GE(r.code, 32);
        EXPECT_LE(r.code, 126);
        EXPECT_EQ(r.lower - r.upper + 1, height) << "code " << r.code;
        ASSERT_TRUE(r.left >= 0 && r.right >= r.left && r.right < 256 && r.upper >= 0 &&
                    r.lower < 256)
            << "code " << r.code;
        int ink = 0;
        for (int row = r.upper; row <= r.lower; ++row) {
            for (int col = r.left; col <= r.right; ++col) {
                char& cell = owner[size_t(row) * 256 + size_t(col)];
                EXPECT_EQ(cell, 0) << "cells overlap at code " << r.code;
                cell = 1;
                ink += Alpha(atlas, col, 255 - row) > 128;
            }
        }
        if (r.code == ' ') {
            EXPECT_EQ(ink, 0);
        } else {
            EXPECT_GT(ink, 0) << "no ink for code " << r.code;
        }
    }
    EXPECT_EQ(codes.size(), 95u);
    for (int row = 0; row < 256; ++row) {
        for (int col = 0; col < 256; ++col) {
            size_t texel = (size_t(255 - row) * 256 + size_t(col)) * 4;
            if (!owner[size_t(row) * 256 + size_t(col)]) {
                EXPECT_LT(atlas.bgra[texel + 3], 8)
                    << "ink outside every cell at " << col << "," << row;
            } else if (atlas.bgra[texel + 3] > 0) {
                EXPECT_EQ(atlas.bgra[texel], 255);
                EXPECT_EQ(atlas.bgra[texel + 1], 255);
                EXPECT_EQ(atlas.bgra[texel + 2], 255);
            }
        }
    }
}

// The score digits are cut from 8 x 8 cells given by their upper-left texture
// coordinate; the image is uploaded bottom row first, so t counts rows from the bottom.
TEST(Assets_Textures, WallDigitsSitInTheCellsTheScoreNumbersRead) {
    Png_Image grid = Decode_Member("font_old.png");
    ASSERT_EQ(grid.width, 256);
    ASSERT_EQ(grid.height, 256);
    struct Cell {
        char c;
        float s, t;
    };
    const Cell cells[] = {{'0', 0.25f, 0.625f},  {'1', 0.375f, 0.625f}, {'2', 0.5f, 0.625f},
                          {'3', 0.625f, 0.625f}, {'4', 0.75f, 0.625f},  {'5', 0.875f, 0.625f},
                          {'6', 0.0f, 0.5f},     {'7', 0.125f, 0.5f},   {'8', 0.25f, 0.5f},
                          {'9', 0.375f, 0.5f},   {'-', 0.5f, 0.5f}};
    std::vector<char> inside(256 * 256, 0);
    std::map<char, int> lit;
    for (const Cell& cell : cells) {
        int c0 = int(cell.s * 256), r0 = int((cell.t - 0.125f) * 256);
        for (int r = r0; r < r0 + 32; ++r) {
            for (int c = c0; c < c0 + 32; ++c) {
                inside[size_t(r) * 256 + size_t(c)] = 1;
                bool border = r == r0 || r == r0 + 31 || c == c0 || c == c0 + 31;
                if (border) {
                    EXPECT_LT(Alpha(grid, c, r), 24) << cell.c << ": ink on the cell's edge";
                }
                lit[cell.c] += Alpha(grid, c, r) > 200;
            }
        }
    }
    for (const Cell& cell : cells) EXPECT_GT(lit[cell.c], 20) << cell.c;
    // Seven-segment lamps: "8" lights every segment, "1" two, the minus one.
    EXPECT_GT(lit['8'], 2 * lit['1']);
    EXPECT_GT(lit['1'], lit['-']);
    for (int r = 0; r < 256; ++r) {
        for (int c = 0; c < 256; ++c) {
            if (!inside[size_t(r) * 256 + size_t(c)]) {
                EXPECT_LT(Alpha(grid, c, r), 8) << c << "," << r;
            }
        }
    }
}

// The menu draws each label from its anchor, label-width units wide; its text must end
// within the button rectangle that the mouse hits.
TEST(Assets_Textures, ButtonLabelsEndInsideTheirButtons) {
    struct Label {
        const char* file;
        float label_x, label_width, button_right;
    };
    const Label labels[] = {{"menu_text_new_game.png", 19.7f, 19.3f, 32.6f},
                            {"menu_text_continue.png", 40.4f, 19.3f, 51.2f},
                            {"menu_text_website.png", 59.2f, 19.4f, 69.0f},
                            {"menu_text_exit.png", 76.9f, 19.4f, 82.1f}};
    for (const Label& l : labels) {
        Png_Image image = Decode_Member(l.file);
        int first = image.width, last = -1, top = -1, bottom = image.height;
        for (int r = 0; r < image.height; ++r) {
            for (int c = 0; c < image.width; ++c) {
                if (Alpha(image, c, r) > 160) {
                    first = std::min(first, c), last = std::max(last, c);
                    top = std::max(top, r), bottom = std::min(bottom, r);
                }
            }
        }
        ASSERT_GE(last, 0) << l.file << " has no text";
        float right = l.label_x + float(last + 1) / float(image.width) * l.label_width;
        EXPECT_LE(right, l.button_right) << l.file;
        // Large enough to read: the letters fill a good part of the label's height.
        EXPECT_GE(top - bottom + 1, image.height * 2 / 5) << l.file;
    }
}

// The footer is drawn after the buttons, over the same part of the screen; it must be
// clear where the buttons are. Screen points of the button band are mapped to texture
// coordinates through the footer's two quads as the menu draws them.
TEST(Assets_Textures, FooterLeavesTheButtonsVisible) {
    Png_Image footer = Decode_Member("menu_footer_1.png");
    const float F = (1440.0f / 1080.0f) * 19.65f;
    int worst = 0;
    for (float y = 15.0f; y <= 18.7f; y += 0.1f) {
        for (float x = 19.0f; x <= 96.3f; x += 0.1f) {
            float v = (y - 0.3f) / (F - 0.3f), s, t;
            if (x < 50.0f) {
                float u = (x - 0.3f) / (50.0f - 0.3f);
                s = 1.0f + (0.01f - 1.0f) * u;
                t = 1.0f + (0.5f - 1.0f) * v;
            } else {
                float u = (x - 50.0f) / (99.7f - 50.0f);
                s = 0.01f + (1.0f - 0.01f) * u;
                t = 0.5f * v;
            }
            int c = std::min(footer.width - 1, int(s * float(footer.width)));
            int r = std::min(footer.height - 1, int(t * float(footer.height)));
            worst = std::max(worst, Alpha(footer, c, r));
        }
    }
    EXPECT_LT(worst, 26);
}

}  // namespace
