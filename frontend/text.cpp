#include "frontend/text.h"

#include <GL/gl.h>

#include <cstdarg>
#include <cstdio>

#include "engine/window.h"

namespace {

// 0.12 as the single-precision value the gap has always used.
constexpr float Gap_Factor = 0.12f;
constexpr float No_Glyph[4] = {0.0f, 0.0f, 0.0f, 0.0f};

struct Glyph_Size {
    float s0, t0, s1, t1;
    float w, h;
};

Glyph_Size Glyph_Of(const float metrics[128][4], unsigned char code, float size, float aspect) {
    // The table covers 7-bit codes only; anything above is a code without a glyph.
    const float* m = code < 128 ? metrics[code] : No_Glyph;
    Glyph_Size g;
    g.s0 = m[0] / 256.0f;
    g.s1 = (m[1] + 1.0f) / 256.0f;
    g.t0 = (255.0f - m[2]) / 256.0f;
    g.t1 = (256.0f - m[3]) / 256.0f;
    g.w = 10.0f * size * aspect * (g.s1 - g.s0);
    g.h = 10.0f * size * (g.t1 - g.t0);
    return g;
}

}  // namespace

void Text_Layout_Line(const float metrics[128][4], int width, int height, float x, float y,
                      float size, unsigned char centre, unsigned char right_align, const char* text,
                      Text_Layout& layout) {
    layout.count = 0;
    if (text == nullptr || width <= 0 || height <= 0) return;
    const float aspect = static_cast<float>(height) / static_cast<float>(width);
    const float gap = aspect * size * Gap_Factor;

    float pen = x;
    if (centre == 1 || right_align == 1) {
        float measured = 0.0f;
        for (int i = 0; text[i] != '\0' && i < Text_Max_Length; ++i) {
            measured +=
                Glyph_Of(metrics, static_cast<unsigned char>(text[i]), size, aspect).w + gap;
        }
        pen = centre == 1 ? x - measured * 0.5f : x - measured;
    }
    for (int i = 0; text[i] != '\0' && i < Text_Max_Length; ++i) {
        Glyph_Size g = Glyph_Of(metrics, static_cast<unsigned char>(text[i]), size, aspect);
        Text_Quad& q = layout.quads[layout.count++];
        q.s0 = g.s0;
        q.t0 = g.t0;
        q.s1 = g.s1;
        q.t1 = g.t1;
        q.x0 = pen;
        q.x1 = pen + g.w;
        q.y0 = y - g.h / 2.0f;
        q.y1 = y + g.h / 2.0f;
        pen += g.w + gap;
    }
}

void Text_Draw(CTarvelWindow& window, float x, float y, float size, float red, float green,
               float blue, unsigned char centre, unsigned char right_align, const char* format,
               ...) {
    char text[Text_Max_Length + 1] = {};
    if (format != nullptr) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
    }
    Text_Layout layout;
    Text_Layout_Line(window.Font_Metrics, window.Width, window.Height, x, y, size, centre,
                     right_align, text, layout);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(red, green, blue, 1.0f);
    glBegin(GL_QUADS);
    for (int i = 0; i < layout.count; ++i) {
        const Text_Quad& q = layout.quads[i];
        glTexCoord2f(q.s0, q.t0);
        glVertex3f(q.x0, q.y0, 0.0f);
        glTexCoord2f(q.s1, q.t0);
        glVertex3f(q.x1, q.y0, 0.0f);
        glTexCoord2f(q.s1, q.t1);
        glVertex3f(q.x1, q.y1, 0.0f);
        glTexCoord2f(q.s0, q.t1);
        glVertex3f(q.x0, q.y1, 0.0f);
    }
    glEnd();
}
