// Text layout: glyph quads from the font list's rectangles, the aspect factor, the gap and
// the three alignments, checked on the quads that Text_Draw hands to OpenGL.
#include "frontend/text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class TextLayout : public ::testing::Test {
  protected:
    float metrics[128][4] = {};
    Text_Layout layout;

    void SetUp() override {
        // 'A': 16 pixels wide, 20 high (rows 0..19 from the top of the image).
        Set_Glyph('A', 0, 15, 19, 0);
        // 'i': 4 wide, 20 high, elsewhere in the image.
        Set_Glyph('i', 100, 103, 59, 40);
    }
    void Set_Glyph(int code, float col1, float col2, float row3, float row4) {
        metrics[code][0] = col1;
        metrics[code][1] = col2;
        metrics[code][2] = row3;
        metrics[code][3] = row4;
    }
    void Lay_Out(const char* text, int width = 1440, int height = 1080, float x = 50.0f,
                 unsigned char centre = 0, unsigned char right = 0) {
        Text_Layout_Line(metrics, width, height, x, 40.0f, 2.0f, centre, right, text, layout);
    }
};

TEST_F(TextLayout, GlyphQuadOnA4To3Window) {
    Lay_Out("AA");
    ASSERT_EQ(layout.count, 2);
    const Text_Quad& q = layout.quads[0];
    EXPECT_FLOAT_EQ(q.x0, 50.0f);
    EXPECT_FLOAT_EQ(q.x1 - q.x0, 0.9375f);
    EXPECT_FLOAT_EQ(q.y1 - q.y0, 1.5625f);
    EXPECT_FLOAT_EQ((q.y0 + q.y1) / 2.0f, 40.0f);  // centred on y
    // The pen advances by the width plus the gap 0.75 * 2 * 0.12.
    EXPECT_FLOAT_EQ(layout.quads[1].x0 - q.x0, 1.1175f);
    // Texture: columns 0..15 inclusive; image rows 0..19 of the flipped upload.
    EXPECT_FLOAT_EQ(q.s0, 0.0f);
    EXPECT_FLOAT_EQ(q.s1, 16.0f / 256.0f);
    EXPECT_FLOAT_EQ(q.t0, 236.0f / 256.0f);
    EXPECT_FLOAT_EQ(q.t1, 1.0f);
}

TEST_F(TextLayout, EmptyTextGivesNoQuads) {
    Lay_Out("", 1440, 1080, 50.0f, 1, 1);
    EXPECT_EQ(layout.count, 0);
}

TEST_F(TextLayout, Alignments) {
    const float gap = 0.75f * 2.0f * 0.12f;
    const float width_A = 0.9375f;
    const float width_i = 10.0f * 2.0f * 0.75f * 4.0f / 256.0f;
    const float measured = width_A + gap + width_i + gap;  // the trailing gap included
    struct Case {
        const char* what;
        unsigned char centre;
        unsigned char right;
        float first_x;
    } cases[] = {
        {"left", 0, 0, 50.0f},
        {"centred", 1, 0, 50.0f - measured / 2.0f},
        {"both flags: centred wins", 1, 1, 50.0f - measured / 2.0f},
        {"right", 0, 1, 50.0f - measured},
        {"flag 2 counts as unset", 2, 2, 50.0f},
        {"centre 2 leaves right alignment", 2, 1, 50.0f - measured},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Lay_Out("Ai", 1440, 1080, 50.0f, c.centre, c.right);
        ASSERT_EQ(layout.count, 2);
        EXPECT_FLOAT_EQ(layout.quads[0].x0, c.first_x);
    }
    // A right-aligned line ends one gap to the left of x.
    Lay_Out("Ai", 1440, 1080, 50.0f, 0, 1);
    EXPECT_FLOAT_EQ(layout.quads[1].x1, 50.0f - gap);
}

TEST_F(TextLayout, WideWindowHalvesWidthsNotHeights) {
    Lay_Out("AiA", 1000, 1000);
    Text_Layout square = layout;
    Lay_Out("AiA", 2000, 1000);
    ASSERT_EQ(layout.count, 3);
    for (int i = 0; i < 3; ++i) {
        const Text_Quad& wide = layout.quads[i];
        const Text_Quad& sq = square.quads[i];
        EXPECT_FLOAT_EQ(wide.x1 - wide.x0, (sq.x1 - sq.x0) / 2.0f);
        EXPECT_FLOAT_EQ(wide.y1 - wide.y0, sq.y1 - sq.y0);
        EXPECT_NEAR(wide.x0 - 50.0f, (sq.x0 - 50.0f) / 2.0f, 1e-5);  // pen positions
    }
}

TEST_F(TextLayout, CodesWithoutGlyphAreOnePixelCuts) {
    // A code the font list does not mention, and a byte above 127 (which has no entry in
    // the table at all), are both drawn from the image's top-left pixel.
    for (const char* text : {"\x01", "\xC3"}) {
        Lay_Out(text);
        ASSERT_EQ(layout.count, 1);
        const Text_Quad& q = layout.quads[0];
        EXPECT_FLOAT_EQ(q.x1 - q.x0, 10.0f * 2.0f * 0.75f / 256.0f);
        EXPECT_FLOAT_EQ(q.y1 - q.y0, 10.0f * 2.0f / 256.0f);
        EXPECT_FLOAT_EQ(q.s0, 0.0f);
        EXPECT_FLOAT_EQ(q.t1, 1.0f);
    }
}

TEST_F(TextLayout, LongTextIsCut) {
    const std::string text(400, 'A');
    Lay_Out(text.c_str());
    EXPECT_EQ(layout.count, Text_Max_Length);
}

TEST_F(TextLayout, NoClientAreaLaysOutNothing) {
    Lay_Out("A", 0, 0);
    EXPECT_EQ(layout.count, 0);
}

}  // namespace
