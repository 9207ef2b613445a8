#include "tools/tindral_assets/canvas.h"

#include <cstring>

Colour Rgb(float r, float g, float b, float a) {
    return Colour{r, g, b, a};
}

Colour Hex(unsigned rgb, float a) {
    return Colour{float((rgb >> 16) & 255) / 255.0f, float((rgb >> 8) & 255) / 255.0f,
                  float(rgb & 255) / 255.0f, a};
}

Colour Mix(const Colour& a, const Colour& b, float t) {
    return Colour{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
                  a.a + (b.a - a.a) * t};
}

float Smooth_Step(float edge0, float edge1, float x) {
    float t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

float Hash(int x, int y, int seed) {
    unsigned h = unsigned(x) * 374761393u + unsigned(y) * 668265263u + unsigned(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return float(h & 0xFFFFFF) / float(0x1000000);
}

float Grain(float x, float y, int seed) {
    return Hash(int(std::floor(x)), int(std::floor(y)), seed) - 0.5f;
}

// ---- Mask ------------------------------------------------------------------------------

namespace {

void Box_Pass(std::vector<float>& v, int width, int height, int radius, bool horizontal) {
    if (radius < 1) return;
    int length = horizontal ? width : height;
    int lines = horizontal ? height : width;
    std::vector<float> line(static_cast<size_t>(length));
    float scale = 1.0f / float(2 * radius + 1);
    for (int l = 0; l < lines; ++l) {
        auto index = [&](int i) {
            return horizontal ? size_t(l) * width + i : size_t(i) * width + l;
        };
        for (int i = 0; i < length; ++i) line[size_t(i)] = v[index(i)];
        float sum = 0;
        for (int i = -radius; i <= radius; ++i) {
            if (i >= 0 && i < length) sum += line[size_t(i)];
        }
        for (int i = 0; i < length; ++i) {
            v[index(i)] = sum * scale;
            int out = i - radius, in = i + radius + 1;
            if (out >= 0) sum -= line[size_t(out)];
            if (in < length) sum += line[size_t(in)];
        }
    }
}

}  // namespace

void Mask::Blur(float radius) {
    int r = std::max(1, int(std::lround(radius / 1.7f)));
    for (int pass = 0; pass < 3; ++pass) {
        Box_Pass(v_, width_, height_, r, true);
        Box_Pass(v_, width_, height_, r, false);
    }
}

void Mask::Gain(float factor) {
    for (float& x : v_) x = std::min(1.0f, x * factor);
}

Mask Mask::Shifted(int dx, int dy) const {
    Mask out(width_, height_);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) out.At(x, y) = Get(x - dx, y - dy);
    }
    return out;
}

// ---- Shapes ----------------------------------------------------------------------------

Distance_Function Circle_Shape(float cx, float cy, float radius) {
    return [=](float x, float y) { return std::hypot(x - cx, y - cy) - radius; };
}

Distance_Function Ellipse_Shape(float cx, float cy, float rx, float ry) {
    // Distance of the scaled circle, corrected by the local stretch: exact enough for the
    // one-pixel anti-aliasing band.
    return [=](float x, float y) {
        float nx = (x - cx) / rx, ny = (y - cy) / ry;
        float k = std::hypot(nx, ny);
        if (k < 1e-6f) return -std::min(rx, ry);
        float gx = nx / rx, gy = ny / ry;
        float grad = std::hypot(gx, gy) / k;
        return (k - 1.0f) / std::max(grad, 1e-6f);
    };
}

Distance_Function Segment_Shape(float x0, float y0, float x1, float y1, float half_width) {
    return [=](float x, float y) {
        float dx = x1 - x0, dy = y1 - y0;
        float len2 = dx * dx + dy * dy;
        float t = len2 > 0 ? Clamp01(((x - x0) * dx + (y - y0) * dy) / len2) : 0;
        return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - half_width;
    };
}

Distance_Function Rounded_Box_Shape(float x0, float y0, float x1, float y1, float corner) {
    float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
    float hx = std::fabs(x1 - x0) * 0.5f - corner, hy = std::fabs(y1 - y0) * 0.5f - corner;
    return [=](float x, float y) {
        float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
        float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
        return outside + std::min(std::max(qx, qy), 0.0f) - corner;
    };
}

Distance_Function Polygon_Shape(std::vector<Point> points) {
    return [points](float x, float y) {
        float best = 1e30f;
        bool inside = false;
        size_t n = points.size();
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            const Point& a = points[j];
            const Point& b = points[i];
            float ex = b.x - a.x, ey = b.y - a.y;
            float len2 = ex * ex + ey * ey;
            float t = len2 > 0 ? Clamp01(((x - a.x) * ex + (y - a.y) * ey) / len2) : 0;
            best = std::min(best, std::hypot(x - (a.x + t * ex), y - (a.y + t * ey)));
            if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * ex / ey) inside = !inside;
        }
        return inside ? -best : best;
    };
}

Distance_Function Ring_Shape(float cx, float cy, float radius, float half_width) {
    return [=](float x, float y) {
        return std::fabs(std::hypot(x - cx, y - cy) - radius) - half_width;
    };
}

// ---- Canvas ----------------------------------------------------------------------------

void Canvas::Blend(int x, int y, const Colour& c, float cover) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    float a = Clamp01(c.a * cover);
    if (a <= 0) return;
    float* p = &p_[(size_t(y) * width_ + x) * 4];
    float keep = 1.0f - a;
    p[0] = c.r * a + p[0] * keep;
    p[1] = c.g * a + p[1] * keep;
    p[2] = c.b * a + p[2] * keep;
    p[3] = a + p[3] * keep;
}

void Canvas::Fill(const Colour& c) {
    for (size_t i = 0; i < p_.size(); i += 4) {
        p_[i] = c.r * c.a;
        p_[i + 1] = c.g * c.a;
        p_[i + 2] = c.b * c.a;
        p_[i + 3] = c.a;
    }
}

void Canvas::Shade(const Shader& shader) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) Blend(x, y, shader(float(x) + 0.5f, float(y) + 0.5f));
    }
}

void Canvas::Shape(const Distance_Function& shape, const Shader& shader, float x0, float y0,
                   float x1, float y1) {
    int ix0 = std::max(0, int(std::floor(std::min(x0, x1))) - 2);
    int iy0 = std::max(0, int(std::floor(std::min(y0, y1))) - 2);
    int ix1 = std::min(width_ - 1, int(std::ceil(std::max(x0, x1))) + 2);
    int iy1 = std::min(height_ - 1, int(std::ceil(std::max(y0, y1))) + 2);
    for (int y = iy0; y <= iy1; ++y) {
        for (int x = ix0; x <= ix1; ++x) {
            float px = float(x) + 0.5f, py = float(y) + 0.5f;
            float cover = Clamp01(0.5f - shape(px, py));
            if (cover > 0) Blend(x, y, shader(px, py), cover);
        }
    }
}

void Canvas::Shape(const Distance_Function& shape, const Colour& c, float x0, float y0, float x1,
                   float y1) {
    Shape(
        shape, [&c](float, float) { return c; }, x0, y0, x1, y1);
}

void Canvas::Shape(const Distance_Function& shape, const Colour& c) {
    Shape(shape, c, 0, 0, float(width_), float(height_));
}

void Canvas::Shape(const Distance_Function& shape, const Shader& shader) {
    Shape(shape, shader, 0, 0, float(width_), float(height_));
}

void Canvas::Paint(const Mask& mask, const Shader& shader, float opacity) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            float m = mask.Get(x, y) * opacity;
            if (m > 0) Blend(x, y, shader(float(x) + 0.5f, float(y) + 0.5f), m);
        }
    }
}

void Canvas::Paint(const Mask& mask, const Colour& c, float opacity) {
    Paint(
        mask, [&c](float, float) { return c; }, opacity);
}

void Canvas::Composite(const Canvas& layer, float opacity) {
    for (size_t i = 0; i + 3 < p_.size() && i + 3 < layer.p_.size(); i += 4) {
        float a = layer.p_[i + 3] * opacity;
        float keep = 1.0f - a;
        for (int k = 0; k < 3; ++k) p_[i + k] = layer.p_[i + k] * opacity + p_[i + k] * keep;
        p_[i + 3] = a + p_[i + 3] * keep;
    }
}

Mask Canvas::Shape_Mask(const Distance_Function& shape) const {
    Mask m(width_, height_);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            m.At(x, y) = Clamp01(0.5f - shape(float(x) + 0.5f, float(y) + 0.5f));
        }
    }
    return m;
}

void Canvas::Sample(float x, float y, float out[4]) const {
    float fx = x - 0.5f, fy = y - 0.5f;
    int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
    float tx = fx - float(x0), ty = fy - float(y0);
    for (int k = 0; k < 4; ++k) out[k] = 0;
    for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < 2; ++i) {
            int px = x0 + i, py = y0 + j;
            if (px < 0 || py < 0 || px >= width_ || py >= height_) continue;
            float w = (i ? tx : 1 - tx) * (j ? ty : 1 - ty);
            const float* p = &p_[(size_t(py) * width_ + px) * 4];
            for (int k = 0; k < 4; ++k) out[k] += p[k] * w;
        }
    }
}

void Canvas::Set(int x, int y, const Colour& c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    float* p = &p_[(size_t(y) * width_ + x) * 4];
    p[0] = c.r * c.a;
    p[1] = c.g * c.a;
    p[2] = c.b * c.a;
    p[3] = c.a;
}

Colour Canvas::Get(int x, int y) const {
    const float* p = &p_[(size_t(y) * width_ + x) * 4];
    if (p[3] <= 0) return Colour{};
    return Colour{p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
}

std::vector<std::uint8_t> Canvas::To_RGBA8() const {
    std::vector<std::uint8_t> out(size_t(width_) * height_ * 4);
    for (size_t i = 0; i < out.size(); i += 4) {
        float a = Clamp01(p_[i + 3]);
        for (int k = 0; k < 3; ++k) {
            float v = a > 0 ? Clamp01(p_[i + k] / a) : 0.0f;
            out[i + k] = std::uint8_t(std::lround(v * 255.0f));
        }
        out[i + 3] = std::uint8_t(std::lround(a * 255.0f));
    }
    return out;
}

void Resample_Into(Canvas& texture, const Canvas& design, const Texture_Window& w) {
    int tw = texture.Width(), th = texture.Height();
    float s_lo = std::min(w.s0, w.s1), s_hi = std::max(w.s0, w.s1);
    float t_lo = std::min(w.t0, w.t1), t_hi = std::max(w.t0, w.t1);
    // Texel columns and rows whose centres lie inside the window, plus one texel of
    // margin so that linear filtering at the window's edge finds the same picture.
    int c0 = std::max(0, int(std::floor(s_lo * float(tw))) - 1);
    int c1 = std::min(tw - 1, int(std::ceil(s_hi * float(tw))));
    int r0 = std::max(0, int(std::floor((1.0f - t_hi) * float(th))) - 1);
    int r1 = std::min(th - 1, int(std::ceil((1.0f - t_lo) * float(th))));
    float dx_ds = (w.x1 - w.x0) / (w.s1 - w.s0), dy_dt = (w.y1 - w.y0) / (w.t1 - w.t0);
    float foot_x = std::fabs(dx_ds) / float(tw), foot_y = std::fabs(dy_dt) / float(th);
    int nx = std::clamp(int(std::ceil(foot_x)), 1, 8),
        ny = std::clamp(int(std::ceil(foot_y)), 1, 8);
    for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
            float s = (float(c) + 0.5f) / float(tw);
            float t = 1.0f - (float(r) + 0.5f) / float(th);
            s = std::clamp(s, s_lo, s_hi);
            t = std::clamp(t, t_lo, t_hi);
            float cx = w.x0 + (s - w.s0) * dx_ds, cy = w.y0 + (t - w.t0) * dy_dt;
            float sum[4] = {0, 0, 0, 0};
            for (int j = 0; j < ny; ++j) {
                for (int i = 0; i < nx; ++i) {
                    float px = cx + ((float(i) + 0.5f) / float(nx) - 0.5f) * foot_x;
                    float py = cy + ((float(j) + 0.5f) / float(ny) - 0.5f) * foot_y;
                    px = std::clamp(px, std::min(w.x0, w.x1) + 0.5f, std::max(w.x0, w.x1) - 0.5f);
                    py = std::clamp(py, std::min(w.y0, w.y1) + 0.5f, std::max(w.y0, w.y1) - 0.5f);
                    float v[4];
                    design.Sample(px, py, v);
                    for (int k = 0; k < 4; ++k) sum[k] += v[k];
                }
            }
            float n = float(nx * ny);
            float a = sum[3] / n;
            Colour c_out =
                a > 0 ? Colour{sum[0] / n / a, sum[1] / n / a, sum[2] / n / a, a} : Colour{};
            texture.Set(c, r, c_out);  // the window owns these texels
        }
    }
}
