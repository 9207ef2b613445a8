// The game's icon. The design is laid out on a 32-unit square (y down) and sampled at any
// size; the SVG writes the same figures.
#include "platform/icon.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr float Span = 32.0f;   // the design's square
constexpr float Corner = 4.0f;  // radius of the square's corners
constexpr float Sphere_Radius = 12.5f;
constexpr float Highlight = 12.0f;  // the highlight's centre, x and y
constexpr float Falloff = 22.0f;    // distance at which the light would reach 0
constexpr float Ambient = 0.25f;    // the light never falls below this
constexpr int Samples = 4;          // per pixel and axis

struct Rgba {
    float r, g, b, a;
};

const Rgba Backdrop = {24, 30, 48, 255};

// The sphere's colour for a light level in Ambient..1.
Rgba Lit(float light) {
    return {250 * light + 5, 140 * light + 5, 30 * light + 5, 255};
}

// The colour at design point (u, v), in 0..Span.
Rgba Design_At(float u, float v) {
    float cx = u - Span / 2, cy = v - Span / 2;
    // Distance outside the rounded square (positive outside).
    float qx = std::fabs(cx) - (Span / 2 - Corner), qy = std::fabs(cy) - (Span / 2 - Corner);
    float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) +
                    std::min(std::max(qx, qy), 0.0f) - Corner;
    if (outside > 0) return {0, 0, 0, 0};
    if (std::hypot(cx, cy) >= Sphere_Radius) return Backdrop;
    float light = 1.0f - std::hypot(u - Highlight, v - Highlight) / Falloff;
    return Lit(std::clamp(light, Ambient, 1.0f));
}

unsigned Channel(float v) {
    return static_cast<unsigned>(std::lround(std::clamp(v, 0.0f, 255.0f)));
}

}  // namespace

std::vector<std::uint32_t> Platform_Icon_Pixels(int size) {
    std::vector<std::uint32_t> pixels(size_t(std::max(size, 0)) * std::max(size, 0));
    const float scale = Span / static_cast<float>(size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Premultiplied sums, so transparent samples do not darken the rim.
            float r = 0, g = 0, b = 0, a = 0;
            for (int j = 0; j < Samples; ++j) {
                for (int i = 0; i < Samples; ++i) {
                    Rgba c = Design_At((x + (i + 0.5f) / Samples) * scale,
                                       (y + (j + 0.5f) / Samples) * scale);
                    float weight = c.a / 255.0f;
                    r += c.r * weight;
                    g += c.g * weight;
                    b += c.b * weight;
                    a += weight;
                }
            }
            std::uint32_t value = 0;
            if (a > 0) {
                value = Channel(255.0f * a / (Samples * Samples)) << 24 | Channel(r / a) << 16 |
                        Channel(g / a) << 8 | Channel(b / a);
            }
            pixels[size_t(y) * size + x] = value;
        }
    }
    return pixels;
}

std::string Platform_Icon_Svg() {
    // The gradient runs from full light at the highlight to the ambient level, where the
    // light stops falling; past its end the last colour holds, as the clamp does.
    const float reach = (1.0f - Ambient) * Falloff;
    auto hex = [](const Rgba& c) {
        char text[8];
        std::snprintf(text, sizeof text, "#%02x%02x%02x", Channel(c.r), Channel(c.g), Channel(c.b));
        return std::string(text);
    };
    char svg[1024];
    std::snprintf(
        svg, sizeof svg,
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%g\" height=\"%g\" "
        "viewBox=\"0 0 %g %g\">\n"
        "  <defs>\n"
        "    <radialGradient id=\"light\" gradientUnits=\"userSpaceOnUse\" cx=\"%g\" cy=\"%g\" "
        "r=\"%g\">\n"
        "      <stop offset=\"0\" stop-color=\"%s\"/>\n"
        "      <stop offset=\"1\" stop-color=\"%s\"/>\n"
        "    </radialGradient>\n"
        "  </defs>\n"
        "  <rect width=\"%g\" height=\"%g\" rx=\"%g\" fill=\"%s\"/>\n"
        "  <circle cx=\"%g\" cy=\"%g\" r=\"%g\" fill=\"url(#light)\"/>\n"
        "</svg>\n",
        Span, Span, Span, Span, Highlight, Highlight, reach, hex(Lit(1.0f)).c_str(),
        hex(Lit(Ambient)).c_str(), Span, Span, Corner, hex(Backdrop).c_str(), Span / 2, Span / 2,
        Sphere_Radius);
    return svg;
}
