// Text for the generated art, rendered with FreeType from DejaVu Sans.
#pragma once

#include <string>

#include "tools/tindral_assets/canvas.h"

constexpr const char* Font_Regular = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* Font_Bold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// One rendered glyph: 8-bit coverage rows, top row first, placed relative to the pen on
// the baseline (left = columns right of the pen, top = rows above the baseline).
struct Glyph_Bitmap {
    int width = 0, rows = 0, left = 0, top = 0;
    int advance = 0;  // whole pixels
    std::string coverage;
};

class Font {
  public:
    // `x_scale` squeezes or widens the letters, for art that the game stretches back.
    // Throws std::runtime_error when FreeType or the font file is missing: the generator
    // cannot make the game's art without them.
    Font(const char* path, float pixel_size, float x_scale = 1.0f);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    Glyph_Bitmap Render(char c) const;
    // Rows above and below the baseline that every glyph of the face fits within.
    int Ascender() const;
    int Descender() const;
    // Advance width of a line of text, with `tracking` extra pixels after each letter.
    float Measure(const std::string& text, float tracking = 0) const;
    // Height of the capital letters (the ink of "H").
    int Cap_Height() const;
    // Adds the coverage of `text` to `mask`, pen starting at (x, baseline).
    void Draw(Mask& mask, float x, float baseline, const std::string& text,
              float tracking = 0) const;

  private:
    struct Impl;
    Impl* impl_;
};
