// A small software painter for the generated textures: float pixels with premultiplied
// alpha, shapes given as signed distance functions (anti-aliased over one pixel), masks
// for text and glows, and resampling of a design drawn in screen pixels onto the
// texture coordinates a quad will show it with.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

struct Colour {
    float r = 0, g = 0, b = 0, a = 0;  // straight (not premultiplied) alpha
};

Colour Rgb(float r, float g, float b, float a = 1.0f);
// "#rrggbb" colours, the way art is usually written down.
Colour Hex(unsigned rgb, float a = 1.0f);
Colour Mix(const Colour& a, const Colour& b, float t);
inline float Clamp01(float v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}
float Smooth_Step(float edge0, float edge1, float x);

// Repeatable pseudo-random value in 0..1 for integer coordinates, and grain of -0.5..0.5
// per pixel cell, for texture that must look the same on every build.
float Hash(int x, int y, int seed = 0);
float Grain(float x, float y, int seed);

struct Point {
    float x = 0, y = 0;
};

// Coverage values 0..1, one per pixel.
class Mask {
  public:
    Mask(int width, int height) : width_(width), height_(height), v_(size_t(width) * height) {}
    int Width() const { return width_; }
    int Height() const { return height_; }
    float& At(int x, int y) { return v_[size_t(y) * width_ + x]; }
    float Get(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
        return v_[size_t(y) * width_ + x];
    }
    // Adds coverage (clamped to 1).
    void Add(int x, int y, float c) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
        float& p = At(x, y);
        p = std::min(1.0f, p + c);
    }
    // Separable box blur run three times: close to a Gaussian of about `radius`.
    void Blur(float radius);
    // Scales every value and clamps to 1 (turns a blurred mask into a solid halo).
    void Gain(float factor);
    Mask Shifted(int dx, int dy) const;

  private:
    int width_, height_;
    std::vector<float> v_;
};

using Distance_Function = std::function<float(float x, float y)>;
using Shader = std::function<Colour(float x, float y)>;

// Signed distances in pixels, negative inside.
Distance_Function Circle_Shape(float cx, float cy, float radius);
Distance_Function Ellipse_Shape(float cx, float cy, float rx, float ry);
Distance_Function Segment_Shape(float x0, float y0, float x1, float y1, float half_width);
Distance_Function Rounded_Box_Shape(float x0, float y0, float x1, float y1, float corner);
// Any simple polygon (either winding).
Distance_Function Polygon_Shape(std::vector<Point> points);
Distance_Function Ring_Shape(float cx, float cy, float radius, float half_width);

class Canvas {
  public:
    Canvas(int width, int height)
        : width_(width), height_(height), p_(size_t(width) * height * 4) {}
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Source-over of `c` with extra coverage `cover` at pixel (x, y).
    void Blend(int x, int y, const Colour& c, float cover = 1.0f);
    void Fill(const Colour& c);
    // Every pixel gets shader(x + 0.5, y + 0.5) painted over it.
    void Shade(const Shader& shader);
    // Paints the shape (anti-aliased) within the box (pixels), coloured by `shader`.
    void Shape(const Distance_Function& shape, const Shader& shader, float x0, float y0, float x1,
               float y1);
    void Shape(const Distance_Function& shape, const Colour& c, float x0, float y0, float x1,
               float y1);
    // Whole-canvas versions (slower; for big shapes).
    void Shape(const Distance_Function& shape, const Colour& c);
    void Shape(const Distance_Function& shape, const Shader& shader);
    void Paint(const Mask& mask, const Shader& shader, float opacity = 1.0f);
    void Paint(const Mask& mask, const Colour& c, float opacity = 1.0f);
    // Source-over of another canvas of the same size.
    void Composite(const Canvas& layer, float opacity = 1.0f);
    // Coverage of a shape as a mask (for glows and outlines).
    Mask Shape_Mask(const Distance_Function& shape) const;

    // Premultiplied sample with bilinear filtering; outside the canvas is transparent.
    void Sample(float x, float y, float out[4]) const;
    // 8-bit RGBA, straight alpha, top row first.
    std::vector<std::uint8_t> To_RGBA8() const;
    // Straight-alpha colour of a pixel; Set replaces it.
    Colour Get(int x, int y) const;
    void Set(int x, int y, const Colour& c);

  private:
    int width_, height_;
    std::vector<float> p_;  // premultiplied r, g, b, a
};

// A rectangle of a texture (in texture coordinates, t = 1 is the image's top row) and the
// rectangle of the design canvas (pixels, y down) that it must show. Corner pairs match:
// (s0, t0) shows design point (x0, y0) and (s1, t1) shows (x1, y1); either may be
// mirrored.
struct Texture_Window {
    float s0, t0, s1, t1;
    float x0, y0, x1, y1;
};

// Fills `texture` wherever a window covers it by sampling `design` (box-filtered over the
// texel's footprint).
void Resample_Into(Canvas& texture, const Canvas& design, const Texture_Window& window);

// The art is drawn for a 4:3 window: pixel sizes of a 1440 x 1080 client area.
constexpr float Reference_Width = 1440.0f;
constexpr float Reference_Height = 1080.0f;
