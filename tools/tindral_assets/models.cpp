// The four arena models, written as version-0.5 model text files.
//
// Arena plan (one unit per model unit, the arena centre at the origin, Z up):
//   - paddles slide on the lines 130 with their centres within 60 of the middle (a frame
//     of up to 0.1 s may carry one 6.5 further before the clamp pulls it back), so a
//     paddle 60 long and 12 deep sweeps the band 124..136 out to 96.5 from the middle;
//   - no wall comes within 22 of that band, more than a sphere's width. A moving paddle
//     pushes a sphere out of its overlap along the contact normal, leaving the centre at
//     most 20 (twice the radius) from the contact, so no push can carry a centre across a
//     wall. Where a wall stood closer, as the old wall on the line 150 did 14 behind the
//     paddle, a paddle end sliding onto a sphere in the gap pushed it through the wall
//     and out of the arena. So the walls stand on the lines 158, and a sphere can pass
//     behind a paddle between it and the wall;
//   - each corner has a wedge with its tip at (125, 125) towards the middle: a sphere
//     running along a wall into a corner leaves it towards the middle, where a flat
//     45-degree cut would send it along the next wall, round and round the field out of
//     every paddle's reach;
//   - each side has a goal mouth 120 wide (posts at +-60 on the wall line) narrowing to a
//     back 70 wide on the line 190, where the score digits are painted. The back corners
//     lie on the goal-closing diagonal: the closing animation moves them 5 units per
//     second in each coordinate towards (+-20, 175) and stops when either coordinate gets
//     there, so from (+-35, 190) both arrive together and the mouth closes fully.
//
// "wall.dat" is one ring of wall quads 50 high: floor points 0..48 (point 48 repeats
// point 0 and closes the ring) and top points 49..97, point i + 49 straight above point i.
// The ring runs clockwise as seen from above in four quarters of 12 points, one per side
// (Bottom, Left, Top, Right), the last two of a quarter being the back corners of that
// side's goal: 10/11 Bottom, 22/23 Left, 34/35 Top, 46/47 Right. The goal-closing
// animation moves exactly those corners (and the points above them), so their numbers
// are fixed. The back of each goal is the goal sensor (key 2): a sphere that touches it
// has its centre at 180 or beyond (165 once closed), past the goal line. Every other wall
// quad, the goal's sides included, is key 1.
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/tindral_assets/assets.h"

const Point Arena_Quarter[Arena_Quarter_Corners] = {
    {158.0f, -60.0f}, {158.0f, -110.0f}, {125.0f, -125.0f}, {110.0f, -158.0f},
    {60.0f, -158.0f}, {35.0f, -190.0f},  {-35.0f, -190.0f},
};

namespace {

struct Vertex {
    float x, y, z;
};

struct Face {
    int texture;  // index into the model's texture list, -1 for none
    int key;
    int corner[3];
    float uv[3][2];
};

struct Model_Data {
    std::vector<std::string> textures;
    std::vector<Vertex> points;
    std::vector<Face> faces;
};

std::string Format_Model(const Model_Data& m) {
    std::string out = "0.5\n";
    char line[256];
    std::snprintf(line, sizeof line, "%d %d %d\n", int(m.textures.size()), int(m.points.size()),
                  int(m.faces.size()));
    out += line;
    for (const std::string& t : m.textures) out += t + "\n";
    for (size_t i = 0; i < m.points.size(); ++i) {
        const Vertex& p = m.points[i];
        // "+ 0.0f" keeps a negative zero from being written as "-0.000".
        std::snprintf(line, sizeof line, "%d %.3f %.3f %.3f\n", int(i), p.x + 0.0f, p.y + 0.0f,
                      p.z + 0.0f);
        out += line;
    }
    for (size_t i = 0; i < m.faces.size(); ++i) {
        const Face& f = m.faces[i];
        std::snprintf(line, sizeof line, "%d %d %d %d %d %d %.4f %.4f %.4f %.4f %.4f %.4f\n",
                      int(i), f.texture, f.key, f.corner[0], f.corner[1], f.corner[2],
                      f.uv[0][0] + 0.0f, f.uv[0][1] + 0.0f, f.uv[1][0] + 0.0f, f.uv[1][1] + 0.0f,
                      f.uv[2][0] + 0.0f, f.uv[2][1] + 0.0f);
        out += line;
    }
    return out;
}

Asset_File Model_File(const std::string& name, const Model_Data& m) {
    std::string text = Format_Model(m);
    return Asset_File{name, std::vector<std::uint8_t>(text.begin(), text.end())};
}

// ---- Ground ----------------------------------------------------------------------------

// A grid rather than one quad: the match display fades vertex colours with distance from
// the centre, and that fade needs vertices to show as a round pool of light.
Model_Data Ground() {
    constexpr int Cells = 20;
    constexpr float Half = 200.0f, Step = 2 * Half / Cells;
    Model_Data m;
    m.textures = {"ground.png"};
    for (int j = 0; j <= Cells; ++j) {
        for (int i = 0; i <= Cells; ++i) {
            m.points.push_back(Vertex{-Half + Step * float(i), -Half + Step * float(j), 0.0f});
        }
    }
    auto uv = [&](int index, float out[2]) {
        out[0] = (m.points[size_t(index)].x + Half) / (2 * Half);
        out[1] = (m.points[size_t(index)].y + Half) / (2 * Half);
    };
    for (int j = 0; j < Cells; ++j) {
        for (int i = 0; i < Cells; ++i) {
            int a = j * (Cells + 1) + i, b = a + 1, c = a + Cells + 2, d = a + Cells + 1;
            // Anticlockwise from above: the normals point up.
            for (const auto& tri : {std::array<int, 3>{a, b, c}, std::array<int, 3>{a, c, d}}) {
                Face f{0, 0, {tri[0], tri[1], tri[2]}, {}};
                for (int k = 0; k < 3; ++k) uv(tri[size_t(k)], f.uv[k]);
                m.faces.push_back(f);
            }
        }
    }
    return m;
}

// ---- Wall ------------------------------------------------------------------------------

constexpr float Wall_Height = 50.0f;
constexpr int Ring = 49;

// The Bottom quarter of the ring (points 0..11): the plan's corners, with the straight
// walls cut into equal pieces (four along the Right wall, three along the Bottom wall)
// for the texture and the distance fade. The other quarters are it turned by -90
// degrees per quarter.
std::vector<Vertex> Bottom_Quarter() {
    std::vector<Vertex> out;
    auto along = [&](Point a, Point b, int pieces) {
        for (int i = 0; i < pieces; ++i) {
            float t = float(i) / float(pieces);
            out.push_back(Vertex{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, 0});
        }
    };
    const Point* q = Arena_Quarter;
    along(q[0], q[1], 4);                      // 0..3
    out.push_back(Vertex{q[1].x, q[1].y, 0});  // 4
    out.push_back(Vertex{q[2].x, q[2].y, 0});  // 5: the wedge's tip
    along(q[3], q[4], 3);                      // 6..8
    for (int i = 4; i < Arena_Quarter_Corners; ++i) {
        out.push_back(Vertex{q[i].x, q[i].y, 0});  // 9: post; 10, 11: back corners
    }
    return out;
}

Model_Data Wall() {
    Model_Data m;
    m.textures = {"wall.png", "wall_net.png"};
    const std::vector<Vertex> quarter = Bottom_Quarter();
    for (int k = 0; k < 4; ++k) {
        for (const Vertex& v : quarter) {
            // (x, y) turned by -90 degrees k times: (x, y) -> (y, -x).
            float x = v.x, y = v.y;
            for (int r = 0; r < k; ++r) {
                float t = x;
                x = y;
                y = -t;
            }
            m.points.push_back(Vertex{std::round(x * 1000) / 1000, std::round(y * 1000) / 1000, 0});
        }
    }
    m.points.push_back(m.points[0]);  // 48 closes the ring
    for (int i = 0; i < Ring; ++i) {
        Vertex top = m.points[size_t(i)];
        top.z = Wall_Height;
        m.points.push_back(top);
    }

    float along = 0;  // distance along the ring, for the wall texture (one tile per 50)
    for (int a = 0; a < Ring - 1; ++a) {
        int b = a + 1;
        int in_quarter = a % 12;
        bool back = in_quarter == 10;                          // goal sensor
        bool goal_side = in_quarter == 9 || in_quarter == 11;  // goal box sides
        const Vertex& p = m.points[size_t(a)];
        const Vertex& q = m.points[size_t(b)];
        float length = std::hypot(q.x - p.x, q.y - p.y);
        int texture = back || goal_side ? 1 : 0;
        int key = back ? 2 : 1;
        // The net tiles every 40 units and starts afresh on each face of the goal box.
        float u0 = texture == 1 ? 0.0f : along / 50.0f;
        float u1 = texture == 1 ? length / 40.0f : (along + length) / 50.0f;
        int at = a + Ring, bt = b + Ring;
        m.faces.push_back(Face{texture, key, {a, b, bt}, {{u0, 0}, {u1, 0}, {u1, 1}}});
        m.faces.push_back(Face{texture, key, {a, bt, at}, {{u0, 0}, {u1, 1}, {u0, 1}}});
        if (texture == 0) along += length;
    }
    return m;
}

// ---- Paddle ----------------------------------------------------------------------------

// A bar 60 long and 12 deep with rounded ends, 14 high, lying along x (the Left and Right
// paddles are turned by the set-up). Its floor outline is what spheres bounce off. It has
// no bottom face: a floor triangle's inner edges would count as collision edges too.
Model_Data Paddle() {
    constexpr float Straight = 24.0f, End_Radius = 6.0f, Height = 14.0f, Bevel = 1.0f;
    constexpr int Cap_Steps = 6;
    Model_Data m;
    m.textures = {"paddle.png"};
    std::vector<Vertex> outline;  // anticlockwise from above
    for (int side = 0; side < 2; ++side) {
        float cx = side == 0 ? Straight : -Straight;
        for (int s = 0; s <= Cap_Steps; ++s) {
            float angle = float(M_PI) * (-0.5f + float(s) / Cap_Steps + float(side));
            outline.push_back(
                Vertex{cx + End_Radius * std::cos(angle), End_Radius * std::sin(angle), 0});
        }
    }
    int n = int(outline.size());
    for (const Vertex& v : outline) m.points.push_back(v);
    for (const Vertex& v : outline) {
        // The top edge is pulled in a little: a bevel that catches the light.
        float cx = v.x > 0 ? std::min(v.x, Straight) : std::max(v.x, -Straight);
        float dx = v.x - cx, dy = v.y;
        float r = std::hypot(dx, dy);
        float k = r > 0 ? (r - Bevel) / r : 1.0f;
        m.points.push_back(Vertex{cx + dx * k, dy * k, Height});
    }
    int centre = int(m.points.size());
    m.points.push_back(Vertex{0, 0, Height});

    // Sides: the upper half of the texture, once around; top: the lower half, laid flat.
    std::vector<float> u(size_t(n) + 1, 0.0f);
    float perimeter = 0;
    for (int i = 0; i < n; ++i) {
        const Vertex& p = outline[size_t(i)];
        const Vertex& q = outline[size_t((i + 1) % n)];
        perimeter += std::hypot(q.x - p.x, q.y - p.y);
        u[size_t(i) + 1] = perimeter;
    }
    for (int i = 0; i < n; ++i) {
        int j = (i + 1) % n;
        float u0 = u[size_t(i)] / perimeter, u1 = u[size_t(i) + 1] / perimeter;
        m.faces.push_back(Face{0, 0, {i, j, j + n}, {{u0, 0.5f}, {u1, 0.5f}, {u1, 1}}});
        m.faces.push_back(Face{0, 0, {i, j + n, i + n}, {{u0, 0.5f}, {u1, 1}, {u0, 1}}});
    }
    auto flat = [&](int index, float out[2]) {
        const Vertex& v = m.points[size_t(index)];
        out[0] = (v.x + 30.0f) / 60.0f;
        out[1] = 0.5f * (v.y + 6.0f) / 12.0f;
    };
    for (int i = 0; i < n; ++i) {
        int j = (i + 1) % n;
        Face f{0, 0, {centre, i + n, j + n}, {}};
        for (int k = 0; k < 3; ++k) flat(f.corner[k], f.uv[k]);
        m.faces.push_back(f);
    }
    return m;
}

// ---- Sphere ----------------------------------------------------------------------------

// A globe of radius 10 around its origin, mapped with longitude along u and latitude
// along v, so that the panels of "sphere.png" show it rolling.
Model_Data Sphere() {
    constexpr float Radius = 10.0f;
    constexpr int Bands = 10, Segments = 20;
    Model_Data m;
    m.textures = {"sphere.png"};
    m.points.push_back(Vertex{0, 0, Radius});  // 0: north pole
    for (int b = 1; b < Bands; ++b) {
        float lat = float(M_PI) * (0.5f - float(b) / Bands);
        for (int s = 0; s < Segments; ++s) {
            float lon = 2.0f * float(M_PI) * float(s) / Segments;
            m.points.push_back(Vertex{Radius * std::cos(lat) * std::cos(lon),
                                      Radius * std::cos(lat) * std::sin(lon),
                                      Radius * std::sin(lat)});
        }
    }
    int south = int(m.points.size());
    m.points.push_back(Vertex{0, 0, -Radius});
    auto index = [&](int band, int s) { return 1 + (band - 1) * Segments + (s % Segments); };
    auto v_of = [&](int band) { return 1.0f - float(band) / Bands; };
    for (int s = 0; s < Segments; ++s) {
        float u0 = float(s) / Segments, u1 = float(s + 1) / Segments, um = (u0 + u1) * 0.5f;
        // Seen from outside every triangle runs anticlockwise, so normals point out.
        m.faces.push_back(
            Face{0, 0, {0, index(1, s), index(1, s + 1)}, {{um, 1}, {u0, v_of(1)}, {u1, v_of(1)}}});
        for (int b = 1; b < Bands - 1; ++b) {
            int a = index(b, s), c = index(b + 1, s), d = index(b + 1, s + 1), e = index(b, s + 1);
            m.faces.push_back(
                Face{0, 0, {a, c, d}, {{u0, v_of(b)}, {u0, v_of(b + 1)}, {u1, v_of(b + 1)}}});
            m.faces.push_back(
                Face{0, 0, {a, d, e}, {{u0, v_of(b)}, {u1, v_of(b + 1)}, {u1, v_of(b)}}});
        }
        m.faces.push_back(Face{0,
                               0,
                               {south, index(Bands - 1, s + 1), index(Bands - 1, s)},
                               {{um, 0}, {u1, v_of(Bands - 1)}, {u0, v_of(Bands - 1)}}});
    }
    return m;
}

}  // namespace

std::vector<Asset_File> Make_Models() {
    return {Model_File("ground.dat", Ground()), Model_File("wall.dat", Wall()),
            Model_File("paddle.dat", Paddle()), Model_File("sphere.dat", Sphere())};
}
