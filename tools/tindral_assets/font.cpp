// The two font images and the glyph list.
//
// "font_new.png" is the text font: every printable 7-bit character rendered white, with
// its coverage as alpha, into a 256 x 256 atlas. Text drawing centres each glyph's cell on
// the line and adds a gap of 0.12 x 256 / 10 = 3.07 font pixels after every glyph, so all
// cells share one height (ascender to descender, baseline at the same row) and a cell is
// the glyph's advance less that gap, widened where the ink reaches further.
//
// "font_old.png" is the grid that the wall score numbers cut their digits from: 8 x 8
// cells of 32 pixels, digits drawn as seven-segment lamps at the cells the match display
// reads (see Digit_Cells below).
#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "tools/tindral_assets/assets.h"
#include "tools/tindral_assets/text.h"

namespace {

constexpr int Atlas_Size = 256;
constexpr float Glyph_Pixel_Size = 20.0f;  // cells of 24 rows: size-2 text is ~20 screen rows
constexpr int Text_Gap_Pixels = 3;
constexpr int Cell_Padding = 2;  // transparent texels between cells, for linear filtering

void Make_Atlas(std::vector<Asset_File>& files) {
    Font font(Font_Bold, Glyph_Pixel_Size);
    int ascender = font.Ascender(), descender = font.Descender();
    int cell_height = ascender + descender;
    Canvas atlas(Atlas_Size, Atlas_Size);
    std::string list;
    int x = Cell_Padding, y = Cell_Padding;
    for (int code = 32; code < 127; ++code) {
        Glyph_Bitmap g = font.Render(char(code));
        // The cell runs from `start` (pixels right of the pen) and is the advance less the
        // gap, so that text advances exactly as the font says; it is moved only as far as
        // needed to hold all of the ink, and widened for glyphs whose ink is wider.
        int wanted = std::max(1, g.advance - Text_Gap_Pixels);
        int start = 0, width = wanted;
        if (g.width > 0) {
            int ink_left = g.left, ink_right = g.left + g.width;
            if (ink_right - ink_left > wanted) {
                start = ink_left;
                width = ink_right - ink_left;
            } else {
                start = std::clamp(0, ink_right - wanted, ink_left);
            }
        }
        int origin = -start;  // pen position inside the cell
        if (x + width + Cell_Padding > Atlas_Size) {
            x = Cell_Padding;
            y += cell_height + Cell_Padding;
        }
        if (y + cell_height + Cell_Padding > Atlas_Size)
            throw std::runtime_error("font atlas is full");
        int baseline = y + ascender;
        for (int gy = 0; gy < g.rows; ++gy) {
            for (int gx = 0; gx < g.width; ++gx) {
                float v = float(static_cast<unsigned char>(g.coverage[size_t(gy) * g.width + gx])) /
                          255.0f;
                int px = x + origin + g.left + gx, py = baseline - g.top + gy;
                if (v > 0 && py >= y && py < y + cell_height) atlas.Blend(px, py, Rgb(1, 1, 1), v);
            }
        }
        // code, left column, right column, lower row, upper row (rows from the top)
        char line[64];
        std::snprintf(line, sizeof line, "%d %d %d %d %d\n", code, x, x + width - 1,
                      y + cell_height - 1, y);
        list += line;
        x += width + Cell_Padding;
    }
    files.push_back(Png_File("font_new.png", atlas));
    files.push_back(
        Asset_File{"font_list.txt", std::vector<std::uint8_t>(list.begin(), list.end())});
}

// Upper-left texture coordinates of each character's cell, as the wall numbers read them.
struct Digit_Cell {
    char c;
    float s, t;
};
constexpr Digit_Cell Digit_Cells[] = {
    {'0', 0.25f, 0.625f}, {'1', 0.375f, 0.625f}, {'2', 0.5f, 0.625f}, {'3', 0.625f, 0.625f},
    {'4', 0.75f, 0.625f}, {'5', 0.875f, 0.625f}, {'6', 0.0f, 0.5f},   {'7', 0.125f, 0.5f},
    {'8', 0.25f, 0.5f},   {'9', 0.375f, 0.5f},   {'-', 0.5f, 0.5f},
};

// Segments a (top), b (upper right), c (lower right), d (bottom), e (lower left),
// f (upper left), g (middle), as bits 0 to 6.
unsigned Segments_Of(char c) {
    switch (c) {
        case '0':
            return 0x3F;
        case '1':
            return 0x06;
        case '2':
            return 0x5B;
        case '3':
            return 0x4F;
        case '4':
            return 0x66;
        case '5':
            return 0x6D;
        case '6':
            return 0x7D;
        case '7':
            return 0x07;
        case '8':
            return 0x7F;
        case '9':
            return 0x6F;
        default:
            return 0x40;  // minus
    }
}

// One lamp segment as a hexagon from (x0, y0) to (x1, y1), horizontal or vertical, in a
// cell whose digit leans right by `lean` pixels per pixel of height above `mid`.
std::vector<Point> Segment_Polygon(float x0, float y0, float x1, float y1, float thick, float mid,
                                   float lean) {
    float h = thick * 0.5f, gap = 0.8f;
    std::vector<Point> p;
    if (y0 == y1) {
        p = {{x0 + gap, y0}, {x0 + gap + h, y0 - h}, {x1 - gap - h, y0 - h},
             {x1 - gap, y0}, {x1 - gap - h, y0 + h}, {x0 + gap + h, y0 + h}};
    } else {
        p = {{x0, y0 + gap}, {x0 + h, y0 + gap + h}, {x0 + h, y1 - gap - h},
             {x0, y1 - gap}, {x0 - h, y1 - gap - h}, {x0 - h, y0 + gap + h}};
    }
    for (Point& q : p) q.x += (mid - q.y) * lean;
    return p;
}

void Make_Old_Font(std::vector<Asset_File>& files) {
    constexpr int Size = 256, Cell = 32;
    Canvas lit(Size, Size), ghost(Size, Size);
    for (const Digit_Cell& cell : Digit_Cells) {
        // The image is uploaded bottom row first, so texture t = 1 is the top image row.
        float left = cell.s * Size, top = (1.0f - cell.t) * Size;
        float x0 = left + 9.5f, x1 = left + Cell - 9.5f;
        float y0 = top + 4.0f, y1 = top + Cell - 4.0f, ym = (y0 + y1) * 0.5f;
        const float thick = 3.6f, lean = 0.1f;
        std::vector<std::vector<Point>> segments = {
            Segment_Polygon(x0, y0, x1, y0, thick, ym, lean),  // a
            Segment_Polygon(x1, y0, x1, ym, thick, ym, lean),  // b
            Segment_Polygon(x1, ym, x1, y1, thick, ym, lean),  // c
            Segment_Polygon(x0, y1, x1, y1, thick, ym, lean),  // d
            Segment_Polygon(x0, ym, x0, y1, thick, ym, lean),  // e
            Segment_Polygon(x0, y0, x0, ym, thick, ym, lean),  // f
            Segment_Polygon(x0, ym, x1, ym, thick, ym, lean),  // g
        };
        unsigned on = Segments_Of(cell.c);
        for (size_t i = 0; i < segments.size(); ++i) {
            Canvas& target = (on >> i) & 1u ? lit : ghost;
            target.Shape(Polygon_Shape(segments[i]), Rgb(1, 1, 1), left, top, left + Cell,
                         top + Cell);
        }
    }
    Canvas out(Size, Size);
    // A soft glow around the lit lamps, kept inside each cell's margin.
    Mask glow(Size, Size);
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) glow.At(x, y) = lit.Get(x, y).a;
    }
    glow.Blur(2.5f);
    out.Paint(glow, Rgb(1, 1, 1), 0.45f);
    out.Composite(ghost, 0.14f);
    out.Composite(lit);
    files.push_back(Png_File("font_old.png", out));
}

}  // namespace

std::vector<Asset_File> Make_Font_Files() {
    std::vector<Asset_File> files;
    Make_Atlas(files);
    Make_Old_Font(files);
    return files;
}
