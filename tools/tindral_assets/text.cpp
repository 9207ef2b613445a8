#include "tools/tindral_assets/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <stdexcept>

struct Font::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    float x_scale = 1.0f;
};

Font::Font(const char* path, float pixel_size, float x_scale) : impl_(new Impl) {
    impl_->x_scale = x_scale;
    if (FT_Init_FreeType(&impl_->library) != 0) {
        delete impl_;
        throw std::runtime_error("FreeType cannot start");
    }
    if (FT_New_Face(impl_->library, path, 0, &impl_->face) != 0) {
        FT_Done_FreeType(impl_->library);
        delete impl_;
        throw std::runtime_error(std::string("cannot open font ") + path);
    }
    FT_Set_Char_Size(impl_->face, 0, FT_F26Dot6(std::lround(pixel_size * 64.0f)), 72, 72);
    if (x_scale != 1.0f) {
        FT_Matrix matrix;
        matrix.xx = FT_Fixed(std::lround(x_scale * 65536.0f));
        matrix.xy = 0;
        matrix.yx = 0;
        matrix.yy = 0x10000;
        FT_Set_Transform(impl_->face, &matrix, nullptr);
    }
}

Font::~Font() {
    FT_Done_Face(impl_->face);
    FT_Done_FreeType(impl_->library);
    delete impl_;
}

Glyph_Bitmap Font::Render(char c) const {
    Glyph_Bitmap out;
    FT_Face face = impl_->face;
    if (FT_Load_Char(face, FT_ULong(static_cast<unsigned char>(c)), FT_LOAD_RENDER) != 0) {
        return out;
    }
    FT_GlyphSlot slot = face->glyph;
    out.width = int(slot->bitmap.width);
    out.rows = int(slot->bitmap.rows);
    out.left = slot->bitmap_left;
    out.top = slot->bitmap_top;
    out.advance = int(std::lround(double(slot->advance.x) / 64.0));
    out.coverage.resize(size_t(out.width) * out.rows);
    for (int y = 0; y < out.rows; ++y) {
        const unsigned char* row = slot->bitmap.buffer + std::ptrdiff_t(y) * slot->bitmap.pitch;
        for (int x = 0; x < out.width; ++x) out.coverage[size_t(y) * out.width + x] = char(row[x]);
    }
    return out;
}

int Font::Ascender() const {
    return int(std::ceil(double(impl_->face->size->metrics.ascender) / 64.0));
}

int Font::Descender() const {
    return int(std::ceil(-double(impl_->face->size->metrics.descender) / 64.0));
}

float Font::Measure(const std::string& text, float tracking) const {
    float width = 0;
    for (char c : text) {
        if (FT_Load_Char(impl_->face, FT_ULong(static_cast<unsigned char>(c)), FT_LOAD_DEFAULT) !=
            0) {
            continue;
        }
        width += float(impl_->face->glyph->advance.x) / 64.0f + tracking;
    }
    return width;
}

int Font::Cap_Height() const {
    return Render('H').top;
}

void Font::Draw(Mask& mask, float x, float baseline, const std::string& text,
                float tracking) const {
    float pen = x;
    for (char c : text) {
        FT_Face face = impl_->face;
        // Sub-pixel pen positions: the outline is shifted before rendering.
        float whole = std::floor(pen);
        FT_Vector delta{FT_Pos(std::lround((pen - whole) * 64.0f)), 0};
        FT_Matrix matrix{FT_Fixed(std::lround(impl_->x_scale * 65536.0f)), 0, 0, 0x10000};
        FT_Set_Transform(face, &matrix, &delta);
        Glyph_Bitmap g = Render(c);
        float advance = 0;
        if (FT_Load_Char(face, FT_ULong(static_cast<unsigned char>(c)), FT_LOAD_DEFAULT) == 0) {
            advance = float(face->glyph->advance.x) / 64.0f;
        }
        int base = int(std::lround(baseline));
        for (int gy = 0; gy < g.rows; ++gy) {
            for (int gx = 0; gx < g.width; ++gx) {
                float v = float(static_cast<unsigned char>(g.coverage[size_t(gy) * g.width + gx])) /
                          255.0f;
                if (v > 0) mask.Add(int(whole) + g.left + gx, base - g.top + gy, v);
            }
        }
        pen += advance + tracking;
    }
    FT_Matrix matrix{FT_Fixed(std::lround(impl_->x_scale * 65536.0f)), 0, 0, 0x10000};
    FT_Set_Transform(impl_->face, &matrix, nullptr);
}
