// Textures of the arena: the floor, the wall, the goal net, the launch arrow, and the
// textures that the paddle and sphere models name.
//
// The match display fades every vertex colour with its distance from the centre (a wall
// at 150 is drawn at about 40 % brightness, a corner at 15 %), so everything here is
// painted bright and with strong contrast.
#include <cmath>

#include "tools/tindral_assets/assets.h"

namespace {

// ---- Ground: 1024 x 1024 over the square -200..200 ---------------------------------------

constexpr int Ground_Size = 1024;
constexpr float Ground_Half = 200.0f;
constexpr float Ground_Scale = Ground_Size / (2 * Ground_Half);  // pixels per unit

float Px(float x) {
    return (x + Ground_Half) * Ground_Scale;
}
float Py(float y) {
    return (Ground_Half - y) * Ground_Scale;
}  // the image's top is +y

// The field and the four goal boxes, in world units (the same outline as the wall model).
std::vector<Point> Arena_Outline() {
    std::vector<Point> out;
    for (int k = 0; k < 4; ++k) {
        for (Point p : Arena_Quarter) {
            for (int r = 0; r < k; ++r) p = Point{p.y, -p.x};
            out.push_back(Point{Px(p.x), Py(p.y)});
        }
    }
    return out;
}

// The polyline moved `by` units towards the arena's centre, corners re-joined. The ends
// keep their positions along the wall.
std::vector<Point> Inset(const std::vector<Point>& line, float by) {
    auto normal = [&](const Point& a, const Point& b) {
        float dx = b.x - a.x, dy = b.y - a.y, l = std::hypot(dx, dy);
        Point n{-dy / l, dx / l};
        float mx = (a.x + b.x) * 0.5f, my = (a.y + b.y) * 0.5f;
        if (n.x * mx + n.y * my > 0) n = Point{-n.x, -n.y};  // towards the centre
        return n;
    };
    std::vector<Point> out;
    for (size_t i = 0; i < line.size(); ++i) {
        Point n0 = normal(line[i == 0 ? 0 : i - 1], line[i == 0 ? 1 : i]);
        Point n1 =
            normal(line[i + 1 < line.size() ? i : i - 1], line[i + 1 < line.size() ? i + 1 : i]);
        // Offset along the bisector so both neighbouring segments move by `by`.
        Point m{n0.x + n1.x, n0.y + n1.y};
        float dot = (m.x * n0.x + m.y * n0.y);
        out.push_back(Point{line[i].x + m.x * by / dot, line[i].y + m.y * by / dot});
    }
    return out;
}

Asset_File Ground_Texture() {
    Canvas c(Ground_Size, Ground_Size);
    const float S = Ground_Scale;
    c.Fill(Hex(0x080c12));

    // Floor: slate-blue tiles of 25 units, each a shade of its own, with dark joints.
    Distance_Function arena = Polygon_Shape(Arena_Outline());
    c.Shape(arena, [&](float x, float y) {
        float wx = x / S - Ground_Half, wy = Ground_Half - y / S;
        float r = std::hypot(wx, wy) / 150.0f;
        Colour base = Mix(Hex(0x4a6f93), Hex(0x2f4a66), Clamp01(r));
        int tx = int(std::floor(wx / 25.0f)), ty = int(std::floor(wy / 25.0f));
        float shade = 0.94f + 0.1f * Hash(tx, ty, 7) + 0.025f * Grain(x * 0.5f, y * 0.5f, 3);
        float jx = std::fabs(wx - 25.0f * std::round(wx / 25.0f));
        float jy = std::fabs(wy - 25.0f * std::round(wy / 25.0f));
        float joint = 1.0f - Smooth_Step(0.25f, 0.7f, std::min(jx, jy));
        shade *= 1.0f - 0.35f * joint;
        return Rgb(base.r * shade, base.g * shade, base.b * shade);
    });

    // Goal boxes (post, back corners, post): darker, with diagonal hatching.
    const Point post = Arena_Quarter[4], back = Arena_Quarter[5];
    for (int k = 0; k < 4; ++k) {
        std::vector<Point> box = {post, back, {-back.x, back.y}, {-post.x, post.y}};
        float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
        for (Point& p : box) {
            for (int r = 0; r < k; ++r) p = Point{p.y, -p.x};
            p = Point{Px(p.x), Py(p.y)};
            x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
            x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
        }
        c.Shape(
            Polygon_Shape(box),
            [&](float x, float y) {
                float stripe = std::fmod(std::fabs(x + y), 6.0f * S);
                float on = Smooth_Step(0.0f, 1.0f, stripe) *
                           (1.0f - Smooth_Step(2.0f * S, 2.0f * S + 1.0f, stripe));
                return Mix(Hex(0x1a2736), Hex(0x31465c), on);
            },
            x0, y0, x1, y1);
    }

    const Colour line = Hex(0xe4eef6, 0.85f);
    const Colour faint = Hex(0xcfe0ee, 0.35f);
    const Colour warm = Hex(0xffb030, 0.95f);
    float cx = Px(0), cy = Py(0);

    // Territory lines from the centre circle to the cut corners.
    for (int k = 0; k < 4; ++k) {
        float sx = (k & 1) ? 1.0f : -1.0f, sy = (k & 2) ? 1.0f : -1.0f;
        float d = 36.0f / std::sqrt(2.0f);
        c.Shape(Segment_Shape(Px(sx * d), Py(sy * d), Px(sx * 110), Py(sy * 110), 0.5f * S), faint);
    }
    // Centre circle, inner ring and a four-pointed star.
    c.Shape(Ring_Shape(cx, cy, 35 * S, 0.8f * S), line, cx - 37 * S, cy - 37 * S, cx + 37 * S,
            cy + 37 * S);
    c.Shape(Ring_Shape(cx, cy, 26 * S, 0.4f * S), faint, cx - 28 * S, cy - 28 * S, cx + 28 * S,
            cy + 28 * S);
    std::vector<Point> star;
    for (int i = 0; i < 8; ++i) {
        float angle = float(M_PI) * 0.25f * float(i);
        float r = (i % 2 == 0 ? 22.0f : 5.5f) * S;
        star.push_back(Point{cx + r * std::cos(angle), cy - r * std::sin(angle)});
    }
    c.Shape(
        Polygon_Shape(star),
        [&](float x, float y) {
            float r = std::hypot(x - cx, y - cy) / (22 * S);
            return Mix(Hex(0xffd27a, 0.95f), Hex(0xff8a1e, 0.75f), Clamp01(r));
        },
        cx - 23 * S, cy - 23 * S, cx + 23 * S, cy + 23 * S);
    c.Shape(Circle_Shape(cx, cy, 3.0f * S), Hex(0xffffff), cx - 4 * S, cy - 4 * S, cx + 4 * S,
            cy + 4 * S);

    for (int k = 0; k < 4; ++k) {
        auto turn = [k](Point p) {
            for (int r = 0; r < k; ++r) p = Point{p.y, -p.x};
            return p;
        };
        // Paddle rail on the line 130: a recessed channel from -90 to 90.
        Point r0 = turn({-90, -130}), r1 = turn({90, -130});
        float x0 = Px(r0.x), y0 = Py(r0.y), x1 = Px(r1.x), y1 = Py(r1.y);
        float bx0 = std::min(x0, x1) - 7 * S, bx1 = std::max(x0, x1) + 7 * S;
        float by0 = std::min(y0, y1) - 7 * S, by1 = std::max(y0, y1) + 7 * S;
        c.Shape(Segment_Shape(x0, y0, x1, y1, 6.5f * S), Hex(0x141e2a, 0.85f), bx0, by0, bx1, by1);
        c.Shape(Segment_Shape(x0, y0, x1, y1, 1.2f * S), Hex(0x56c8ff, 0.55f), bx0, by0, bx1, by1);
        c.Shape(
            [&](float x, float y) {
                return std::fabs(Segment_Shape(x0, y0, x1, y1, 6.5f * S)(x, y)) - 0.35f * S;
            },
            faint, bx0, by0, bx1, by1);
        // Centre mark of the rail.
        Point m0 = turn({0, -124}), m1 = turn({0, -136});
        c.Shape(Segment_Shape(Px(m0.x), Py(m0.y), Px(m1.x), Py(m1.y), 0.5f * S), faint, bx0, by0,
                bx1, by1);
        // Goal line between the posts.
        Point g0 = turn({-post.x, post.y}), g1 = turn(post);
        c.Shape(Segment_Shape(Px(g0.x), Py(g0.y), Px(g1.x), Py(g1.y), 1.3f * S), warm);
        // The field's edge, a thin line just inside the wall.
        const Point* q = Arena_Quarter;
        std::vector<Point> edge = Inset({q[4], q[3], q[2], q[1], q[0]}, 4.0f);
        for (size_t i = 0; i + 1 < edge.size(); ++i) {
            Point a = turn(edge[i]), b = turn(edge[i + 1]);
            c.Shape(Segment_Shape(Px(a.x), Py(a.y), Px(b.x), Py(b.y), 0.45f * S), line);
        }
    }
    return Png_File("ground.png", c);
}

// ---- Wall: 256 x 256 for a tile of 50 x 50 units, image top = top of the wall ----------

Asset_File Wall_Texture() {
    constexpr int N = 256;
    Canvas c(N, N);
    c.Shade([](float x, float y) {
        float v = y / N;
        Colour body = Mix(Hex(0xa9c0d6), Hex(0x5f7a96), v);
        float brushed = 0.03f * Grain(x * 0.25f, y * 4.0f, 11);
        return Rgb(body.r + brushed, body.g + brushed, body.b + brushed);
    });
    // Panel joints every half tile, with a highlight on their right.
    for (float x : {0.0f, 128.0f, 256.0f}) {
        c.Shape(Rounded_Box_Shape(x - 1.5f, 16, x + 1.5f, 214, 0.5f), Hex(0x223244), x - 3, 16,
                x + 3, 214);
        c.Shape(Rounded_Box_Shape(x + 1.5f, 16, x + 3.0f, 214, 0.3f), Hex(0xdbe8f3, 0.6f), x, 16,
                x + 4, 214);
    }
    // Top rim.
    c.Shape(
        Rounded_Box_Shape(-4, 0, N + 4, 14, 0),
        [](float, float y) { return Mix(Hex(0xf4f9fc), Hex(0xa8bccf), y / 14.0f); }, 0, 0, N, 15);
    c.Shape(Rounded_Box_Shape(-4, 14, N + 4, 17, 0), Hex(0x1b2836), 0, 13, N, 18);
    for (int i = 0; i < 8; ++i) {
        float x = 16.0f + 32.0f * float(i);
        c.Shape(Circle_Shape(x, 7, 2.6f), Hex(0x6d8499), x - 4, 3, x + 4, 11);
        c.Shape(Circle_Shape(x - 0.7f, 6.3f, 1.1f), Hex(0xffffff, 0.8f), x - 3, 3, x + 3, 10);
    }
    // Light strip.
    c.Shape(Rounded_Box_Shape(-4, 58, N + 4, 68, 0), Hex(0x1d4a66), 0, 56, N, 70);
    c.Shape(Rounded_Box_Shape(-4, 61, N + 4, 65, 0), Hex(0x8ff0ff), 0, 59, N, 67);
    c.Shape(Rounded_Box_Shape(-4, 62.3f, N + 4, 63.7f, 0), Hex(0xffffff), 0, 60, N, 66);
    // Kick plate with hazard stripes (32-pixel period, so the tile repeats seamlessly).
    c.Shape(
        Rounded_Box_Shape(-4, 214, N + 4, N + 4, 0),
        [](float x, float y) {
            float phase = std::fmod(x + (N - y) + 512.0f, 32.0f);
            bool yellow = phase < 16.0f;
            Colour s = yellow ? Hex(0xf2c230) : Hex(0x232b33);
            float edge = std::min(std::fabs(phase - 16.0f), std::min(phase, 32.0f - phase));
            return Mix(Hex(0x232b33), s, Smooth_Step(0.0f, 1.0f, edge));
        },
        0, 212, N, N);
    c.Shape(Rounded_Box_Shape(-4, 212, N + 4, 216, 0), Hex(0x101820), 0, 210, N, 218);
    return Png_File("wall.png", c);
}

// ---- Goal net: 256 x 256 for 40 units along the wall and 50 up -------------------------

Asset_File Net_Texture() {
    constexpr int N = 256;
    constexpr float Cell_X = 32.0f, Cell_Y = 25.6f;  // five units each way
    Canvas c(N, N);
    // Faint tint between the cords, so the goal reads as a volume.
    c.Fill(Hex(0x9fb6c8, 0.10f));
    Mask cords(N, N);
    for (int y = 0; y < N; ++y) {
        for (int x = 0; x < N; ++x) {
            float px = float(x) + 0.5f, py = float(y) + 0.5f;
            // Distances to the two families of diagonal cords, in pixels.
            float a = px / Cell_X + py / Cell_Y, b = px / Cell_X - py / Cell_Y;
            float da = std::fabs(a - std::round(a)), db = std::fabs(b - std::round(b));
            float scale = 1.0f / std::hypot(1.0f / Cell_X, 1.0f / Cell_Y);
            float d = std::min(da, db) * scale;
            cords.At(x, y) = Clamp01(1.3f - d);
        }
    }
    Mask shadow = cords;
    shadow.Blur(2.0f);
    c.Paint(shadow, Hex(0x000000), 0.35f);
    c.Paint(
        cords, [](float, float y) { return Mix(Hex(0xffffff), Hex(0xc8d6e2), y / N); }, 0.95f);
    // Crossbar along the top, red and white, and a white ground frame.
    c.Shape(
        Rounded_Box_Shape(-4, 0, N + 4, 14, 0),
        [](float x, float y) {
            float phase = std::fmod(x + 256.0f, 64.0f);
            Colour band = phase < 32.0f ? Hex(0xe8283a) : Hex(0xf7f7f7);
            return Mix(band, Hex(0x8a1620), Smooth_Step(9.0f, 14.0f, y) * 0.6f);
        },
        0, 0, N, 14);
    c.Shape(Rounded_Box_Shape(-4, 249, N + 4, N + 4, 0), Hex(0xf0f4f7), 0, 248, N, N);
    return Png_File("wall_net.png", c);
}

// ---- Launch arrow: 256 x 256, the sphere at the bottom centre, pointing up ---------------

Asset_File Arrow_Texture() {
    constexpr int N = 256;
    Canvas c(N, N);
    std::vector<Point> arrow = {{128, 10},  {190, 84}, {148, 84}, {148, 182},
                                {108, 182}, {108, 84}, {66, 84}};
    Distance_Function shape = Polygon_Shape(arrow);
    Mask glow = c.Shape_Mask([&](float x, float y) { return shape(x, y) - 4.0f; });
    glow.Blur(10.0f);
    c.Paint(glow, Hex(0xffffff), 0.5f);
    c.Shape(shape, [](float, float y) {
        // Solid at the head, fading towards the sphere.
        float a = 1.0f - 0.55f * Smooth_Step(90.0f, 182.0f, y);
        return Rgb(1, 1, 1, a);
    });
    // Chevrons in the shaft.
    for (int i = 0; i < 3; ++i) {
        float y = 110.0f + 24.0f * float(i);
        std::vector<Point> chevron = {{128, y - 9}, {144, y + 3}, {144, y + 9},
                                      {128, y - 3}, {112, y + 9}, {112, y + 3}};
        c.Shape(Polygon_Shape(chevron), Rgb(0.55f, 0.55f, 0.55f, 0.9f));
    }
    // Part of a ring around the sphere.
    c.Shape(Ring_Shape(128, 256, 66, 3.0f), Rgb(1, 1, 1, 0.7f));
    return Png_File("arrow.png", c);
}

// ---- Sphere: 256 x 128, longitude along x, north pole at the top -------------------------

Asset_File Sphere_Texture() {
    constexpr int W = 256, H = 128;
    Canvas c(W, H);
    c.Shade([](float x, float y) {
        int panel = int(x / 32.0f);
        float lat = 90.0f - 180.0f * y / H;  // degrees
        Colour colour = panel % 2 == 0 ? Hex(0xffffff) : Hex(0x9a9a9a);
        // A dark band round the equator and grey caps at the poles.
        float band = 1.0f - Smooth_Step(9.0f, 10.5f, std::fabs(lat));
        colour = Mix(colour, Hex(0x2a2a2a), band);
        float rim = (1.0f - Smooth_Step(0.8f, 1.8f, std::fabs(std::fabs(lat) - 10.0f)));
        colour = Mix(colour, Hex(0xffffff), rim);
        float cap = Smooth_Step(68.0f, 70.0f, std::fabs(lat));
        colour = Mix(colour, Hex(0x6a6a6a), cap);
        // Thin seams between the panels.
        float seam = std::fabs(x - 32.0f * std::round(x / 32.0f));
        colour = Mix(Hex(0x444444), colour, Smooth_Step(0.3f, 1.2f, seam) * (1 - band) + band);
        return colour;
    });
    // A lamp on every panel of the band: the turning is easy to follow.
    for (int i = 0; i < 8; ++i) {
        float x = 16.0f + 32.0f * float(i);
        c.Shape(Circle_Shape(x, H * 0.5f, 2.6f), Hex(0xffffff), x - 4, H * 0.5f - 4, x + 4,
                H * 0.5f + 4);
    }
    return Png_File("sphere.png", c);
}

// ---- Paddle: 256 x 256, sides in the upper half (top edge first), lid in the lower half --

Asset_File Paddle_Texture() {
    constexpr int N = 256;
    Canvas c(N, N);
    // Sides: rows 0..127 run from the top edge of the paddle down to the floor.
    c.Shape(
        Rounded_Box_Shape(-4, 0, N + 4, 128, 0),
        [](float x, float y) {
            Colour body = Mix(Hex(0xc7d3de), Hex(0x67798b), y / 128.0f);
            float brushed = 0.025f * Grain(x * 0.2f, y * 3.0f, 5);
            body = Rgb(body.r + brushed, body.g + brushed, body.b + brushed);
            float glow = std::exp(-std::pow((y - 62.0f) / 7.0f, 2.0f));
            float core = std::exp(-std::pow((y - 62.0f) / 2.5f, 2.0f));
            body = Mix(body, Hex(0x36d2ff), Clamp01(glow));
            return Mix(body, Hex(0xffffff), Clamp01(core));
        },
        0, 0, N, 128);
    c.Shape(Rounded_Box_Shape(-4, 0, N + 4, 8, 0), Hex(0xf5f9fc), 0, 0, N, 9);
    c.Shape(Rounded_Box_Shape(-4, 118, N + 4, 128, 0), Hex(0x2c3845), 0, 116, N, 128);
    // Lid: rows 128..255 cover the whole top, x along the paddle.
    c.Shape(
        Rounded_Box_Shape(-4, 128, N + 4, N + 4, 0),
        [](float x, float y) {
            Colour plate = Mix(Hex(0xdfe7ee), Hex(0xaab8c6), (y - 128.0f) / 128.0f);
            float brushed = 0.03f * Grain(x * 0.15f, y * 2.5f, 9);
            return Rgb(plate.r + brushed, plate.g + brushed, plate.b + brushed);
        },
        0, 128, N, N);
    c.Shape(Rounded_Box_Shape(20, 187, 236, 197, 5), Hex(0x2c3845), 16, 184, 240, 200);
    c.Shape(Rounded_Box_Shape(24, 190, 232, 194, 2), Hex(0x55dcff), 20, 188, 236, 196);
    return Png_File("paddle.png", c);
}

}  // namespace

std::vector<Asset_File> Make_Arena_Textures() {
    return {Arrow_Texture(), Ground_Texture(), Wall_Texture(),
            Net_Texture(),   Sphere_Texture(), Paddle_Texture()};
}
