// Textures of the menu: the intro card, the two footer pictures and the label images.
//
// Each picture is designed in screen pixels of a 1440 x 1080 window (the game's window is
// always 4:3), exactly as large and in the place where the menu draws it, and then
// resampled onto the texture coordinates that the menu gives its quads. So the labels keep
// their proportions, the intro's circles stay round although a square texture is drawn on
// a 4:3 rectangle, and the footers survive their mirrored cut-outs.
#include <cmath>
#include <string>

#include "tools/tindral_assets/assets.h"
#include "tools/tindral_assets/text.h"

namespace {

// 2-D units (0..100 each way) to reference screen pixels.
constexpr float Unit_X = Reference_Width / 100.0f;
constexpr float Unit_Y = Reference_Height / 100.0f;
constexpr float Aspect = Reference_Width / Reference_Height;
constexpr float T1 = Aspect * 1.8f;          // block title height
constexpr float T2 = Aspect * 2.4f;          // button label height
constexpr float Footer_F = Aspect * 19.65f;  // footer heights
constexpr float Footer_G = Footer_F * 0.26f;

Canvas Texture_From(const Canvas& design, int width, int height) {
    Canvas texture(width, height);
    Resample_Into(texture, design,
                  Texture_Window{0, 1, 1, 0, 0, 0, float(design.Width()), float(design.Height())});
    return texture;
}

// White text with a soft shadow, drawn into `design` at pen (x, baseline).
void Shadowed_Text(Canvas& design, const Font& font, float x, float baseline,
                   const std::string& text, float shadow_offset, float tracking,
                   const Shader& fill) {
    Mask ink(design.Width(), design.Height());
    font.Draw(ink, x, baseline, text, tracking);
    Mask shadow = ink.Shifted(int(std::lround(shadow_offset)), int(std::lround(shadow_offset)));
    shadow.Blur(shadow_offset * 1.5f);
    shadow.Gain(1.6f);
    design.Paint(shadow, Hex(0x000000), 0.75f);
    design.Paint(ink, fill);
}

// ---- Labels ----------------------------------------------------------------------------

struct Button_Label {
    const char* file;
    const char* text;
    float label_x, label_width;  // where the menu draws the label
    float button_right;          // the right end of its button rectangle
};

// Menu layout: label anchors, label widths and button rectangles.
constexpr Button_Label Buttons[] = {
    {"menu_text_new_game.png", "New game", 19.7f, 19.3f, 19.0f + 13.6f},
    {"menu_text_continue.png", "Continue", 40.4f, 19.3f, 39.7f + 11.5f},
    {"menu_text_website.png", "Website", 59.2f, 19.4f, 58.5f + 10.5f},
    {"menu_text_exit.png", "Exit", 76.9f, 19.4f, 76.2f + 5.9f},
};

constexpr float Label_Scale = 2.0f;  // design pixels per screen pixel

void Make_Button_Labels(std::vector<Asset_File>& files) {
    float height = T2 * Unit_Y * Label_Scale;
    float margin = 6.0f * Label_Scale;
    // One size for all four: the largest whose every label ends inside its button.
    float size = 27.0f * Label_Scale;
    for (; size > 8.0f; size -= 0.5f) {
        Font font(Font_Bold, size);
        bool fits = true;
        for (const Button_Label& b : Buttons) {
            float room = (b.button_right - b.label_x) * Unit_X * Label_Scale - 2 * margin;
            if (font.Measure(b.text) > room) fits = false;
        }
        if (fits) break;
    }
    Font font(Font_Bold, size);
    for (const Button_Label& b : Buttons) {
        Canvas design(int(std::lround(b.label_width * Unit_X * Label_Scale)),
                      int(std::lround(height)));
        float baseline = (height + float(font.Cap_Height())) * 0.5f;
        Shadowed_Text(design, font, margin, baseline, b.text, 1.5f * Label_Scale, 0,
                      [&](float, float y) {
                          return Mix(Hex(0xffffff), Hex(0xdfe9f2),
                                     Clamp01((y - baseline + size * 0.7f) / size));
                      });
        files.push_back(Png_File(b.file, Texture_From(design, 512, 64)));
    }
}

void Make_Block_Titles(std::vector<Asset_File>& files) {
    struct Title {
        const char* file;
        const char* text;
    };
    const Title titles[] = {{"menu_text_current_level.png", "Current level"},
                            {"menu_text_options.png", "Options"},
                            {"menu_text_users.png", "Players"}};
    float width = 15.6f * Unit_X * Label_Scale, height = T1 * Unit_Y * Label_Scale;
    Font font(Font_Bold, height * 0.62f);
    for (const Title& t : titles) {
        Canvas design(int(std::lround(width)), int(std::lround(height)));
        float baseline = height * 0.70f;
        float text_width = font.Measure(t.text, 0.6f * Label_Scale);
        // An underline in the table headings' orange, fading out to the right.
        float y = height - 2.5f * Label_Scale;
        design.Shape(
            Rounded_Box_Shape(2 * Label_Scale, y - 1.2f * Label_Scale, text_width * 1.35f,
                              y + 1.2f * Label_Scale, 1.0f * Label_Scale),
            [&](float x, float) {
                float fade = 1.0f - Smooth_Step(text_width * 0.6f, text_width * 1.35f, x);
                return Hex(0xe21c00, 0.95f * fade);
            },
            0, y - 4 * Label_Scale, width, y + 4 * Label_Scale);
        Shadowed_Text(design, font, 3.0f * Label_Scale, baseline, t.text, 1.2f * Label_Scale,
                      0.6f * Label_Scale, [](float, float) { return Hex(0xfff6e8); });
        files.push_back(Png_File(t.file, Texture_From(design, 512, 64)));
    }
}

// ---- Intro card ------------------------------------------------------------------------

struct Vec3 {
    float x, y, z;
};

// A small perspective camera over the arena drawing: world units of the arena (the field is
// -158..158), seen from the Bottom side, slightly raised.
struct Camera {
    float cx, cy, focal;  // screen centre and focal length in design pixels
    Point Project(Vec3 p) const {
        // Camera at (0, -430, 330) looking at (0, 10, 0).
        const float ex = 0, ey = -430, ez = 330;
        float fx = 0 - ex, fy = 10 - ey, fz = 0 - ez;
        float fl = std::sqrt(fx * fx + fy * fy + fz * fz);
        fx /= fl, fy /= fl, fz /= fl;
        // right = forward x up(0,0,1); up' = right x forward
        float rx = fy, ry = -fx, rz = 0;
        float rl = std::sqrt(rx * rx + ry * ry);
        rx /= rl, ry /= rl;
        float ux = ry * fz - rz * fy, uy = rz * fx - rx * fz, uz = rx * fy - ry * fx;
        float dx = p.x - ex, dy = p.y - ey, dz = p.z - ez;
        float depth = dx * fx + dy * fy + dz * fz;
        float sx = dx * rx + dy * ry + dz * rz, sy = dx * ux + dy * uy + dz * uz;
        return Point{cx + focal * sx / depth, cy - focal * sy / depth};
    }
};

std::vector<Vec3> Field_Outline() {
    std::vector<Vec3> out;
    for (int k = 0; k < 4; ++k) {
        for (Point corner : Arena_Quarter) {
            Vec3 p{corner.x, corner.y, 0};
            for (int r = 0; r < k; ++r) p = Vec3{p.y, -p.x, 0};
            out.push_back(p);
        }
    }
    return out;
}

Colour Lighter(Colour c, float t) {
    return Mix(c, Hex(0xffffff), t);
}

void Draw_Arena(Canvas& d, const Camera& cam) {
    std::vector<Vec3> outline = Field_Outline();
    std::vector<Point> floor;
    for (const Vec3& p : outline) floor.push_back(cam.Project(p));
    float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
    for (const Point& p : floor) {
        x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x),
        y1 = std::max(y1, p.y);
    }
    Point centre = cam.Project({0, 0, 0});
    // Floor glow and floor.
    Mask halo = d.Shape_Mask(Polygon_Shape(floor));
    halo.Blur(40.0f);
    d.Paint(halo, Hex(0x2f7fd0), 0.55f);
    d.Shape(
        Polygon_Shape(floor),
        [&](float x, float y) {
            float r = std::hypot((x - centre.x) / (x1 - x0), (y - centre.y) / (y1 - y0)) * 2.0f;
            return Mix(Hex(0x5a86b3), Hex(0x1d324b), Clamp01(r * 0.9f));
        },
        x0, y0, x1, y1);
    // Tile lines every 25 units, clipped to the field.
    Distance_Function field = Polygon_Shape(floor);
    for (int i = -7; i <= 7; ++i) {
        float v = 25.0f * float(i);
        for (int dir = 0; dir < 2; ++dir) {
            Vec3 a = dir ? Vec3{v, -200, 0} : Vec3{-200, v, 0};
            Vec3 b = dir ? Vec3{v, 200, 0} : Vec3{200, v, 0};
            Point pa = cam.Project(a), pb = cam.Project(b);
            d.Shape(
                [&](float x, float y) {
                    return std::max(Segment_Shape(pa.x, pa.y, pb.x, pb.y, 0.9f)(x, y), field(x, y));
                },
                Hex(0xa8d4ff, 0.22f), std::min(pa.x, pb.x), std::min(pa.y, pb.y),
                std::max(pa.x, pb.x), std::max(pa.y, pb.y));
        }
    }
    // Centre circle and goal lines.
    std::vector<Point> circle;
    for (int i = 0; i < 64; ++i) {
        float a = 2.0f * float(M_PI) * float(i) / 64.0f;
        circle.push_back(cam.Project({35 * std::cos(a), 35 * std::sin(a), 0}));
    }
    for (size_t i = 0; i < circle.size(); ++i) {
        const Point& a = circle[i];
        const Point& b = circle[(i + 1) % circle.size()];
        d.Shape(Segment_Shape(a.x, a.y, b.x, b.y, 1.6f), Hex(0xe8f4ff, 0.8f),
                std::min(a.x, b.x) - 3, std::min(a.y, b.y) - 3, std::max(a.x, b.x) + 3,
                std::max(a.y, b.y) + 3);
    }
    const Point post = Arena_Quarter[4];
    for (int k = 0; k < 4; ++k) {
        Vec3 a{-post.x, post.y, 0}, b{post.x, post.y, 0};
        for (int r = 0; r < k; ++r) a = Vec3{a.y, -a.x, 0}, b = Vec3{b.y, -b.x, 0};
        Point pa = cam.Project(a), pb = cam.Project(b);
        d.Shape(Segment_Shape(pa.x, pa.y, pb.x, pb.y, 2.0f), Hex(0xffb030, 0.95f));
    }

    // Walls, far ones first: each segment of the outline raised 40 units.
    struct Wall_Face {
        Vec3 a, b;
        float depth;
        bool net;
    };
    std::vector<Wall_Face> faces;
    for (size_t i = 0; i < outline.size(); ++i) {
        const Vec3& a = outline[i];
        const Vec3& b = outline[(i + 1) % outline.size()];
        bool net = (i % 7) >= 4;
        faces.push_back(Wall_Face{a, b, (a.y + b.y) * 0.5f, net});
    }
    std::sort(faces.begin(), faces.end(),
              [](const Wall_Face& l, const Wall_Face& r) { return l.depth > r.depth; });
    const float h = 40.0f;
    for (const Wall_Face& f : faces) {
        Point p0 = cam.Project(f.a), p1 = cam.Project(f.b);
        Point p2 = cam.Project({f.b.x, f.b.y, h}), p3 = cam.Project({f.a.x, f.a.y, h});
        std::vector<Point> quad = {p0, p1, p2, p3};
        float bx0 = std::min({p0.x, p1.x, p2.x, p3.x}), bx1 = std::max({p0.x, p1.x, p2.x, p3.x});
        float by0 = std::min({p0.y, p1.y, p2.y, p3.y}), by1 = std::max({p0.y, p1.y, p2.y, p3.y});
        float top = std::min(p2.y, p3.y), bottom = std::max(p0.y, p1.y);
        if (f.net) {
            d.Shape(Polygon_Shape(quad), Hex(0xdfeaf3, 0.28f), bx0, by0, bx1, by1);
        } else {
            // Inner faces (towards the camera) lit, outer faces dark.
            bool facing = (f.b.x - f.a.x) * (0 - f.a.y) - (f.b.y - f.a.y) * (0 - f.a.x) < 0;
            Colour hi = facing ? Hex(0x9db7d1) : Hex(0x3b5168);
            Colour lo = facing ? Hex(0x4c6884) : Hex(0x1f2d3b);
            d.Shape(
                Polygon_Shape(quad),
                [&](float, float y) {
                    return Mix(hi, lo, Clamp01((y - top) / std::max(1.0f, bottom - top)));
                },
                bx0, by0, bx1, by1);
            // Light strip.
            Point l0 = cam.Project({f.a.x, f.a.y, h * 0.72f}),
                  l1 = cam.Project({f.b.x, f.b.y, h * 0.72f});
            d.Shape(Segment_Shape(l0.x, l0.y, l1.x, l1.y, 1.4f), Hex(0x8ff0ff, 0.9f), bx0, by0, bx1,
                    by1);
        }
        d.Shape(Segment_Shape(p3.x, p3.y, p2.x, p2.y, f.net ? 1.6f : 2.0f),
                f.net ? Hex(0xff4050) : Hex(0xf2f8fc), bx0 - 3, by0 - 3, bx1 + 3, by1 + 3);
    }
}

void Draw_Sphere(Canvas& d, Point p, float r, Colour colour, Point trail_from) {
    // Trail, shadow, body, highlight.
    Mask trail(d.Width(), d.Height());
    for (int i = 0; i < 24; ++i) {
        float t = float(i) / 24.0f;
        Point q{trail_from.x + (p.x - trail_from.x) * t, trail_from.y + (p.y - trail_from.y) * t};
        float rr = r * (0.35f + 0.55f * t);
        for (int y = int(q.y - rr) - 1; y <= int(q.y + rr) + 1; ++y) {
            for (int x = int(q.x - rr) - 1; x <= int(q.x + rr) + 1; ++x) {
                float c = Clamp01(rr - std::hypot(float(x) + 0.5f - q.x, float(y) + 0.5f - q.y));
                if (c > 0)
                    trail.At(std::clamp(x, 0, d.Width() - 1), std::clamp(y, 0, d.Height() - 1)) =
                        std::max(trail.Get(x, y), c * t * 0.5f);
            }
        }
    }
    trail.Blur(3.0f);
    d.Paint(trail, Lighter(colour, 0.3f));
    d.Shape(Ellipse_Shape(p.x + r * 0.25f, p.y + r * 0.85f, r * 1.05f, r * 0.38f),
            Hex(0x000000, 0.45f), p.x - 2 * r, p.y, p.x + 2 * r, p.y + 2 * r);
    Mask glow = d.Shape_Mask(Circle_Shape(p.x, p.y, r * 1.1f));
    glow.Blur(r * 0.6f);
    d.Paint(glow, colour, 0.6f);
    d.Shape(
        Circle_Shape(p.x, p.y, r),
        [&](float x, float y) {
            float dx = (x - p.x) / r, dy = (y - p.y) / r;
            float light = Clamp01(1.0f - std::hypot(dx + 0.35f, dy + 0.4f) * 0.75f);
            Colour body = Mix(Mix(colour, Hex(0x000000), 0.55f), colour, Clamp01(light * 1.6f));
            return Mix(body, Hex(0xffffff), std::pow(light, 6.0f) * 0.9f);
        },
        p.x - r - 2, p.y - r - 2, p.x + r + 2, p.y + r + 2);
}

Asset_File Intro_Texture() {
    constexpr float K = 2.0f;  // design pixels per screen pixel
    const float W = 40.0f * Unit_X * K, H = 40.0f * Unit_Y * K;
    Canvas d(int(std::lround(W)), int(std::lround(H)));
    const float R = 26.0f * K;
    // Card.
    d.Shape(Rounded_Box_Shape(0, 0, W, H, R), [&](float x, float y) {
        float r = std::hypot((x - W * 0.5f) / W, (y - H * 0.42f) / H);
        Colour c = Mix(Hex(0x1b3d6e), Hex(0x050a14), Clamp01(r * 1.7f));
        float star = Hash(int(x / 3), int(y / 3), 21);
        if (star > 0.9965f) c = Mix(c, Hex(0xcfe6ff), (star - 0.9965f) / 0.0035f * 0.8f);
        return c;
    });
    Camera cam{W * 0.5f, H * 0.6f, W * 0.9f};
    Draw_Arena(d, cam);
    // Spheres in play, in the game's four sphere colours.
    struct Ball {
        Vec3 at, from;
        Colour colour;
    };
    const Ball balls[] = {
        {{-55, 40, 10}, {-120, -30, 10}, Rgb(0.0f, 0.17f, 0.78f)},
        {{70, -20, 10}, {130, 60, 10}, Rgb(0.91f, 0.0f, 0.07f)},
        {{10, -75, 10}, {-40, -10, 10}, Rgb(1.0f, 1.0f, 1.0f)},
        {{95, 95, 10}, {40, 120, 10}, Rgb(1.0f, 1.0f, 0.22f)},
    };
    // Paddles in front of each goal.
    for (int k = 0; k < 4; ++k) {
        float offset = k == 0 ? 25.0f : (k == 1 ? -30.0f : (k == 2 ? 10.0f : -15.0f));
        std::vector<Vec3> box = {{offset - 30, -136, 0},
                                 {offset + 30, -136, 0},
                                 {offset + 30, -124, 0},
                                 {offset - 30, -124, 0}};
        auto turn = [k](Vec3 p) {
            for (int r = 0; r < k; ++r) p = Vec3{p.y, -p.x, p.z};
            return p;
        };
        std::vector<Point> top, front;
        for (Vec3 p : box) {
            p = turn(p);
            top.push_back(cam.Project({p.x, p.y, 14}));
        }
        d.Shape(Polygon_Shape(top), Hex(0xd4e2ee));
        Vec3 a = turn({offset - 28, -124, 7}), b = turn({offset + 28, -124, 7});
        Vec3 c2 = turn({offset - 28, -136, 7}), d2 = turn({offset + 28, -136, 7});
        for (auto [u, v] : {std::pair{a, b}, std::pair{c2, d2}}) {
            Point pu = cam.Project(u), pv = cam.Project(v);
            d.Shape(Segment_Shape(pu.x, pu.y, pv.x, pv.y, 2.2f), Hex(0x36d2ff));
        }
    }
    for (const Ball& b : balls) {
        Point p = cam.Project(b.at), q = cam.Project(b.from);
        Point top = cam.Project({b.at.x, b.at.y, b.at.z + 10});
        float r = std::fabs(top.y - p.y) * 1.5f;  // a little larger than life
        Draw_Sphere(d, p, r, b.colour, q);
    }

    // Title.
    Font title(Font_Bold, 80.0f * K);
    const std::string name = "TINDRAL";
    float tracking = 10.0f * K;
    float tw = title.Measure(name, tracking) - tracking;
    float baseline = H * 0.255f;
    Mask ink(d.Width(), d.Height());
    title.Draw(ink, (W - tw) * 0.5f, baseline, name, tracking);
    Mask glow = ink;
    glow.Blur(18.0f * K);
    d.Paint(glow, Hex(0x3fb0ff), 0.9f);
    Mask outline = ink;
    outline.Blur(3.0f * K);
    outline.Gain(4.0f);
    d.Paint(outline, Hex(0x06101e));
    float cap = float(title.Cap_Height());
    d.Paint(ink, [&](float, float y) {
        float t = Clamp01((y - (baseline - cap)) / cap);
        Colour c = t < 0.5f ? Mix(Hex(0xffffff), Hex(0xbfe6ff), t * 2.0f)
                            : Mix(Hex(0x7cc4ff), Hex(0x2f7fd9), (t - 0.5f) * 2.0f);
        // A bright horizon line through the letters.
        float line = std::exp(-std::pow((t - 0.5f) / 0.03f, 2.0f));
        return Mix(c, Hex(0xffffff), line * 0.8f);
    });
    // Subtitle with rules either side.
    Font small(Font_Regular, 19.0f * K);
    const std::string sub = "FOUR-SIDED ARENA";
    float st = 5.0f * K;
    float sw = small.Measure(sub, st) - st;
    float sb = baseline + 40.0f * K;
    Mask sub_ink(d.Width(), d.Height());
    small.Draw(sub_ink, (W - sw) * 0.5f, sb, sub, st);
    d.Paint(sub_ink, Hex(0xa9cdf0));
    float rule_y = sb - float(small.Cap_Height()) * 0.5f;
    for (int side = 0; side < 2; ++side) {
        float xa = side == 0 ? (W - sw) * 0.5f - 14 * K : (W + sw) * 0.5f + 14 * K;
        float xb = side == 0 ? xa - 70 * K : xa + 70 * K;
        d.Shape(
            Segment_Shape(xa, rule_y, xb, rule_y, 1.1f * K),
            [&](float x, float) {
                return Hex(0xff8a1e, 1.0f - Clamp01(std::fabs(x - xa) / std::fabs(xb - xa)));
            },
            std::min(xa, xb), rule_y - 4 * K, std::max(xa, xb), rule_y + 4 * K);
    }
    // Version line and frame.
    Font tiny(Font_Regular, 11.0f * K);
    Mask version(d.Width(), d.Height());
    const std::string v = "VERSION 1.65";
    tiny.Draw(version, W - 20 * K - tiny.Measure(v, 2 * K), H - 16 * K, v, 2 * K);
    d.Paint(version, Hex(0x7f9ab5));
    d.Shape(
        [&](float x, float y) {
            return std::fabs(
                       Rounded_Box_Shape(5 * K, 5 * K, W - 5 * K, H - 5 * K, R - 5 * K)(x, y)) -
                   0.9f * K;
        },
        Hex(0x5cc0ff, 0.55f));
    return Png_File("menu_intro.png", Texture_From(d, 512, 512));
}

// ---- Footers ---------------------------------------------------------------------------

// The footer strip of the screen, x 0.3..99.7 and y 0.3..top, as a design canvas.
struct Strip {
    float top;  // in 2-D units
    float X(float unit_x) const { return (unit_x - 0.3f) * Unit_X; }
    float Y(float unit_y) const { return (top - unit_y) * Unit_Y; }
    int Width() const { return int(std::lround(99.4f * Unit_X)); }
    int Height() const { return int(std::lround((top - 0.3f) * Unit_Y)); }
};

Asset_File Footer_1_Texture() {
    Strip s{Footer_F};
    Canvas d(s.Width(), s.Height());
    float W = float(d.Width()), H = float(d.Height());
    float cx = W * 0.5f;
    // Perspective floor below the buttons: horizon at 12 units.
    float horizon = s.Y(12.5f);
    d.Shade([&](float x, float y) {
        if (y < horizon) return Colour{};
        float t = (y - horizon) / (H - horizon);
        Colour c = Hex(0x07111d, 0.92f * Smooth_Step(0.0f, 0.55f, t));
        // Lines running to a vanishing point above the centre, and rungs closing in.
        float vy = horizon - 60.0f;
        float angle = std::atan2(x - cx, y - vy);
        float spoke = std::fabs(angle * 14.0f - std::round(angle * 14.0f));
        float z = 1.0f / std::max(0.02f, t);
        float rung = std::fabs(z * 1.5f - std::round(z * 1.5f));
        float line = std::max(1.0f - Smooth_Step(0.0f, 0.06f, spoke),
                              (1.0f - Smooth_Step(0.0f, 0.08f * z * 0.5f, rung)) * 0.8f);
        float fade = Smooth_Step(0.0f, 0.5f, t) * (1.0f - 0.6f * std::fabs(x - cx) / cx);
        return Mix(c, Hex(0x2f8fe0, 0.9f), Clamp01(line * fade * 0.75f));
    });
    // Horizon glow.
    d.Shape(
        Segment_Shape(40, horizon, W - 40, horizon, 1.2f),
        [&](float x, float) {
            return Hex(0x7fd0ff, 0.9f * (1.0f - std::pow(std::fabs(x - cx) / cx, 2.0f)));
        },
        0, horizon - 4, W, horizon + 4);
    // Separator at the top of the footer, under the high-score tables.
    float sep = s.Y(Footer_F - 0.9f);
    d.Shape(
        Segment_Shape(60, sep, W - 60, sep, 0.9f),
        [&](float x, float) {
            return Hex(0x5cc0ff, 0.7f * (1.0f - std::pow(std::fabs(x - cx) / cx, 3.0f)));
        },
        0, sep - 3, W, sep + 3);
    // Emblem at the bottom centre, seen through the gap of the lower bar.
    Font font(Font_Bold, 21.0f);
    const std::string name = "TINDRAL";
    float tracking = 7.0f;
    float tw = font.Measure(name, tracking) - tracking;
    float baseline = s.Y(1.8f);
    Mask ink(d.Width(), d.Height());
    font.Draw(ink, cx - tw * 0.5f, baseline, name, tracking);
    Mask glow = ink;
    glow.Blur(6.0f);
    d.Paint(glow, Hex(0x3fb0ff), 0.9f);
    d.Paint(ink, Hex(0xe6f4ff));
    const Colour spheres[] = {Rgb(0.0f, 0.17f, 0.78f), Rgb(0.91f, 0.0f, 0.07f), Rgb(1, 1, 1),
                              Rgb(1, 1, 0.22f)};
    for (int i = 0; i < 4; ++i) {
        float x = cx + (float(i) - 1.5f) * 22.0f, y = s.Y(4.6f);
        Mask halo = d.Shape_Mask(Circle_Shape(x, y, 7.0f));
        halo.Blur(5.0f);
        d.Paint(halo, spheres[i], 0.8f);
        d.Shape(
            Circle_Shape(x, y, 5.0f),
            [&](float px, float py) {
                float l = Clamp01(1.0f - std::hypot(px - x + 1.5f, py - y + 1.5f) / 6.0f);
                return Mix(spheres[i], Hex(0xffffff), l * l * 0.8f);
            },
            x - 7, y - 7, x + 7, y + 7);
    }

    Canvas texture(512, 512);
    float mid = s.X(50.0f);
    // Left half: image's upper half turned half round; right half: lower half upright.
    Resample_Into(texture, d, Texture_Window{1.0f, 1.0f, 0.01f, 0.5f, 0, H, mid, 0});
    Resample_Into(texture, d, Texture_Window{0.01f, 0.0f, 1.0f, 0.5f, mid, H, W, 0});
    return Png_File("menu_footer_1.png", texture);
}

Asset_File Footer_2_Texture() {
    Strip s{Footer_G};
    Canvas d(s.Width(), s.Height());
    float W = float(d.Width()), H = float(d.Height());
    float left_end = s.X(40.1f), right_start = s.X(59.9f);
    float top = 16.0f, slant = H - top;
    for (int side = 0; side < 2; ++side) {
        std::vector<Point> wing = side == 0 ? std::vector<Point>{{-4, top},
                                                                 {left_end - slant, top},
                                                                 {left_end, H + 4},
                                                                 {-4, H + 4}}
                                            : std::vector<Point>{{right_start + slant, top},
                                                                 {W + 4, top},
                                                                 {W + 4, H + 4},
                                                                 {right_start, H + 4}};
        Distance_Function shape = Polygon_Shape(wing);
        Mask shadow = d.Shape_Mask(shape);
        shadow.Blur(6.0f);
        d.Paint(shadow.Shifted(0, -3), Hex(0x000000), 0.6f);
        d.Shape(shape, [&](float x, float y) {
            Colour c = Mix(Hex(0x2a3c50), Hex(0x0c141d), Clamp01((y - top) / (H - top)));
            return Rgb(c.r + 0.02f * Grain(x * 0.3f, y * 3.0f, 4), c.g, c.b);
        });
        // Bevel and light line along the top edge.
        Point a = wing[0], b = wing[1];
        d.Shape(Segment_Shape(a.x, top + 1.0f, b.x, top + 1.0f, 0.9f), Hex(0xb9d9f5, 0.9f), 0,
                top - 3, W, top + 5);
        d.Shape(Segment_Shape(a.x, top + 5.0f, b.x - 4, top + 5.0f, 1.0f), Hex(0x36d2ff, 0.9f), 0,
                top + 2, W, top + 8);
    }
    // Hints in the wings.
    Font font(Font_Bold, 13.0f);
    float baseline = top + (H - top) * 0.5f + float(font.Cap_Height()) * 0.5f + 2.0f;
    Mask ink(d.Width(), d.Height());
    const std::string left = "ARROW KEYS OR W A S D: MOVE";
    const std::string right = "F1 / F2: CAMERA    ESC: MENU";
    float tracking = 1.6f;
    font.Draw(ink, left_end - slant - 30.0f - font.Measure(left, tracking), baseline, left,
              tracking);
    font.Draw(ink, right_start + slant + 30.0f, baseline, right, tracking);
    d.Paint(ink, Hex(0xa9c2d8));

    Canvas texture(512, 256);
    Resample_Into(texture, d, Texture_Window{1.0f, 1.0f, 0.01f, 0.75f, 0, H, s.X(40.1f), 0});
    Resample_Into(texture, d, Texture_Window{0.01f, 0.0f, 1.0f, 0.25f, s.X(59.9f), H, W, 0});
    return Png_File("menu_footer_2.png", texture);
}

}  // namespace

std::vector<Asset_File> Make_Menu_Textures() {
    std::vector<Asset_File> files;
    files.push_back(Footer_1_Texture());
    files.push_back(Footer_2_Texture());
    files.push_back(Intro_Texture());
    Make_Button_Labels(files);
    Make_Block_Titles(files);
    return files;
}
