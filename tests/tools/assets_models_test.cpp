// The generated models, read from the archive the build made, against the model format
// and against what the arena rules assume (goal line 150, paddles on 130 within 60 of the
// middle, spheres of radius 10, the goal-closing table's vertex numbers).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "tests/tools/assets_test_support.h"

namespace {

struct Segment {
    Test_Vertex a, b;
};

Test_Model Load(const std::string& name) {
    Test_Model model;
    std::string error;
    EXPECT_TRUE(Parse_Model(Archive_Member("models.pak", name), &model, &error))
        << name << ": " << error;
    return model;
}

// The floor-level edges of the faces with `key` (-1 any), in the order the collision
// test walks them: both ends at z <= 0.1.
std::vector<Segment> Floor_Edges(const Test_Model& m, int key) {
    std::vector<Segment> out;
    const int pairs[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    for (const Test_Face& f : m.faces) {
        if (key != -1 && f.key != key) continue;
        for (const auto& p : pairs) {
            const Test_Vertex& a = m.points[size_t(f.corner[p[0]])];
            const Test_Vertex& b = m.points[size_t(f.corner[p[1]])];
            if (a.z <= 0.1f && b.z <= 0.1f) out.push_back(Segment{a, b});
        }
    }
    return out;
}

float Distance_To(const Segment& s, float x, float y, float* cx = nullptr, float* cy = nullptr) {
    float dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
    float len2 = dx * dx + dy * dy;
    float t =
        len2 > 0 ? std::clamp(((x - s.a.x) * dx + (y - s.a.y) * dy) / len2, 0.0f, 1.0f) : 0.0f;
    float px = s.a.x + t * dx, py = s.a.y + t * dy;
    if (cx) *cx = px, *cy = py;
    return std::hypot(x - px, y - py);
}

// Positions rounded to a millimetre, so that points repeated at the same place meet.
using Key = std::pair<long, long>;
Key Key_Of(const Test_Vertex& v) {
    return {std::lround(v.x * 1000), std::lround(v.y * 1000)};
}

// Degree of every position in the graph of the segments.
std::map<Key, int> Degrees(const std::vector<Segment>& edges) {
    std::map<Key, int> degree;
    for (const Segment& s : edges) {
        ++degree[Key_Of(s.a)];
        ++degree[Key_Of(s.b)];
    }
    return degree;
}

bool Inside_Loop(const std::vector<Segment>& loop, float x, float y) {
    bool inside = false;
    for (const Segment& s : loop) {
        if ((s.a.y > y) != (s.b.y > y) &&
            x < s.a.x + (y - s.a.y) * (s.b.x - s.a.x) / (s.b.y - s.a.y)) {
            inside = !inside;
        }
    }
    return inside;
}

TEST(Assets_Models, EveryModelParsesAndNamesTexturesThatTheArchiveHolds) {
    std::vector<std::string> textures = Archive_Names("textures.pak");
    for (const char* name : {"ground.dat", "wall.dat", "paddle.dat", "sphere.dat"}) {
        Test_Model m = Load(name);
        EXPECT_FLOAT_EQ(m.version, 0.5f) << name;
        EXPECT_FALSE(m.faces.empty()) << name;
        for (const std::string& t : m.textures) {
            EXPECT_NE(std::find(textures.begin(), textures.end(), t), textures.end())
                << name << " names " << t;
        }
        for (const Test_Face& f : m.faces)
            EXPECT_GE(f.texture, 0) << name << ": an untextured face";
    }
}

TEST(Assets_Models, WallIsAFloorRingOf49WithTheTopRing50Above) {
    Test_Model wall = Load("wall.dat");
    ASSERT_EQ(wall.points.size(), 98u);
    for (size_t i = 0; i < 49; ++i) {
        EXPECT_FLOAT_EQ(wall.points[i].z, 0.0f) << i;
        EXPECT_FLOAT_EQ(wall.points[i + 49].x, wall.points[i].x) << i;
        EXPECT_FLOAT_EQ(wall.points[i + 49].y, wall.points[i].y) << i;
        EXPECT_FLOAT_EQ(wall.points[i + 49].z, 50.0f) << i;
    }
}

// The goal-closing table: the reference vertex must satisfy the side's run condition, and
// its partner must be its mirror image as the table writes both.
TEST(Assets_Models, GoalMouthCornersAreWhereTheClosingTableMovesThem) {
    Test_Model wall = Load("wall.dat");
    ASSERT_EQ(wall.points.size(), 98u);
    struct Mouth {
        const char* side;
        int reference, partner;
        float sx, sy;  // reference x, y taken with these signs must exceed...
        float lx, ly;  // ...these limits
        float px, py;  // partner = (px * x, py * y) of the reference
    };
    const Mouth mouths[] = {
        {"Top", 35, 34, 1, 1, 20, 175, -1, 1},
        {"Bottom", 10, 11, 1, -1, 20, 175, -1, 1},
        {"Right", 46, 47, 1, 1, 175, 20, 1, -1},
        {"Left", 23, 22, -1, 1, 175, 20, 1, -1},
    };
    for (const Mouth& m : mouths) {
        const Test_Vertex& p = wall.points[size_t(m.reference)];
        const Test_Vertex& q = wall.points[size_t(m.partner)];
        EXPECT_GT(p.x * m.sx, m.lx) << m.side;
        EXPECT_GT(p.y * m.sy, m.ly) << m.side;
        EXPECT_FLOAT_EQ(q.x, m.px * p.x) << m.side;
        EXPECT_FLOAT_EQ(q.y, m.py * p.y) << m.side;
        // The back of the goal stands near 190, where the score digits are painted, and
        // holds two-digit scores (64 units wide).
        float depth = std::max(std::fabs(p.x), std::fabs(p.y));
        float across = std::min(std::fabs(p.x), std::fabs(p.y));
        EXPECT_NEAR(depth, 190.0f, 1.0f) << m.side;
        EXPECT_GE(2 * across, 64.0f) << m.side;
        // The animation moves both coordinates at the same rate and ends when either
        // reaches its limit: only a corner as far from one limit as from the other closes
        // fully (one at (60, 190) stopped at (45, 175)).
        EXPECT_FLOAT_EQ(across - 20.0f, depth - 175.0f) << m.side;
    }
}

// Walls and sensors together close the field; the walls alone leave exactly the four goal
// backs open, and those are the sensors.
TEST(Assets_Models, FloorEdgesCloseTheFieldWithSensorsAcrossTheGoals) {
    Test_Model wall = Load("wall.dat");
    std::vector<Segment> walls = Floor_Edges(wall, 1), sensors = Floor_Edges(wall, 2);
    std::vector<Segment> all = walls;
    all.insert(all.end(), sensors.begin(), sensors.end());
    ASSERT_EQ(sensors.size(), 4u);

    for (const auto& [at, degree] : Degrees(all)) {
        EXPECT_EQ(degree, 2) << "open or branching chain at (" << at.first / 1000.0 << ", "
                             << at.second / 1000.0 << ")";
    }
    // One loop, not several: walk it from any edge.
    std::multimap<Key, Key> next;
    for (const Segment& s : all) {
        next.emplace(Key_Of(s.a), Key_Of(s.b));
        next.emplace(Key_Of(s.b), Key_Of(s.a));
    }
    Key start = Key_Of(all[0].a), previous = start, at = Key_Of(all[0].b);
    size_t steps = 1;
    while (at != start && steps <= all.size()) {
        auto range = next.equal_range(at);
        Key go =
            range.first->second == previous ? std::next(range.first)->second : range.first->second;
        previous = at;
        at = go;
        ++steps;
    }
    EXPECT_EQ(steps, all.size());
    EXPECT_TRUE(Inside_Loop(all, 0, 0));

    // The walls' loose ends are the eight goal-back corners, and each sensor joins two.
    std::set<Key> loose;
    for (const auto& [at_key, degree] : Degrees(walls)) {
        if (degree == 1) loose.insert(at_key);
    }
    std::set<Key> sensor_ends;
    for (const Segment& s : sensors) {
        sensor_ends.insert(Key_Of(s.a));
        sensor_ends.insert(Key_Of(s.b));
    }
    EXPECT_EQ(loose, sensor_ends);
    for (int corner : {10, 11, 22, 23, 34, 35, 46, 47}) {
        EXPECT_EQ(sensor_ends.count(Key_Of(wall.points[size_t(corner)])), 1u) << corner;
    }
}

// A sphere touching a sensor has its centre beyond the goal line (150), before the goal
// closes and after it has closed to (+-20, 175).
TEST(Assets_Models, SensorsLieBeyondTheGoalLineOpenAndClosed) {
    Test_Model wall = Load("wall.dat");
    for (bool closed : {false, true}) {
        Test_Model m = wall;
        if (closed) {
            for (int v : {10, 11, 22, 23, 34, 35, 46, 47}) {
                Test_Vertex& p = m.points[size_t(v)];
                bool along_x = std::fabs(p.y) > std::fabs(p.x);
                float across = along_x ? p.x : p.y, deep = along_x ? p.y : p.x;
                across = std::copysign(20.0f, across);
                deep = std::copysign(175.0f, deep);
                p.x = along_x ? across : deep;
                p.y = along_x ? deep : across;
            }
        }
        for (const Segment& s : Floor_Edges(m, 2)) {
            // Every centre within 10 of the sensor lies beyond 150 on the sensor's side.
            for (float t = 0; t <= 1.0f; t += 0.05f) {
                float x = s.a.x + (s.b.x - s.a.x) * t, y = s.a.y + (s.b.y - s.a.y) * t;
                float beyond = std::max(std::fabs(x), std::fabs(y)) - 10.0f;
                EXPECT_GT(beyond, 150.0f)
                    << (closed ? "closed" : "open") << " at " << x << ", " << y;
            }
        }
    }
}

// Spheres move at most 400 units per second; with frames of up to 1/30 second a step is
// 13.3 units. Marching straight out from the middle in every direction, some step must
// bring the centre within the sphere's radius of a wall or sensor edge: the edges leave
// no gap for a sphere to pass without a contact. (The contact band around an edge is 20
// units wide, wider than a step, so a closed chain cannot be skipped.)
TEST(Assets_Models, NoStepAt400UnitsPerSecondPassesTheWallsWithoutContact) {
    Test_Model wall = Load("wall.dat");
    std::vector<Segment> edges = Floor_Edges(wall, -1);
    const float step = 400.0f / 30.0f;
    for (int d = 0; d < 720; ++d) {
        float angle = float(d) * 3.14159265f / 360.0f;
        for (int phase = 0; phase < 4; ++phase) {
            bool seen = false;
            for (float r = step * float(phase) / 4.0f; r < 300.0f && !seen; r += step) {
                float x = r * std::cos(angle), y = r * std::sin(angle);
                for (const Segment& s : edges) seen = seen || Distance_To(s, x, y) <= 10.0f;
            }
            EXPECT_TRUE(seen) << "direction " << d / 2.0 << " degrees, phase " << phase;
        }
    }
}

// Started in a corner in any direction, a bouncing sphere soon comes back towards the
// middle or runs into a goal: corners neither hold spheres nor send them round the field
// along the walls, out of the paddles' reach. (Paddles are left out: the geometry alone
// must do it.)
TEST(Assets_Models, CornersSendSpheresBackIntoPlay) {
    Test_Model wall = Load("wall.dat");
    std::vector<Segment> edges = Floor_Edges(wall, -1);
    std::vector<Segment> sensors = Floor_Edges(wall, 2);
    const float speed = 200.0f, dt = 1.0f / 240.0f;
    for (int corner = 0; corner < 4; ++corner) {
        float sx = corner & 1 ? 1.0f : -1.0f, sy = corner & 2 ? 1.0f : -1.0f;
        for (int h = 0; h < 72; ++h) {
            float x = sx * 105.0f, y = sy * 105.0f;
            float vx = speed * std::cos(float(h) * 0.0872665f),
                  vy = speed * std::sin(float(h) * 0.0872665f);
            bool back = false;
            for (float t = 0; t < 2.5f && !back; t += dt) {
                x += vx * dt;
                y += vy * dt;
                for (const Segment& s : edges) {
                    float cx, cy;
                    float e = Distance_To(s, x, y, &cx, &cy);
                    if (e > 10.0f || e <= 0.0f) continue;
                    float nx = (x - cx) / e, ny = (y - cy) / e;
                    float dot = vx * nx + vy * ny;
                    if (dot < 0) {
                        vx -= 2 * dot * nx;
                        vy -= 2 * dot * ny;
                    }
                    x = cx + nx * 10.0f;
                    y = cy + ny * 10.0f;
                }
                ASSERT_TRUE(Inside_Loop(edges, x, y));
                for (const Segment& s : sensors) back = back || Distance_To(s, x, y) <= 10.0f;
                back = back || (std::fabs(x) < 80.0f && std::fabs(y) < 80.0f);
            }
            EXPECT_TRUE(back) << "corner " << corner << ", heading " << h * 5;
        }
    }
}

// The paddle's floor outline is what spheres bounce off; the game first tests the bounding
// circles (3-D distance from the paddle's floor-level origin to the sphere centre at
// height 10), so the model's radius must cover every touch of the outline.
TEST(Assets_Models, PaddleOutlineIsClosedAndCoveredByItsBoundingRadius) {
    Test_Model paddle = Load("paddle.dat");
    std::vector<Segment> outline = Floor_Edges(paddle, -1);
    ASSERT_FALSE(outline.empty());
    for (const auto& [at, degree] : Degrees(outline)) EXPECT_EQ(degree, 2);
    float min_x = 1e9f, max_x = -1e9f, min_y = 1e9f, max_y = -1e9f, floor_reach = 0, radius = 0;
    for (const Segment& s : outline) {
        for (const Test_Vertex& v : {s.a, s.b}) {
            min_x = std::min(min_x, v.x), max_x = std::max(max_x, v.x);
            min_y = std::min(min_y, v.y), max_y = std::max(max_y, v.y);
            floor_reach = std::max(floor_reach, std::hypot(v.x, v.y));
        }
    }
    for (const Test_Vertex& v : paddle.points)
        radius = std::max(radius, std::hypot(std::hypot(v.x, v.y), v.z));
    EXPECT_GE(radius, std::hypot(floor_reach + 10.0f, 10.0f) - 10.0f);
    // Slid 60 either way, the paddle reaches past the goal posts at 60; it is as deep on
    // both sides of its line.
    EXPECT_NEAR(max_y, -min_y, 0.01f);
    EXPECT_GE(60.0f + max_x, 60.0f + 10.0f);
    EXPECT_LE(-60.0f + min_x, -60.0f - 10.0f);
    EXPECT_NEAR(max_x, -min_x, 0.01f);
}

// Distance between two segments in the arena plane (0 when they cross).
float Segment_Gap(const Segment& p, const Segment& q) {
    auto side = [](const Test_Vertex& a, const Test_Vertex& b, const Test_Vertex& c) {
        return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    };
    if (side(p.a, p.b, q.a) * side(p.a, p.b, q.b) < 0 &&
        side(q.a, q.b, p.a) * side(q.a, q.b, p.b) < 0) {
        return 0.0f;
    }
    return std::min({Distance_To(p, q.a.x, q.a.y), Distance_To(p, q.b.x, q.b.y),
                     Distance_To(q, p.a.x, p.a.y), Distance_To(q, p.b.x, p.b.y)});
}

// A paddle that slides onto a sphere pushes it out of the overlap along the contact
// normal, by up to twice the overlap, so the centre ends at most 20 (two radii) from the
// contact point on the paddle. A wall nearer than that to any place the paddle can reach
// lets such a push carry a centre through it and out of the arena. Every floor edge of
// the wall, sensors included, must stay further than 20 from the paddle's outline
// wherever it slides on its line 130: within 60 of the middle, plus the one step it may
// stand beyond the limit (65 units a second, frames of up to 0.1 s).
TEST(Assets_Models, NoWallWithinTwoSphereRadiiOfWhereAPaddleReaches) {
    Test_Model wall = Load("wall.dat"), paddle = Load("paddle.dat");
    std::vector<Segment> walls = Floor_Edges(wall, -1), outline = Floor_Edges(paddle, -1);
    ASSERT_FALSE(walls.empty());
    ASSERT_FALSE(outline.empty());
    const float reach = 60.0f + 6.5f;
    for (int side = 0; side < 4; ++side) {
        const char* names[] = {"Top", "Bottom", "Left", "Right"};
        const bool along_y = side >= 2;
        const float line = side == 0 || side == 3 ? 130.0f : -130.0f;
        float nearest = 1e9f, where = 0;
        for (float at = -reach; at <= reach; at += 0.5f) {
            for (Segment s : outline) {
                for (Test_Vertex* v : {&s.a, &s.b}) {
                    // Left and Right paddles are turned by 90 degrees about Z.
                    const float x = v->x, y = v->y;
                    v->x = along_y ? line - y : x + at;
                    v->y = along_y ? x + at : y + line;
                }
                for (const Segment& w : walls) {
                    const float gap = Segment_Gap(s, w);
                    if (gap < nearest) nearest = gap, where = at;
                }
            }
        }
        EXPECT_GT(nearest, 20.5f) << names[side] << " paddle at " << where;
    }
}

TEST(Assets_Models, SphereIsAGlobeOfRadius10WithOutwardFaces) {
    Test_Model sphere = Load("sphere.dat");
    for (const Test_Vertex& v : sphere.points) {
        EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 10.0f, 0.01f);
    }
    for (const Test_Face& f : sphere.faces) {
        const Test_Vertex &a = sphere.points[size_t(f.corner[0])],
                          &b = sphere.points[size_t(f.corner[1])],
                          &c = sphere.points[size_t(f.corner[2])];
        // The loader's face normal: Cross(B - A, C - A).
        float ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z, wx = c.x - a.x, wy = c.y - a.y,
              wz = c.z - a.z;
        float nx = uy * wz - uz * wy, ny = uz * wx - ux * wz, nz = ux * wy - uy * wx;
        float mx = a.x + b.x + c.x, my = a.y + b.y + c.y, mz = a.z + b.z + c.z;
        EXPECT_GT(nx * mx + ny * my + nz * mz, 0.0f);
        for (const auto& uv : f.uv) {
            EXPECT_GE(uv[0], 0.0f);
            EXPECT_LE(uv[0], 1.0f);
            EXPECT_GE(uv[1], 0.0f);
            EXPECT_LE(uv[1], 1.0f);
        }
    }
}

TEST(Assets_Models, GroundCoversTheGoalsAndFacesUp) {
    Test_Model ground = Load("ground.dat");
    float reach = 1e9f;
    float min_x = 1e9f, max_x = -1e9f, min_y = 1e9f, max_y = -1e9f;
    for (const Test_Vertex& v : ground.points) {
        EXPECT_FLOAT_EQ(v.z, 0.0f);
        min_x = std::min(min_x, v.x), max_x = std::max(max_x, v.x);
        min_y = std::min(min_y, v.y), max_y = std::max(max_y, v.y);
    }
    reach = std::min({-min_x, max_x, -min_y, max_y});
    EXPECT_GE(reach, 190.0f);
    for (const Test_Face& f : ground.faces) {
        const Test_Vertex &a = ground.points[size_t(f.corner[0])],
                          &b = ground.points[size_t(f.corner[1])],
                          &c = ground.points[size_t(f.corner[2])];
        EXPECT_GT((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x), 0.0f);
    }
}

}  // namespace
