// Text_Draw: the game's only text primitive. A printf-style line drawn glyph by glyph as
// textured quads cut from the 256 x 256 font image, in the 0..100 space of the window's
// 2-D mode. Glyph widths carry the window's aspect factor so that letters keep their
// proportions on any window shape.
#pragma once

class CTarvelWindow;

// The longest line: the formatted text is cut to this many characters.
constexpr int Text_Max_Length = 255;

// One glyph's quad: texture rectangle (s0, t0)-(s1, t1) on the screen rectangle
// (x0, y0)-(x1, y1), with (s0, t0) at (x0, y0). A glyph whose rows are listed upside down
// in the font list has y1 < y0 and t1 < t0; it still shows upright.
struct Text_Quad {
    float s0, t0, s1, t1;
    float x0, y0, x1, y1;
};

struct Text_Layout {
    int count = 0;
    Text_Quad quads[Text_Max_Length];
};

// Computes the quads of `text` without drawing. `metrics` is the window's Font_Metrics;
// `width` and `height` its client size in pixels. `x` is the left end of the line, its
// centre when `centre` is exactly 1, or its right end when `right_align` is exactly 1 and
// `centre` is not. The measured width of a centred or right-aligned line includes the gap
// after its last character. `y` is the vertical centre of every glyph. Characters outside
// 0..127 are laid out as codes without a glyph (all-zero metrics). A client size that is
// not positive lays out nothing.
void Text_Layout_Line(const float metrics[128][4], int width, int height, float x, float y,
                      float size, unsigned char centre, unsigned char right_align, const char* text,
                      Text_Layout& layout);

// Formats the line into a bounded buffer (longer text is cut at Text_Max_Length
// characters) and draws it in one batch of quads with colour (red, green, blue) and alpha 1.
// Text that comes from outside the program is passed only as the argument of "%s".
// Precondition (the 2-D mode gives it): the 2-D projection is current, depth testing is
// off, blending is on and the font image is bound. Sets the blend function but neither
// binds a texture nor switches blending or depth testing.
void Text_Draw(CTarvelWindow& window, float x, float y, float size, float red, float green,
               float blue, unsigned char centre, unsigned char right_align, const char* format, ...)
    __attribute__((format(printf, 10, 11)));
